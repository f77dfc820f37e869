#include "protocole/RaisonEchec.h"

#include <QHostAddress>
#include <QNetworkAddressEntry>
#include <QNetworkInterface>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

namespace {

QString adresseEtPort(const QString &cible, int port = Protocole::Port)
{
    return QStringLiteral("%1:%2").arg(cible).arg(port);
}

// What the box holds when it cannot name a machine at all; empty when it is
// a name or an address.
QString texteInvalide(const QString &cible)
{
    if (cible.trimmed().isEmpty())
        return QStringLiteral("aucune adresse : choisissez un serveur dans la liste ou tapez l'adresse du récepteur");
    const QString ipv6 = RaisonIpv6(cible);
    if (!ipv6.isEmpty())
        return ipv6;
    if (cible.contains(QLatin1Char(':')))
        return QStringLiteral("« %1 » contient un port : tapez l'adresse seule, l'émetteur se connecte toujours au port %2")
            .arg(cible)
            .arg(Protocole::Port);
    static const QRegularExpression chiffresEtPoints(QStringLiteral("^[0-9.]+$"));
    if (chiffresEtPoints.match(cible).hasMatch() && QHostAddress(cible).protocol() != QHostAddress::IPv4Protocol)
        return QStringLiteral("« %1 » n'est pas une adresse valide : quatre nombres de 0 à 255 séparés par des points")
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
        return QStringLiteral("le nom « %1 » est inconnu : vérifiez-le, ou tapez l'adresse IP du récepteur").arg(cible);
    switch (numero) {
    case ECONNREFUSED:
        return QStringLiteral("personne n'écoute sur %1 : la réception y est-elle démarrée ?")
            .arg(adresseEtPort(cible, port));
    case ETIMEDOUT:
        return RaisonSansReponse(cible);
    case EHOSTUNREACH:
        return QStringLiteral("%1 est injoignable : aucune machine n'y répond, ou aucune route n'y mène")
            .arg(adresseEtPort(cible, port));
    case ENETUNREACH:
        if (adresseDeDiffusion(cible))
            return QStringLiteral("%1 est une adresse de diffusion ou de groupe, qui désigne plusieurs machines : donnez l'adresse "
                                  "d'un récepteur")
                .arg(cible);
        return QStringLiteral("%1 est hors d'atteinte : aucun réseau de cette machine n'y mène (câble ou Wi-Fi ?)")
            .arg(adresseEtPort(cible, port));
    case EACCES:
    case EPERM:
        return QStringLiteral("cette machine interdit la connexion à %1 : son pare-feu ou une route d'interdiction "
                              "la bloque")
            .arg(adresseEtPort(cible, port));
    default:
        return QStringLiteral("échec de la connexion à %1 : %2").arg(adresseEtPort(cible, port), description);
    }
}

QString RaisonIpv6(const QString &cible)
{
    QString adresse = cible.trimmed();
    if (adresse.startsWith(QLatin1Char('[')) && adresse.endsWith(QLatin1Char(']')))
        adresse = adresse.mid(1, adresse.size() - 2);
    if (QHostAddress(adresse).protocol() != QHostAddress::IPv6Protocol)
        return {};
    return QStringLiteral("« %1 » est une adresse IPv6 : BandePassante mesure en IPv4, donnez l'adresse IPv4 du "
                          "récepteur")
        .arg(cible);
}

QString RaisonSansReponse(const QString &cible)
{
    return QStringLiteral("%1 ne répond pas : machine absente ou pare-feu").arg(adresseEtPort(cible));
}

QString RaisonPerte(const QString &cible, bool occupe, int numero, const QString &description)
{
    if (occupe)
        return QStringLiteral("%1 a accepté puis fermé la connexion : le récepteur sert sans doute déjà un autre émetteur")
            .arg(adresseEtPort(cible));
    switch (numero) {
    case 0:
        return QStringLiteral("fin de la mesure : %1 a arrêté la réception").arg(adresseEtPort(cible));
    case ECONNRESET:
    case EPIPE:
        return QStringLiteral("connexion coupée par %1 : le récepteur s'est arrêté brusquement (programme fermé ?)")
            .arg(adresseEtPort(cible));
    case ETIMEDOUT:
    case EHOSTUNREACH:
    case ENETUNREACH:
        return QStringLiteral("connexion perdue avec %1 : il ne répond plus (machine éteinte ou réseau coupé)")
            .arg(adresseEtPort(cible));
    default:
        return QStringLiteral("connexion perdue avec %1 : %2").arg(adresseEtPort(cible), description);
    }
}

QString RaisonEcouteImpossible(int port, int numero, const QString &description)
{
    switch (numero) {
    case EADDRINUSE:
        return QStringLiteral("impossible d'écouter le port TCP %1 : un autre programme le tient déjà (une autre "
                              "réception ?)")
            .arg(port);
    case EACCES:
    case EPERM:
        return QStringLiteral("impossible d'écouter le port TCP %1 : les ports en dessous de 1024 sont réservés à "
                              "l'administrateur, choisissez-en un de 1024 ou plus")
            .arg(port);
    default:
        return QStringLiteral("impossible d'écouter le port TCP %1 : %2").arg(port).arg(description);
    }
}
