#include "console/Recepteur.h"

#include "console/Sortie.h"
#include "protocole/Annonce.h"
#include "protocole/Protocole.h"
#include "protocole/RaisonEchec.h"

Recepteur::Recepteur(const LigneCommande::Reglages &reglages, Sortie &sortie)
    : reglages_(reglages)
    , chronique_(sortie, QStringLiteral("recepteur"))
{
    W.setLocalPort(reglages_.port);
    W.setSilenceMax(Protocole::SilenceMaxMs);
    service_.setSansRetour(reglages_.sansRetour);
    connect(&service_, &ServiceRecepteur::envoye, &chronique_, &ChroniqueMesure::ajoute);
    connect(&service_, &ServiceRecepteur::refus, this, [this](const QString &raison) {
        Sortie::diagnostic(QStringLiteral("Demande de l'émetteur %1 refusée : %2.").arg(chronique_.pair(), raison));
        emetteurParti(ChroniqueMesure::Fin::Coupure,
                      QStringLiteral("la demande de l'émetteur a été refusée, aucune mesure"));
    });
    connect(&W, &Winsock::ConnectionRequest, this, &Recepteur::W_ConnectionRequest);
    connect(&W, &Winsock::DataArrival, this, &Recepteur::W_DataArrival);
    connect(&W, &Winsock::Closed, this, &Recepteur::W_Close);
    connect(&W, &Winsock::Error, this, &Recepteur::W_Error);

    SSID.setInterval(Protocole::PremiereAnnonceMs);
    connect(&SSID, &QTimer::timeout, this, &Recepteur::SSID_Timer);
    duree_.setSingleShot(true);
    duree_.setTimerType(Qt::PreciseTimer);
    connect(&duree_, &QTimer::timeout, this, [this] { arrete(ChroniqueMesure::Fin::Duree); });
    reessaiEcoute_.setInterval(Protocole::ReessaiEcouteMs);
    connect(&reessaiEcoute_, &QTimer::timeout, this, [this] {
        if (W.State() == Winsock::sckClosed)
            ecouteDeNouveau();
    });
}

void Recepteur::demarre()
{
    if (!reglages_.metriques.isEmpty()) {
        QHostAddress adresse;
        quint16 port = 0;
        QString raison;
        Metriques::LitAdresse(reglages_.metriques, adresse, port);
        metriques_ = std::make_unique<Metriques>(chronique_, service_);
        if (!metriques_->ecoute(adresse, port, raison)) {
            Sortie::diagnostic(QStringLiteral("bandepassante-console : impossible de servir les métriques sur %1 : %2.")
                                   .arg(reglages_.metriques, raison));
            termine(Impossible);
            return;
        }
        Sortie::diagnostic(QStringLiteral("Métriques sur %1.").arg(Metriques::Description(adresse, port)));
    }
    if (!W.Listen()) {
        Sortie::diagnostic(QStringLiteral("bandepassante-console : ") +
                           RaisonEcouteImpossible(reglages_.port, W.NumeroDerniereErreur(), W.DerniereErreur()) +
                           QLatin1Char('.'));
        termine(Impossible);
        return;
    }
    Sortie::diagnostic(QStringLiteral("Réception sur le port TCP %1 ; annonce de %2 sur le réseau local.")
                           .arg(reglages_.port)
                           .arg(W.LocalIP()));
    SSID.start();
    if (reglages_.duree > 0)
        duree_.start(reglages_.duree * 1000);
}

// While the port is taken, said once, then tried again every few seconds
// until it is free.
void Recepteur::ecouteDeNouveau()
{
    if (W.Listen()) {
        if (reessaiEcoute_.isActive())
            Sortie::diagnostic(QStringLiteral("Réception de nouveau sur le port TCP %1.").arg(reglages_.port));
        reessaiEcoute_.stop();
        return;
    }
    if (reessaiEcoute_.isActive())
        return;
    Sortie::phrase(RaisonEcouteImpossible(reglages_.port, W.NumeroDerniereErreur(), W.DerniereErreur()) +
                   QStringLiteral(" ; nouvel essai toutes les %1 s").arg(Protocole::ReessaiEcouteMs / 1000));
    reessaiEcoute_.start();
}

