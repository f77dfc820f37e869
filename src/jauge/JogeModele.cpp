#include "jauge/JogeModele.h"

#include <algorithm>

void JogeModele::Valeur(double v)
{
    modeEchantillon_ = ModeValeur;
    echantillons_[0] = v;
}

void JogeModele::AjouteEchantillon(double v)
{
    modeEchantillon_ = ModeCumul;
    echantillons_[0] += v;
}

void JogeModele::Redimensionne(int n)
{
    n = std::max(n, 0);
    if (verrou_) {
        // The reported sample is a reference into the history: it must stay
        // where it is until the report is over.
        tailleDemandee_ = n;
        return;
    }
    echantillons_.resize(size_t(n) + 1, 0.0);
}

void JogeModele::Tick(const std::function<void(double &)> &changement)
{
    decalageGrille_ = qint16((decalageGrille_ - PasEchantillon) % PasGrille);

    verrou_ = true;
    if (changement)
        changement(echantillons_[0]);
    verrou_ = false;
    if (tailleDemandee_ >= 0) {
        echantillons_.resize(size_t(tailleDemandee_) + 1, 0.0);
        tailleDemandee_ = -1;
    }

    if (AutoLignement && echantillons_[0] > maximum)
        maximum = echantillons_[0] * 1.1;

    std::copy_backward(echantillons_.begin(), echantillons_.end() - 1, echantillons_.end());

    if (modeEchantillon_ == ModeCumul)
        echantillons_[0] = 0.0;
}
