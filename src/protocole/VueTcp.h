#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// TCP's own view of a connection, as the sending end's system keeps it: the
// smoothed round trip and its variation, the smallest round trip seen on the
// connection (its handshake included), segments retransmitted, and the
// congestion window in bytes. Times in microseconds.
struct VueTcp
{
    qint64 rttUs = 0;
    qint64 rttVarUs = 0;
    qint64 rttMinUs = 0;
    // Since the connection when read from a socket; in one second once a
    // measurement has counted it.
    qint64 retransmissions = 0;
    qint64 cwndOctets = 0;

    // Every figure within its bound (see Bornes): one out of them came from
    // a peer or a file that cannot be believed.
    bool valide() const;
    // "rtt/rttvar/rttmin/retransmissions/cwnd", as a report carries it; read
    // back only when valid.
    QByteArray texte() const;
    static std::optional<VueTcp> lit(QByteArrayView texte);
};

// The view of the connected TCP socket `fd` (Linux's TCP_INFO); nothing when
// the system gives none.
std::optional<VueTcp> LitVueTcp(int fd);

// What the system of the connected TCP socket `fd` counts of its bytes: those
// the peer has acknowledged (so received) of what was sent, and those
// received from it. 0 when the system does not say.
struct CompteursTcp
{
    qint64 octetsAcquittes = 0;
    qint64 octetsRecus = 0;
};
CompteursTcp LitCompteursTcp(int fd);
