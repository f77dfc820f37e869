#include "mesure/Mesure.h"

Mesure::Mesure(const QString &emetteur, const QString &recepteur, const QDateTime &debut)
    : emetteur_(emetteur)
    , recepteur_(recepteur)
    , debut_(debut)
{
}

void Mesure::ajouteSeconde(qint64 octets)
{
    if (secondes_.size() >= SecondesMax)
        secondes_.erase(secondes_.begin());
    secondes_.push_back(octets);
}

void Mesure::ajouteTcp(const VueTcp &vue)
{
    if (tcp_.size() >= SecondesMax)
        tcp_.erase(tcp_.begin());
    tcp_.push_back(vue);
}

void Mesure::termine(const QDateTime &fin)
{
    if (enCours())
        fin_ = fin;
}

ResumeMesure Mesure::resume(const QDateTime &maintenant) const
{
    return ResumeMesure(secondes_, total_, debut_, enCours() ? maintenant : fin_, tcp_);
}
