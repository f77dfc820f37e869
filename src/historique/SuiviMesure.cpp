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

void SuiviMesure::commence(const QString &emetteur, const QString &recepteur)
{
    termine();
    mesure_ = Mesure(emetteur, recepteur, QDateTime::currentDateTime());
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
    if (historique_ && mesure_.resume().dureeMs() >= DureeMinimaleMs)
        historique_->enregistre(mesure_, false);
    emit change();
}

void SuiviMesure::pointDeControle()
{
    if (historique_ && mesure_.enCours())
        historique_->enregistre(mesure_, true);
}