void Recepteur::W_ConnectionRequest(qint32 requestId)
{
    // The listening socket itself becomes the connection: a second
    // transmitter is turned away until this one leaves.
    W.Close();
    if (!W.Accept(requestId)) {
        ecouteDeNouveau();
        return;
    }
    Sortie::diagnostic(QStringLiteral("Emetteur %1 connecté.").arg(W.RemoteHostIP()));
    service_.commence();
    chronique_.definitVueTcp(nullptr);
    chronique_.definitReleve(nullptr);
    chronique_.commence(W.RemoteHostIP(), QStringLiteral("recepteur"));
    chronique_.decritLien(QHostAddress(W.RemoteHostIP()));
}

void Recepteur::W_DataArrival(qint64)
{
    const bool attente = !service_.demande();
    const qint64 donnees = service_.lit();
    if (attente && service_.demande()) {
        const Demande &d = *service_.demande();
        Sortie::diagnostic(QStringLiteral("L'émetteur %1 demande « %2 » pendant %3 s.")
                               .arg(chronique_.pair(), QString::fromLatin1(Demande::nom(d.genre)))
                               .arg(d.secondes));
        // The blocks back are what this end measures, and it sees TCP's view.
        if (service_.envoieSeulement()) {
            chronique_.definitVueTcp([this] { return W.EtatTcp(); });
            chronique_.definitReleve([this] { service_.releve(); });
            chronique_.commence(chronique_.pair(), QStringLiteral("emetteur"));
        }
    }
    chronique_.ajoute(donnees);
}

void Recepteur::W_Close()
{
    service_.finDuPair(chronique_.mesure());
    Sortie::diagnostic(QStringLiteral("L'émetteur %1 est parti.").arg(chronique_.pair()));
    emetteurParti(ChroniqueMesure::Fin::Depart);
}

void Recepteur::W_Error(int number, const QString &description)
{
    if (!chronique_.enCours()) {
        // The listening socket failed: listen again.
        W.Close();
        ecouteDeNouveau();
        return;
    }
    // Nothing moved either way: a requester served the blocks back has
    // stopped reading them.
    if (number == Winsock::ErreurSilence)
        Sortie::diagnostic((service_.envoyes() > 0
                                ? QStringLiteral("Le demandeur %1 ne lit plus rien depuis %2 s : connexion fermée.")
                                : QStringLiteral("L'émetteur %1 n'a rien envoyé depuis %2 s : connexion fermée."))
                               .arg(chronique_.pair())
                               .arg(Protocole::SilenceMaxMs / 1000));
    else
        Sortie::diagnostic(
            QStringLiteral("Connexion avec l'émetteur %1 coupée : %2.").arg(chronique_.pair(), description));
    emetteurParti(ChroniqueMesure::Fin::Coupure);
}

void Recepteur::compteFin(ChroniqueMesure::Fin fin)
{
    if (!chronique_.enCours())
        return;
    chronique_.termine(fin);
    if (metriques_)
        metriques_->fin(Session::motif(fin));
}

void Recepteur::emetteurParti(ChroniqueMesure::Fin fin, const QString &sansMesure)
{
    const bool rienRecu = chronique_.total() == 0;
    compteFin(fin);
    W.Close();
    if (!reglages_.uneFois) {
        ecouteDeNouveau();
        return;
    }
    if (fin == ChroniqueMesure::Fin::Coupure && rienRecu) {
        Sortie::diagnostic(QStringLiteral("bandepassante-console : ") + sansMesure + QLatin1Char('.'));
        termine(Impossible);
        return;
    }
    termine(Termine);
}

void Recepteur::arrete(ChroniqueMesure::Fin fin)
{
    reessaiEcoute_.stop();
    W.Close();
    compteFin(fin);
    SSID.stop();
    termine(Termine);
}

void Recepteur::interromps()
{
    Sortie::diagnostic(QStringLiteral("Interrompu."));
    arrete(ChroniqueMesure::Fin::Interruption);
}

void Recepteur::SSID_Timer()
{
    AnnoncePresence(SSID, Wssid, W.LocalIP());
}
