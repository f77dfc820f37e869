#include "session/Session.h"

#include "protocole/RaisonEchec.h"
#include "outils/Neutralise.h"

#include <QHostAddress>
#include <QHostInfo>

#include <cerrno>

Session::Session(QObject *parent)
    : QObject(parent)
{
    connect(&W, &Winsock::Connected, this, &Session::W_Connect);
    connect(&W, &Winsock::DataArrival, this, &Session::W_DataArrival);
    connect(&W, &Winsock::Closed, this, &Session::W_Close);
    connect(&W, &Winsock::Error, this, &Session::W_Error);
    // An upload is what the receiver acknowledged, not what the system took.
    connect(&acquittement_, &Acquittement::acquittes, &montant_, &Chronique::ajoute);
    connect(&acquittement_, &Acquittement::acquittes, this, &Session::envoye);
    montant_.definitReleve([this] { acquittement_.releve(); });
    montant_.definitVueTcp([this] { return W.EtatTcp(); });
    connect(&montant_, &Chronique::seconde, this, [this](int numero, qint64 octets) {
        emit seconde(true, numero, octets);
        if (reglages_.dureeS > 0 && numero >= reglages_.dureeS && reglages_.genre != Genre::Retour)
            finDuree();
    });
    connect(&descendant_, &Chronique::seconde, this,
            [this](int numero, qint64 octets) { emit seconde(false, numero, octets); });

    for (QTimer *t : {&attente_, &nouvelEssai_, &essaiAdresse_, &attenteRetour_, &attenteRapport_})
        t->setSingleShot(true);
    connect(&attente_, &QTimer::timeout, this, &Session::finAttente);
    connect(&nouvelEssai_, &QTimer::timeout, this, &Session::essaie);
    // The address has not answered in its time: the next one's turn.
    connect(&essaiAdresse_, &QTimer::timeout, this, [this] {
        W.Close();
        echecAdresse(ETIMEDOUT, QString());
    });
    connect(&attenteRetour_, &QTimer::timeout, this, [this] {
        echoue(tr("ce récepteur ne sait pas envoyer : lancez l'émetteur sur l'autre machine"));
    });
    connect(&attenteRapport_, &QTimer::timeout, this, [this] { finit(Fin::Duree, QString()); });
}

Demande::Genre Session::genreDemande(Genre genre)
{
    return genre == Genre::Retour      ? Demande::Genre::Retour
           : genre == Genre::Simultane ? Demande::Genre::Simultane
                                       : Demande::Genre::Envoi;
}

QString Session::motif(Fin fin)
{
    static const char *const motifs[] = {"depart", "coupure", "duree", "interruption"};
    return QString::fromLatin1(motifs[int(fin)]);
}

void Session::demarre(const Reglages &reglages)
{
    reglages_ = reglages;
    actif_ = true;
    connecte_ = finEnvoi_ = rapportRejete_ = false;
    dernierEchec_ = 0;
    adresse_.clear();
    adresses_.clear();
    essai_ = 0;
    rapport_.reset();
    retour_ = LectureRetour();
    attente_.start(reglages_.attenteS * 1000);
    QHostAddress adresse;
    if (adresse.setAddress(reglages_.hote) && adresse.protocol() == QHostAddress::IPv4Protocol) {
        adresses_ << adresse.toString();
        essaie();
        return;
    }
    const QString ipv6 = RaisonIpv6(reglages_.hote);
    if (!ipv6.isEmpty()) {
        // From the loop, as a lookup's answer would come.
        QMetaObject::invokeMethod(this, [this, ipv6] { echoue(ipv6); }, Qt::QueuedConnection);
        return;
    }
    recherche_ = QHostInfo::lookupHost(reglages_.hote, this, &Session::surResolution);
}

void Session::surResolution(const QHostInfo &info)
{
    recherche_ = -1;
    if (!actif_)
        return;
    for (const QHostAddress &a : info.addresses()) {
        if (a.protocol() == QHostAddress::IPv4Protocol && !adresses_.contains(a.toString()))
            adresses_ << a.toString();
    }
    if (!adresses_.isEmpty()) {
        essaie();
        return;
    }
    // The resolver's own words are English: what they mean is said here.
    const QString pourquoi = info.error() == QHostInfo::NoError        ? tr("pas d'adresse IPv4")
                             : info.error() == QHostInfo::HostNotFound ? tr("nom inconnu ou mal écrit")
                                                                       : tr("le résolveur de noms a échoué");
    //: %1 the name given, %2 why it gave no address
    echoue(tr("« %1 » ne donne aucune adresse IPv4 (%2) : vérifiez le nom ou donnez l'adresse du récepteur")
               .arg(Neutralise(reglages_.hote), pourquoi));
}

