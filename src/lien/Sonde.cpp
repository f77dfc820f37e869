#include "lien/Sonde.h"

#include "lien/Wifi.h"

#include <QFile>
#include <QList>
#include <QNetworkInterface>
#include <QtEndian>

#include <cstring>
#include <linux/ethtool.h>
#include <linux/sockios.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Sonde {

namespace {

// Drivers of interfaces that are no cable: their speed, if any, is made up.
const char *const Virtuels[] = {"veth", "bridge", "tun", "dummy", "vxlan", "macvlan", "ipvlan", "wireguard",
                                "vrf", "openvswitch", "ifb", "gre", "ipip", "sit", "ip6_gre", "geneve"};

// An ethtool request on `nom` through any socket of this namespace.
bool ethtool(int fd, const QString &nom, void *donnees)
{
    ifreq requete{};
    const QByteArray n = nom.toLocal8Bit();
    if (n.size() >= IFNAMSIZ)
        return false;
    std::memcpy(requete.ifr_name, n.constData(), size_t(n.size()));
    requete.ifr_data = static_cast<char *>(donnees);
    return ::ioctl(fd, SIOCETHTOOL, &requete) == 0;
}

void decritInterface(Lien &lien)
{
    const int indice = int(::if_nametoindex(lien.interface.toLocal8Bit().constData()));
    if (indice == 0)
        return;
    if (QNetworkInterface::interfaceFromIndex(indice).flags() & QNetworkInterface::IsLoopBack) {
        lien.type = Lien::Type::Autre;
        lien.genre = QString::fromLatin1(Lien::BoucleLocale);
        return;
    }
    if (Wifi::Decrit(indice, lien)) {
        lien.type = Lien::Type::Wifi;
        return;
    }
    lien.type = Lien::Type::Autre;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    ethtool_drvinfo pilote{};
    pilote.cmd = ETHTOOL_GDRVINFO;
    if (ethtool(fd, lien.interface, &pilote)) {
        lien.genre = QString::fromLatin1(pilote.driver, int(strnlen(pilote.driver, sizeof pilote.driver)));
        bool virtuel = false;
        for (const char *v : Virtuels)
            virtuel = virtuel || lien.genre == QLatin1String(v);
        ethtool_cmd reglages{};
        reglages.cmd = ETHTOOL_GSET;
        if (!virtuel && ethtool(fd, lien.interface, &reglages)) {
            lien.type = Lien::Type::Ethernet;
            const quint32 vitesse = ethtool_cmd_speed(&reglages);
            if (vitesse != 0 && vitesse != quint32(SPEED_UNKNOWN))
                lien.vitesseMbps = int(vitesse);
            if (reglages.duplex == DUPLEX_FULL || reglages.duplex == DUPLEX_HALF)
                lien.duplexIntegral = reglages.duplex == DUPLEX_FULL;
        }
    }
    ::close(fd);
}

}

QString InterfacePour(const QByteArray &table, const QHostAddress &adresse)
{
    // The table writes addresses as the bytes in memory read as a number.
    const quint32 cible = qToBigEndian(adresse.toIPv4Address());
    QString meilleure;
    int meilleurPrefixe = -1;
    long meilleureMetrique = 0;
    const QList<QByteArray> lignes = table.split('\n');
    // Iface Destination Gateway Flags RefCnt Use Metric Mask ...
    for (qsizetype i = 1; i < lignes.size(); ++i) {
        const QList<QByteArray> champs = lignes[i].simplified().split(' ');
        if (champs.size() < 8)
            continue;
        bool ok[4] = {};
        const quint32 destination = champs[1].toUInt(&ok[0], 16);
        const long drapeaux = champs[3].toLong(&ok[1], 16);
        const long metrique = champs[6].toLong(&ok[2]);
        const quint32 masque = champs[7].toUInt(&ok[3], 16);
        // Flag 0x1: the route is up.
        if (!(ok[0] && ok[1] && ok[2] && ok[3]) || !(drapeaux & 0x1) || (cible & masque) != (destination & masque))
            continue;
        const int prefixe = __builtin_popcount(masque);
        if (prefixe > meilleurPrefixe || (prefixe == meilleurPrefixe && metrique < meilleureMetrique)) {
            meilleure = QString::fromLatin1(champs[0]);
            meilleurPrefixe = prefixe;
            meilleureMetrique = metrique;
        }
    }
    return meilleure;
}

Lien LienVers(const QHostAddress &destination)
{
    Lien lien;
    if (destination.isLoopback() || QNetworkInterface::allAddresses().contains(destination)) {
        for (const QNetworkInterface &i : QNetworkInterface::allInterfaces()) {
            if (i.flags() & QNetworkInterface::IsLoopBack)
                lien.interface = i.name();
        }
    } else {
        QFile table(QStringLiteral("/proc/net/route"));
        if (table.open(QIODevice::ReadOnly))
            lien.interface = InterfacePour(table.readAll(), destination);
    }
    if (!lien.interface.isEmpty())
        decritInterface(lien);
    return lien;
}

void Actualise(Lien &lien)
{
    if (lien.type == Lien::Type::Wifi)
        Wifi::Station(int(::if_nametoindex(lien.interface.toLocal8Bit().constData())), lien);
}

}
