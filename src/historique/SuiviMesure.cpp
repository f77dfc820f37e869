#include "historique/SuiviMesure.h"

#include "historique/Historique.h"

SuiviMesure::SuiviMesure(Historique *historique, QObject *parent, int pointMs)
    : QObject(parent)
    , historique_(historique)
{
    point_.setInterval(pointMs);
    connect(&point_, &QTimer::timeout, this, &SuiviMesure::pointDeControle);
    connect(&chronique_, &Chronique::seconde, this, &SuiviMesure::change);
}

void SuiviMesure::commence(const QString &emetteur, const QString &recepteur, const QString &sens, qint64 test)
{
    termine();
    chronique_.definitReleve(nullptr);
    chronique_.definitVueTcp(nullptr);
    chronique_.commence(emetteur, recepteur);
    chronique_.definitTest(sens, test);
    point_.start();
    emit change();
}

void SuiviMesure::termine()
{
    if (!mesure().enCours())
        return;
    point_.stop();
    chronique_.termine();
    if (historique_ && mesure().test() == 0 && mesure().resume().dureeMs() >= DureeMinimaleMs)
        historique_->enregistre(mesure(), false);
    emit change();
}

void SuiviMesure::testTermine(const std::vector<Mesure> &phases)
{
    test_ = phases;
    for (const Mesure &m : phases) {
        if (historique_ && m.existe() && m.resume().dureeMs() >= DureeMinimaleMs)
            historique_->enregistre(m, false);
    }
    emit change();
}

std::vector<Mesure> SuiviMesure::testCourant() const
{
    const Mesure &suivie = chronique_.mesure();
    if (test_.empty() || suivie.test() == 0 || suivie.test() != test_.front().test())
        return {};
    return test_;
}

const Mesure &SuiviMesure::mesure() const
{
    const Mesure &suivie = chronique_.mesure();
    const bool dansLeTest = !test_.empty() && suivie.test() != 0 && suivie.test() == test_.front().test();
    return dansLeTest && !suivie.enCours() ? test_.back() : suivie;
}

void SuiviMesure::pointDeControle()
{
    if (historique_ && mesure().enCours() && mesure().test() == 0)
        historique_->enregistre(mesure(), true);
}
