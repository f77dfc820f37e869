#include "historique/SuiviMesure.h"

#include "historique/Historique.h"
#include "support/Arrondi.h"

SuiviMesure::SuiviMesure(Historique *historique, QObject *parent, int pointMs)
    : QObject(parent)
    , historique_(historique)
{
    point_.setInterval(pointMs);
    connect(&point_, &QTimer::timeout, this, &SuiviMesure::pointDeControle);
}

void SuiviMesure::commence(const QString &emetteur, const QString &recepteur, const QString &sens, qint64 test)
{
    termine();
    mesure_ = Mesure(emetteur, recepteur, QDateTime::currentDateTime());
    mesure_.definitTest(sens, test);
    premiereSeconde_ = true;
    point_.start();
    emit change();
}

void SuiviMesure::octets(qint64 n)
{
    if (mesure_.enCours())
        mesure_.ajouteOctets(n);
}

void SuiviMesure::seconde(double valeur)
{
    if (!mesure_.enCours())
        return;
    if (premiereSeconde_)
        premiereSeconde_ = false;
    else
        mesure_.ajouteSeconde(ArrondiPair64(valeur));
    emit change();
}

void SuiviMesure::termine()
{
    if (!mesure_.enCours())
        return;
    point_.stop();
    mesure_.termine(QDateTime::currentDateTime());
    if (historique_ && mesure_.test() == 0 && mesure_.resume().dureeMs() >= DureeMinimaleMs)
        historique_->enregistre(mesure_, false);
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
    if (test_.empty() || mesure_.test() == 0 || mesure_.test() != test_.front().test())
        return {};
    return test_;
}

void SuiviMesure::pointDeControle()
{
    if (historique_ && mesure_.enCours() && mesure_.test() == 0)
        historique_->enregistre(mesure_, true);
}
