#include "protocole/AdresseLocale.h"

#include "protocole/AdresseSocket.h"

#include <QFile>
#include <QList>

#include <cstring>
#include <ifaddrs.h>

namespace AdresseLocale {

QByteArray InterfaceParDefaut(const QByteArray &table)
{
    QByteArray meilleure;
    long meilleureMetrique = -1;
    const QList<QByteArray> lignes = table.split('\n');
    // The first line names the columns:
    // Iface Destination Gateway Flags RefCnt Use Metric Mask ...
    for (qsizetype i = 1; i < lignes.size(); ++i) {
        const QList<QByteArray> champs = lignes[i].simplified().split(' ');
        if (champs.size() < 8 || champs[1] != "00000000" || champs[7] != "00000000")
            continue;
        bool ok = false;
        const long drapeaux = champs[3].toLong(&ok, 16);
        // Flag 0x1: the route is up.
        if (!ok || !(drapeaux & 0x1))
            continue;
        const long metrique = champs[6].toLong(&ok);
        if (!ok)
            continue;
        if (meilleureMetrique < 0 || metrique < meilleureMetrique) {
            meilleure = champs[0];
            meilleureMetrique = metrique;
        }
    }
    return meilleure;
}

QString DeLaMachine()
{
    QString adresse = QStringLiteral("127.0.0.1");
    QFile fichier(QStringLiteral("/proc/net/route"));
    if (!fichier.open(QIODevice::ReadOnly))
        return adresse;
    const QByteArray interface = InterfaceParDefaut(fichier.readAll());
    if (interface.isEmpty())
        return adresse;
    ifaddrs *liste = nullptr;
    if (::getifaddrs(&liste) != 0)
        return adresse;
    for (ifaddrs *i = liste; i; i = i->ifa_next) {
        if (i->ifa_addr && i->ifa_addr->sa_family == AF_INET && interface == i->ifa_name) {
            sockaddr_in a;
            std::memcpy(&a, i->ifa_addr, sizeof a);
            adresse = TexteAdresse(a);
            break;
        }
    }
    ::freeifaddrs(liste);
    return adresse;
}

}
