#pragma once

#include <QtGlobal>

#include <functional>
#include <vector>

// The data of the gauge, apart from any drawing: the sample history, the
// open sample that host values go into, the automatic scale and the phase of
// the scrolling grid.
//
// Echantillons()[0] is the open sample, [1] the most recently closed one,
// [k] the one closed k - 1 ticks ago; the history holds N + 1 values, where N
// is the plot width in pixels at the last size change. Until the first size
// change N is 0, so host values already land in the open sample.
class JogeModele
{
public:
    static constexpr qint16 PasGrille = 12;
    static constexpr qint16 PasEchantillon = 2;
    static constexpr qint16 ModeValeur = 0;
    static constexpr qint16 ModeCumul = 2;

    double maximum = 100.0;
    bool AutoLignement = false;

    // Replaces the open sample and selects set mode: the value repeats on
    // every tick until the host gives another.
    void Valeur(double v);
    // Adds to the open sample and selects accumulate mode: each tick restarts
    // the open sample at zero.
    void AjouteEchantillon(double v);

    // Re-dimensions the history to indices 0..n, keeping values at their
    // indices (growth adds zeros on the oldest side, shrinking drops the
    // oldest). Asked for while a tick reports its sample, it takes effect
    // as soon as the report is over.
    void Redimensionne(int n);

    // Closes the open sample: moves the grid phase, reports the sample
    // through `changement` (which may rewrite it), widens the scale if the
    // sample exceeds it, shifts the history and, in accumulate mode,
    // restarts the open sample at zero.
    void Tick(const std::function<void(double &)> &changement);

    const std::vector<double> &Echantillons() const { return echantillons_; }
    int N() const { return int(echantillons_.size()) - 1; }
    qint16 DecalageGrille() const { return decalageGrille_; }
    qint16 ModeEchantillon() const { return modeEchantillon_; }

private:
    std::vector<double> echantillons_ = std::vector<double>(1, 0.0);
    qint16 decalageGrille_ = 0;
    qint16 modeEchantillon_ = ModeValeur;
    bool verrou_ = false;
    int tailleDemandee_ = -1;
};
