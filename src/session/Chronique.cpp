#include "session/Chronique.h"

#include "lien/Sonde.h"
#include "outils/Arrondi.h"

Chronique::Chronique(QObject *parent)
    : QObject(parent)
{
    horloge_.setTimerType(Qt::PreciseTimer);
    horloge_.setInterval(1000);
    connect(&horloge_, &QTimer::timeout, this, &Chronique::ferme);
}

void Chronique::commence(const QString &emetteur, const QString &recepteur)
{
    termine();
    numero_ = 0;
    retransmissions_ = 0;
    modele_ = JogeModele();
    mesure_ = Mesure(emetteur, recepteur, QDateTime::currentDateTime());
    horloge_.start();
}

void Chronique::ajoute(qint64 octets)
{
    if (!enCours() || octets <= 0)
        return;
    modele_.AjouteEchantillon(double(octets));
    mesure_.ajouteOctets(octets);
}

void Chronique::ferme()
{
    if (releve_)
        releve_();
    qint64 octets = 0;
    modele_.Tick([&octets](double &valeur) { octets = ArrondiPair64(valeur); });
    mesure_.ajouteSeconde(octets);
    if (mesure_.lien().type == Lien::Type::Wifi) {
        Lien lien = mesure_.lien();
        Sonde::Actualise(lien);
        mesure_.definitLien(lien);
        if (lien.signalDbm)
            mesure_.ajouteSignal(*lien.signalDbm);
    }
    vueSeconde_ = vueTcp_ ? vueTcp_() : std::nullopt;
    if (vueSeconde_) {
        const qint64 total = vueSeconde_->retransmissions;
        vueSeconde_->retransmissions = std::max<qint64>(0, total - retransmissions_);
        retransmissions_ = total;
        mesure_.ajouteTcp(*vueSeconde_);
    }
    ++numero_;
    emit seconde(numero_, octets);
}

void Chronique::decritLien(const QHostAddress &pair)
{
    mesure_.definitLien(Sonde::LienVers(pair));
}

void Chronique::finSecondes()
{
    if (releve_)
        releve_();
    horloge_.stop();
}

void Chronique::termine()
{
    if (!enCours())
        return;
    if (releve_)
        releve_();
    horloge_.stop();
    mesure_.termine(QDateTime::currentDateTime());
}
