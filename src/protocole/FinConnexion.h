#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

// Finishes a TCP connection that its socket control has already let go of,
// so that the peer sees an orderly end and never a reset:
// - hands the system the rest of a call it had started to take, so that the
//   peer never sees a block cut;
// - shuts our side down, so that the peer reads the end of the stream;
// - reads and drops whatever the peer still sends until it closes its side
//   too, since closing with unread data would reset the connection;
// - then closes the descriptor.
// Works from the event loop, so a close never freezes the windows, and a
// reader on the same thread (both windows in one program) keeps reading
// meanwhile. Gives up and closes after DelaiMaxMs if the peer takes nothing,
// or DelaiFinPairMs after our end if the peer never ends its side. Deletes
// itself.
class FinConnexion : public QObject
{
    Q_OBJECT

public:
    static constexpr int DelaiMaxMs = 10000;
    static constexpr int DelaiFinPairMs = 2000;

    // Takes over `fd`, a connected non-blocking TCP socket: sends `reste`,
    // ends the connection in order and closes it, at once when the peer has
    // already closed its side, later otherwise.
    static void Termine(int fd, const QByteArray &reste);

    // Waits, keeping events flowing, until every connection being finished
    // is done or given up: a program calls it before it ends, or the peers
    // would see the rest of a block cut or the connection reset.
    static void AttendTout();

    ~FinConnexion() override;

private:
    FinConnexion(int fd, const QByteArray &reste);
    void ecrit();
    void lit();
    void finit();
    void ferme();
    void lache();

    // Connections being finished, in the whole program.
    static inline int enCours_ = 0;

    int fd_;
    QByteArray reste_;
    QSocketNotifier ecriture_;
    QSocketNotifier lecture_;
    QTimer abandon_;
};