QString Session::cible() const
{
    const QString adresses = connecte_ ? adresse_ : adresses_.join(QStringLiteral(", "));
    return reglages_.hote == adresses ? adresses : QStringLiteral("%1 (%2)").arg(Neutralise(reglages_.hote), adresses);
}

// Asks again while nobody has accepted, from the first address of the name;
// an attempt still pending is left to run.
void Session::essaie()
{
    if (!actif_ || connecte_ || W.State() != Winsock::sckClosed)
        return;
    if (essai_ == 0) {
        reparable_ = false;
        echecDefinitif_.clear();
    }
    adresse_ = adresses_[essai_];
    W.Connect(adresse_, reglages_.port);
    if (adresses_.size() > 1)
        essaiAdresse_.start(EssaiAdresseMs);
}

void Session::echecAdresse(int numero, const QString &description)
{
    essaiAdresse_.stop();
    // A refusal may end once the reception starts, and an unanswered attempt
    // is tried again: both until the wait runs out. Any other error will not
    // go away by asking again.
    if (numero == ECONNREFUSED || numero == ETIMEDOUT) {
        reparable_ = true;
        dernierEchec_ = numero;
    } else if (echecDefinitif_.isEmpty()) {
        echecDefinitif_ = RaisonEchecConnexion(adresse_, numero, description, reglages_.port);
    }
    if (++essai_ < adresses_.size()) {
        essaie();
        return;
    }
    essai_ = 0;
    // No address can ever answer: its own cause is told at once.
    if (!reparable_) {
        echoue(echecDefinitif_);
        return;
    }
    nouvelEssai_.start(1000);
}

void Session::finAttente()
{
    if (!actif_ || connecte_)
        return;
    if (adresses_.isEmpty()) {
        echoue(tr("« %1 » ne s'est pas résolu en %2 s : vérifiez le nom ou donnez l'adresse du récepteur")
                   .arg(Neutralise(reglages_.hote))
                   .arg(reglages_.attenteS));
        return;
    }
    // An attempt still pending at the deadline went unanswered too.
    const bool refusee = dernierEchec_ == ECONNREFUSED && W.State() == Winsock::sckClosed;
    //: %1 the receiver, %2 the port, %3 the seconds waited, %4 "connexion refusée" or "aucune réponse"
    echoue(tr("personne n'a accepté la connexion à %1, port TCP %2, en %3 s : %4.\n"
              "Causes habituelles : la réception n'est pas démarrée sur cette machine, ou un pare-feu "
              "ferme le port TCP %2")
               .arg(cible())
               .arg(reglages_.port)
               .arg(reglages_.attenteS)
               .arg(refusee ? tr("connexion refusée") : tr("aucune réponse")));
}

void Session::W_Error(int number, const QString &description)
{
    if (!actif_)
        return;
    if (connecte_) {
        finit(Fin::Coupure, RaisonPerte(adresse_, false, number, description));
        return;
    }
    echecAdresse(number, description);
}

void Session::W_Connect()
{
    if (!actif_) {
        W.Close();
        return;
    }
    connecte_ = true;
    attente_.stop();
    nouvelEssai_.stop();
    essaiAdresse_.stop();
    const QString ici = W.AdresseLocaleConnexion();
    depuisConnexion_.start();
    const QByteArray demande =
        reglages_.genre == Genre::Flux ? QByteArray() : Demande{genreDemande(reglages_.genre), reglages_.dureeS}.ligne();
    if (!demande.isEmpty())
        W.SendData(demande);
    if (reglages_.genre != Genre::Retour) {
        montant_.commence(ici, adresse_);
        acquittement_.demarre([this] { return W.Compteurs().octetsAcquittes; }, demande.size());
        emission_.demarre();
    }
    if (reglages_.genre == Genre::Retour || reglages_.genre == Genre::Simultane) {
        descendant_.commence(adresse_, ici);
        attenteRetour_.start(AttenteRetourMs);
    }
    for (Chronique *c : {&montant_, &descendant_}) {
        if (c->enCours())
            c->decritLien(QHostAddress(adresse_));
    }
    emit connexion(adresse_);
}

