#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <optional>

// The bounds of every figure that comes from outside this process: a
// request or a report read from the network, a row of the history file. A
// figure outside them is unknown: the line is refused or the figure left
// out, never wrapped nor clamped. Within them, the sums and differences the
// summaries make of a few figures cannot overflow 64 bits.
namespace Bornes {

// Bytes in one second: 8 Tbit/s, far beyond any link.
constexpr qint64 OctetsSeconde = qint64(1) << 40;
// Bytes of one measurement.
constexpr qint64 Octets = qint64(1) << 60;
// A duration, in milliseconds: a hundred years.
constexpr qint64 DureeMs = 100LL * 366 * 24 * 3600 * 1000;
// An instant, in milliseconds since 1970: up to the end of year 9999.
constexpr qint64 InstantMs = 253402300799999LL;
// A round trip or its variation, in microseconds: TCP never waits longer
// than two minutes for an acknowledgement.
constexpr qint64 LatenceUs = 120LL * 1000 * 1000;
// Segments retransmitted, a congestion window in bytes.
constexpr qint64 Compte = qint64(1) << 40;

// A whole number written with decimal digits only (no sign, no space), at
// most `maximum`: nothing when the text is not one or the number is larger,
// however many digits it has.
std::optional<qint64> LitEntier(QByteArrayView texte, qint64 maximum);

// `valeur` when it lies in [0, maximum], else nothing.
inline std::optional<qint64> Dans(qint64 valeur, qint64 maximum)
{
    return valeur >= 0 && valeur <= maximum ? std::optional<qint64>(valeur) : std::nullopt;
}

}
