#include "protocole/VueTcp.h"

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

std::optional<VueTcp> VueTcp::lit(QByteArrayView texte)
{
    const QList<QByteArray> champs = texte.toByteArray().split('/');
    if (champs.size() != 5)
        return std::nullopt;
    qint64 valeurs[5];
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        valeurs[i] = champs[i].toLongLong(&ok);
        if (!ok || valeurs[i] < 0 || champs[i].startsWith('+'))
            return std::nullopt;
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