// The seconds asked are over on the seat's side: its stream ends after the
// last whole block, and what is still on its way counts in the last,
// incomplete second as the receiver acknowledges it, until the receiver
// ends the connection (a receiver that reports does it first).
void Session::finDuree()
{
    if (!actif_ || finEnvoi_)
        return;
    finEnvoi_ = true;
    montant_.finSecondes();
    emission_.termine();
    attenteRapport_.start(AttenteRapportMs);
}

void Session::W_DataArrival(qint64)
{
    W.GetData(recu_);
    const qint64 flux = retour_.ajoute(recu_);
    if (flux > 0) {
        attenteRetour_.stop();
        descendant_.ajoute(flux);
        emit recu(flux);
    }
    // Checked once, as it comes. An upload's report follows the seat's end,
    // once the receiver has read, and so acknowledged, every byte sent.
    if (retour_.rapport() && !rapport_ && !rapportRejete_) {
        const qint64 envoyes = reglages_.genre == Genre::Retour ? 0
                               : finEnvoi_                      ? W.Compteurs().octetsAcquittes
                                                                : -1;
        if (envoyes >= 0 && retour_.rapport()->croyable(envoyes, depuisConnexion_.elapsed()))
            rapport_ = retour_.rapport();
        else
            rapportRejete_ = true;
    }
}

void Session::W_Close()
{
    if (!actif_)
        return;
    const bool retourAttendu = reglages_.genre == Genre::Retour || reglages_.genre == Genre::Simultane;
    if (retourAttendu && descendant_.mesure().total() == 0) {
        echoue(tr("le récepteur refuse l'envoi vers cette machine"));
        return;
    }
    // The blocks back end with the report: without it, the receiver went
    // away in the middle (killed, or stopped).
    if (reglages_.genre == Genre::Retour && !retour_.rapport()) {
        finit(Fin::Coupure, tr("le récepteur a fermé la connexion avant la fin, sans son rapport : mesure coupée"));
        return;
    }
    finit(reglages_.genre == Genre::Retour || finEnvoi_ ? Fin::Duree : Fin::Depart, QString());
}

// Stops everything, closes the connection in order; false when the session
// had already ended.
bool Session::arrete()
{
    if (!actif_)
        return false;
    actif_ = false;
    for (QTimer *t : {&attente_, &nouvelEssai_, &essaiAdresse_, &attenteRetour_, &attenteRapport_})
        t->stop();
    emission_.arrete();
    montant_.termine();
    acquittement_.arrete();
    descendant_.termine();
    W.Close();
    return true;
}

void Session::finit(Fin fin, const QString &remarque)
{
    if (!arrete())
        return;
    // TCP's view of the blocks back is the far end's, which sent them.
    if (rapport_)
        descendant_.definitTcp(rapport_->tcp);
    const bool rapportDu = reglages_.genre == Genre::Envoi || reglages_.genre == Genre::Simultane;
    //: What an upload's summary gives when the receiver's own report cannot be used
    const QString aLaPlace = tr("le compte de cette machine, ce que le récepteur en a acquitté, est donné à la place");
    emit terminee(fin, rapportRejete_ && rapportDu
                           //: %1 what is given instead
                           ? tr("le rapport du récepteur est invraisemblable (plus d'octets ou de secondes que cette "
                                "machine n'en a envoyé) : %1")
                                 .arg(aLaPlace)
                       : finEnvoi_ && rapportDu && !rapport_
                           //: %1 what is given instead
                           ? tr("le récepteur n'a pas dit ce qu'il a reçu (version ancienne ?) : %1").arg(aLaPlace)
                           : remarque);
}

void Session::echoue(const QString &raison)
{
    if (arrete())
        emit impossible(raison);
}

void Session::interromps()
{
    if (connecte_)
        finit(Fin::Interruption, QString());
    else
        echoue(tr("interrompu avant que le récepteur accepte, aucune mesure"));
}
