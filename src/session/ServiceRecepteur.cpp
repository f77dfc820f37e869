#include "session/ServiceRecepteur.h"

#include "mesure/Mesure.h"
#include "protocole/Winsock.h"

ServiceRecepteur::ServiceRecepteur(Winsock &w, QObject *parent)
    : QObject(parent)
    , w_(w)
    , emission_(w)
{
    // Both ways at once, the measurement stays what the receiver reads.
    connect(&acquittement_, &Acquittement::acquittes, this, &ServiceRecepteur::envoye);
    duree_.setSingleShot(true);
    duree_.setTimerType(Qt::PreciseTimer);
    // The seconds asked are over: retour ends its side after the last whole
    // block; simultane stops its blocks and waits for the requester's end,
    // to tell in its report all that it received.
    connect(&duree_, &QTimer::timeout, this, [this] {
        echantillon_.stop();
        if (envoieSeulement())
            emission_.termine(Rapport{0, demande_->secondes * 1000LL, {}, vues_}.ligne());
        else
            emission_.arrete();
    });
    echantillon_.setInterval(1000);
    echantillon_.setTimerType(Qt::PreciseTimer);
    connect(&echantillon_, &QTimer::timeout, this, [this] {
        std::optional<VueTcp> vue = w_.EtatTcp();
        if (!vue)
            return;
        const qint64 total = vue->retransmissions;
        vue->retransmissions = std::max<qint64>(0, total - retransmissions_);
        retransmissions_ = total;
        vues_.push_back(*vue);
    });
}

void ServiceRecepteur::commence()
{
    lecture_ = LectureDemande();
    demande_.reset();
    refuse_ = envoie_ = false;
    duree_.stop();
    echantillon_.stop();
    vues_.clear();
    retransmissions_ = 0;
    emission_.arrete();
    acquittement_.arrete();
}

qint64 ServiceRecepteur::lit()
{
    const qint64 n = w_.GetData(recu_);
    if (refuse_)
        return 0;
    if (lecture_.etat() != LectureDemande::Etat::Attente)
        return n;
    switch (lecture_.ajoute(recu_)) {
    case LectureDemande::Etat::Attente:
        return 0;
    case LectureDemande::Etat::Invalide:
        refuse_ = true;
        emit refus(tr("demande mal formée"));
        return 0;
    case LectureDemande::Etat::Demande:
        demande_ = lecture_.demande();
        sert();
        break;
    case LectureDemande::Etat::Flux:
        break;
    }
    // Nothing after the first bytes is looked at.
    w_.JetteDonnees();
    return lecture_.donnees().size();
}

void ServiceRecepteur::sert()
{
    if (demande_->genre == Demande::Genre::Envoi)
        return;
    if (sansRetour_) {
        refuse_ = true;
        emit refus(tr("envoi vers le demandeur refusé"));
        return;
    }
    envoie_ = true;
    if (envoieSeulement())
        acquittement_.demarre([this] { return w_.Compteurs().octetsAcquittes; });
    emission_.demarre();
    duree_.start(demande_->secondes * 1000);
    echantillon_.start();
}

void ServiceRecepteur::finDuPair(const Mesure &recu)
{
    duree_.stop();
    echantillon_.stop();
    acquittement_.arrete();
    if (!demande_ || refuse_ || envoieSeulement()) {
        emission_.arrete();
        return;
    }
    Rapport rapport;
    rapport.octets = recu.total();
    rapport.dureeMs = recu.resume().dureeMs();
    rapport.secondes = recu.secondes();
    rapport.tcp = vues_;
    emission_.termine(rapport.ligne());
}
