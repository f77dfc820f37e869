#include "protocole/RaisonEchec.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QNetworkAddressEntry>
#include <QNetworkInterface>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

namespace {

// The context of the reasons' translations.
struct RaisonEchec
{
    Q_DECLARE_TR_FUNCTIONS(RaisonEchec)
};

QString adresseEtPort(const QString &cible, int port = Protocole::Port)
{
    return QStringLiteral("%1:%2").arg(cible).arg(port);
}

// What the box holds when it cannot name a machine at all; empty when it is
// a name or an address.
QString texteInvalide(const QString &cible)
{
    if (cible.trimmed().isEmpty())
        return RaisonEchec::tr("aucune adresse : choisissez un serveur dans la liste ou tapez l'adresse du récepteur");
    const QString ipv6 = RaisonIpv6(cible);
    if (!ipv6.isEmpty())
        return ipv6;
    if (cible.contains(QLatin1Char(':')))
        //: %1: what was typed; %2: the port number.
        return RaisonEchec::tr("« %1 » contient un port : tapez l'adresse seule, l'émetteur se connecte toujours "
                               "au port %2")
            .arg(cible, QString::number(Protocole::Port));
    static const QRegularExpression chiffresEtPoints(QStringLiteral("^[0-9.]+$"));
    if (chiffresEtPoints.match(cible).hasMatch() && QHostAddress(cible).protocol() != QHostAddress::IPv4Protocol)
        //: %1: what was typed.
        return RaisonEchec::tr("« %1 » n'est pas une adresse valide : quatre nombres de 0 à 255 séparés par des "
                               "points")
            .arg(cible);
    return {};
}

// The socket reports a failed name lookup as "no route to host" with the
// resolver's own words; a refused route comes with the system's text.
bool nomInconnu(int numero, const QString &description)
{
    return numero == EHOSTUNREACH && description != QString::fromLocal8Bit(std::strerror(EHOSTUNREACH));
}

// An address that reaches many machines or none: the system refuses a
// connection to it as unreachable.
bool adresseDeDiffusion(const QString &cible)
{
    const QHostAddress a(cible);
    if (a.protocol() != QHostAddress::IPv4Protocol)
        return false;
    if (a.isBroadcast() || a.isMulticast())
        return true;
    for (const QNetworkInterface &i : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry &e : i.addressEntries()) {
            if (e.broadcast() == a)
                return true;
        }
    }
    return false;
}

}

QString RaisonEchecConnexion(const QString &cible, int numero, const QString &description, int port)
{
    const QString invalide = texteInvalide(cible);
    if (!invalide.isEmpty())
        return invalide;
    if (nomInconnu(numero, description))
        return RaisonEchec::tr("le nom « %1 » est inconnu : vérifiez-le, ou tapez l'adresse IP du récepteur")
            .arg(cible);
    switch (numero) {
    case ECONNREFUSED:
        //: %1: an address and a port, "192.0.2.10:4444".
        return RaisonEchec::tr("personne n'écoute sur %1 : la réception y est-elle démarrée ?")
            .arg(adresseEtPort(cible, port));
    case ETIMEDOUT:
        return RaisonSansReponse(cible);
    case EHOSTUNREACH:
        return RaisonEchec::tr("%1 est injoignable : aucune machine n'y répond, ou aucune route n'y mène")
            .arg(adresseEtPort(cible, port));
    case ENETUNREACH:
        if (adresseDeDiffusion(cible))
            //: Broadcast or multicast; %1: an address, "192.0.2.255".
            return RaisonEchec::tr("%1 est une adresse de diffusion ou de groupe, qui désigne plusieurs machines : "
                                   "donnez l'adresse d'un récepteur")
                .arg(cible);
        return RaisonEchec::tr("%1 est hors d'atteinte : aucun réseau de cette machine n'y mène (câble ou Wi-Fi ?)")
            .arg(adresseEtPort(cible, port));
    case EACCES:
    case EPERM:
        //: A prohibit route of the routing table.
        return RaisonEchec::tr("cette machine interdit la connexion à %1 : son pare-feu ou une route d'interdiction "
                               "la bloque")
            .arg(adresseEtPort(cible, port));
    default:
        //: %2: the system's own words.
        return RaisonEchec::tr("échec de la connexion à %1 : %2").arg(adresseEtPort(cible, port), description);
    }
}

QString RaisonIpv6(const QString &cible)
{
    QString adresse = cible.trimmed();
    if (adresse.startsWith(QLatin1Char('[')) && adresse.endsWith(QLatin1Char(']')))
        adresse = adresse.mid(1, adresse.size() - 2);
    if (QHostAddress(adresse).protocol() != QHostAddress::IPv6Protocol)
        return {};
    return RaisonEchec::tr("« %1 » est une adresse IPv6 : BandePassante mesure en IPv4, donnez l'adresse IPv4 du "
                           "récepteur")
        .arg(cible);
}

QString RaisonSansReponse(const QString &cible)
{
    return RaisonEchec::tr("%1 ne répond pas : machine absente ou pare-feu").arg(adresseEtPort(cible));
}

QString RaisonPerte(const QString &cible, bool occupe, int numero, const QString &description)
{
    if (occupe)
        return RaisonEchec::tr("%1 a accepté puis fermé la connexion : le récepteur sert sans doute déjà un autre "
                               "émetteur")
            .arg(adresseEtPort(cible));
    switch (numero) {
    case 0:
        return RaisonEchec::tr("fin de la mesure : %1 a arrêté la réception").arg(adresseEtPort(cible));
    case ECONNRESET:
    case EPIPE:
        return RaisonEchec::tr("connexion coupée par %1 : le récepteur s'est arrêté brusquement (programme "
                               "fermé ?)")
            .arg(adresseEtPort(cible));
    case ETIMEDOUT:
    case EHOSTUNREACH:
    case ENETUNREACH:
        return RaisonEchec::tr("connexion perdue avec %1 : il ne répond plus (machine éteinte ou réseau "
                               "coupé)")
            .arg(adresseEtPort(cible));
    default:
        //: %2: the system's own words.
        return RaisonEchec::tr("connexion perdue avec %1 : %2").arg(adresseEtPort(cible), description);
    }
}

QString RaisonEcouteImpossible(int port, int numero, const QString &description)
{
    switch (numero) {
    case EADDRINUSE:
        return RaisonEchec::tr("impossible d'écouter le port TCP %1 : un autre programme le tient déjà (une autre "
                               "réception ?)")
            .arg(port);
    case EACCES:
    case EPERM:
        return RaisonEchec::tr("impossible d'écouter le port TCP %1 : les ports en dessous de 1024 sont réservés à "
                               "l'administrateur, choisissez-en un de 1024 ou plus")
            .arg(port);
    default:
        //: %2: the system's own words.
        return RaisonEchec::tr("impossible d'écouter le port TCP %1 : %2").arg(QString::number(port), description);
    }
}
