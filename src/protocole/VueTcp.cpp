#include "protocole/VueTcp.h"

#include "outils/Bornes.h"

#include <QList>

#include <cstddef>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>

QByteArray VueTcp::texte() const
{
    return QByteArray::number(rttUs) + '/' + QByteArray::number(rttVarUs) + '/' + QByteArray::number(rttMinUs) + '/' +
           QByteArray::number(retransmissions) + '/' + QByteArray::number(cwndOctets);
}

namespace {

// The bound of each figure, in the order of texte().
constexpr qint64 Maxima[] = {Bornes::LatenceUs, Bornes::LatenceUs, Bornes::LatenceUs, Bornes::Compte, Bornes::Compte};

}

bool VueTcp::valide() const
{
    const qint64 valeurs[] = {rttUs, rttVarUs, rttMinUs, retransmissions, cwndOctets};
    for (int i = 0; i < 5; ++i) {
        if (!Bornes::Dans(valeurs[i], Maxima[i]))
            return false;
    }
    return true;
}

std::optional<VueTcp> VueTcp::lit(QByteArrayView texte)
{
    const QList<QByteArray> champs = texte.toByteArray().split('/');
    if (champs.size() != 5)
        return std::nullopt;
    qint64 valeurs[5];
    for (int i = 0; i < 5; ++i) {
        const std::optional<qint64> v = Bornes::LitEntier(champs[i], Maxima[i]);
        if (!v)
            return std::nullopt;
        valeurs[i] = *v;
    }
    return VueTcp{valeurs[0], valeurs[1], valeurs[2], valeurs[3], valeurs[4]};
}

std::optional<VueTcp> LitVueTcp(int fd)
{
    // Linux's own structure: the C library's ends before the smallest round
    // trip.
    tcp_info info{};
    socklen_t longueur = sizeof info;
    if (fd < 0 || ::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &longueur) != 0 ||
        longueur < offsetof(tcp_info, tcpi_total_retrans) + sizeof info.tcpi_total_retrans)
        return std::nullopt;
    VueTcp v;
    v.rttUs = info.tcpi_rtt;
    v.rttVarUs = info.tcpi_rttvar;
    v.retransmissions = info.tcpi_total_retrans;
    v.cwndOctets = qint64(info.tcpi_snd_cwnd) * info.tcpi_snd_mss;
    const bool avecMinimum = longueur >= offsetof(tcp_info, tcpi_min_rtt) + sizeof info.tcpi_min_rtt;
    v.rttMinUs = avecMinimum && info.tcpi_min_rtt != ~0u ? info.tcpi_min_rtt : info.tcpi_rtt;
    return v;
}

CompteursTcp LitCompteursTcp(int fd)
{
    tcp_info info{};
    socklen_t longueur = sizeof info;
    CompteursTcp c;
    if (fd < 0 || ::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &longueur) != 0)
        return c;
    // The sequence space acknowledged: once our end of the stream has been
    // acknowledged too, it counts one more than the bytes. The states are
    // Linux's own (FIN_WAIT2, TIME_WAIT, CLOSE), which its uapi header
    // leaves to <netinet/tcp.h>, at odds with it.
    constexpr int FinWait2 = 5, TimeWait = 6, Fermee = 7;
    const bool finAcquittee = info.tcpi_state == FinWait2 || info.tcpi_state == TimeWait || info.tcpi_state == Fermee;
    if (longueur >= offsetof(tcp_info, tcpi_bytes_acked) + sizeof info.tcpi_bytes_acked)
        c.octetsAcquittes = std::max<qint64>(0, qint64(info.tcpi_bytes_acked) - (finAcquittee ? 1 : 0));
    if (longueur >= offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received)
        c.octetsRecus = qint64(info.tcpi_bytes_received);
    return c;
}
