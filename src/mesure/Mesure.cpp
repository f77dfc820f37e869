#include "mesure/Mesure.h"

#include <algorithm>

Mesure::Mesure(const QString &emetteur, const QString &recepteur, const QDateTime &debut)
    : emetteur_(emetteur)
    , recepteur_(recepteur)
    , debut_(debut)
{
}

namespace {

// Keeps the last SecondesMax items: one step, whatever the excess.
template<typename T>
void borne(std::vector<T> &v)
{
    if (v.size() > Mesure::SecondesMax)
        v.erase(v.begin(), v.end() - qsizetype(Mesure::SecondesMax));
}

// One item more, a second later: past a week, the oldest goes.
template<typename T>
void ajoute(std::vector<T> &v, const T &element)
{
    v.push_back(element);
    borne(v);
}

}

void Mesure::ajouteSeconde(qint64 octets)
{
    ajoute(secondes_, octets);
}

void Mesure::definitSecondes(std::vector<qint64> secondes)
{
    secondes_ = std::move(secondes);
    borne(secondes_);
}

void Mesure::ajouteTcp(const VueTcp &vue)
{
    ajoute(tcp_, vue);
}

void Mesure::definitTcp(std::vector<VueTcp> vues)
{
    tcp_ = std::move(vues);
    borne(tcp_);
}

void Mesure::ajouteSignal(int dBm)
{
    ajoute(signaux_, dBm);
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
