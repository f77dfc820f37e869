#include "protocole/ServeursConnus.h"

#include "protocole/Protocole.h"

std::optional<QString> ServeursConnus::Nouveau(const QByteArray &datagramme)
{
    if (datagramme.size() > Protocole::LongueurPrefixe + LongueurMax || count() >= Max)
        return std::nullopt;
    const std::optional<QByteArray> adresse = Protocole::AdresseAnnoncee(datagramme);
    if (!adresse || adresse->isEmpty())
        return std::nullopt;
    // One character per byte; entries are shown as plain text.
    const QString serveur = QString::fromLatin1(*adresse);
    if (connus_.contains(serveur))
        return std::nullopt;
    connus_.insert(serveur);
    return serveur;
}
