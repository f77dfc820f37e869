#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

#include <optional>

// The receivers heard so far, as the list of servers shows them: which
// presence datagram brings a new entry. Deciding costs the same whatever the
// number of entries (a hash set for duplicates), so that no flood of
// announcements, however long the list, can slow the thread that also reads
// the measurement stream.
class ServeursConnus
{
public:
    // The list counts its entries on 16 bits: new servers past this many are
    // dropped.
    static constexpr int Max = 32767;
    // No address or host name is longer. A longer entry is junk, and keeping
    // it would let a neighbour fill memory and the screen with it.
    static constexpr int LongueurMax = 255;

    // The entry a datagram adds at the end of the list, now remembered; nothing
    // for a datagram without the presence prefix, an empty or overlong entry,
    // one already listed, or a full list.
    std::optional<QString> Nouveau(const QByteArray &datagramme);

    int count() const { return int(connus_.size()); }

private:
    QSet<QString> connus_;
};
