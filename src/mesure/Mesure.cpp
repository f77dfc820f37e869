#include "mesure/Mesure.h"

#include <algorithm>

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

void Mesure::ajouteSignal(int dBm)
{
    if (signaux_.size() >= SecondesMax)
        signaux_.erase(signaux_.begin());
    signaux_.push_back(dBm);
}

std::optional<int> Mesure::signalDbm() const
{
    if (signaux_.empty())
        return lien_.signalDbm;
    std::vector<int> tries(signaux_);
    std::nth_element(tries.begin(), tries.begin() + qsizetype(tries.size() / 2), tries.end());
    return tries[tries.size() / 2];
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
