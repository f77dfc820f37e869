#include "transmitter/RaisonEchec.h"

#include "protocol/Protocole.h"

#include <QHostAddress>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

namespace {

QString adresseEtPort(const QString &cible)
{
    return QStringLiteral("%1:%2").arg(cible).arg(Protocole::Port);
}

// What the box holds when it cannot name a machine at all; empty when it is
// a name or an address.
QString texteInvalide(const QString &cible)
{
    if (cible.trimmed().isEmpty())
        return QStringLiteral("aucune adresse : choisissez un serveur dans la liste ou tapez l'adresse du récepteur");
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

}

QString RaisonEchecConnexion(const QString &cible, int numero, const QString &description)
{
    const QString invalide = texteInvalide(cible);
    if (!invalide.isEmpty())
        return invalide;
    if (nomInconnu(numero, description))
        return QStringLiteral("le nom « %1 » est inconnu : vérifiez-le, ou tapez l'adresse IP du récepteur").arg(cible);
    switch (numero) {
    case ECONNREFUSED:
        return QStringLiteral("personne n'écoute sur %1 : la réception y est-elle démarrée ?").arg(adresseEtPort(cible));
    case EHOSTUNREACH:
    case ETIMEDOUT:
        return RaisonSansReponse(cible);
    case ENETUNREACH:
        return QStringLiteral("%1 est hors d'atteinte : aucun réseau de cette machine n'y mène (câble ou Wi-Fi ?)")
            .arg(adresseEtPort(cible));
    default:
        return QStringLiteral("échec de la connexion à %1 : %2").arg(adresseEtPort(cible), description);
    }
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
        return QStringLiteral("connexion fermée par %1 : la réception y a-t-elle été arrêtée ?").arg(adresseEtPort(cible));
    case ECONNRESET:
    case EPIPE:
        return QStringLiteral("connexion coupée par %1 : la réception y a-t-elle été arrêtée ?").arg(adresseEtPort(cible));
    case ETIMEDOUT:
    case EHOSTUNREACH:
    case ENETUNREACH:
        return QStringLiteral("connexion perdue avec %1 : il ne répond plus (machine éteinte ou réseau coupé)")
            .arg(adresseEtPort(cible));
    default:
        return QStringLiteral("connexion perdue avec %1 : %2").arg(adresseEtPort(cible), description);
    }
}
