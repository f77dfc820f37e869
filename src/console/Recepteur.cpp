#include "console/Recepteur.h"

#include "console/Sortie.h"
#include "protocol/Annonce.h"
#include "protocol/Protocole.h"

Recepteur::Recepteur(const LigneCommande::Reglages &reglages, Sortie &sortie)
    : reglages_(reglages)
    , chronique_(sortie, QStringLiteral("recepteur"))
{
    W.setLocalPort(reglages_.port);
    connect(&W, &Winsock::ConnectionRequest, this, &Recepteur::W_ConnectionRequest);
    connect(&W, &Winsock::DataArrival, this, &Recepteur::W_DataArrival);
    connect(&W, &Winsock::Closed, this, &Recepteur::W_Close);
    connect(&W, &Winsock::Error, this, &Recepteur::W_Error);

    SSID.setInterval(Protocole::PremiereAnnonceMs);
    connect(&SSID, &QTimer::timeout, this, &Recepteur::SSID_Timer);
    duree_.setSingleShot(true);
    duree_.setTimerType(Qt::PreciseTimer);
    connect(&duree_, &QTimer::timeout, this, [this] { arrete(ChroniqueMesure::Fin::Duree); });
}

void Recepteur::demarre()
{
    if (!ecoute())
        return;
    Sortie::diagnostic(QStringLiteral("Réception sur le port TCP %1 ; annonce de %2 sur le réseau local.")
                           .arg(reglages_.port)
                           .arg(W.LocalIP()));
    SSID.start();
    if (reglages_.duree > 0)
        duree_.start(reglages_.duree * 1000);
}

bool Recepteur::ecoute()
{
    if (W.Listen())
        return true;
    Sortie::diagnostic(QStringLiteral("bandepassante-console : impossible d'écouter le port TCP %1 (%2) : un autre "
                                      "programme le tient sans doute déjà, une réception par exemple.")
                           .arg(reglages_.port)
                           .arg(W.DerniereErreur()));
    termine(Impossible);
    return false;
}

void Recepteur::W_ConnectionRequest(qint32 requestId)
{
    // The listening socket itself becomes the connection: a second
    // transmitter is turned away until this one leaves.
    W.Close();
    if (!W.Accept(requestId)) {
        ecoute();
        return;
    }
    Sortie::diagnostic(QStringLiteral("Emetteur %1 connecté.").arg(W.RemoteHostIP()));
    chronique_.commence(W.RemoteHostIP());
}

void Recepteur::W_DataArrival(qint64)
{
    W.GetData(recu_);
    chronique_.ajoute(recu_.size());
}

void Recepteur::W_Close()
{
    Sortie::diagnostic(QStringLiteral("L'émetteur %1 est parti.").arg(chronique_.pair()));
    emetteurParti(ChroniqueMesure::Fin::Depart);
}

void Recepteur::W_Error(int, const QString &description)
{
    if (!chronique_.enCours()) {
        // The listening socket failed: listen again.
        W.Close();
        ecoute();
        return;
    }
    Sortie::diagnostic(QStringLiteral("Connexion avec l'émetteur %1 coupée : %2.").arg(chronique_.pair(), description));
    emetteurParti(ChroniqueMesure::Fin::Coupure);
}

void Recepteur::emetteurParti(ChroniqueMesure::Fin fin)
{
    const bool rienRecu = chronique_.total() == 0;
    chronique_.termine(fin);
    W.Close();
    if (!reglages_.uneFois) {
        ecoute();
        return;
    }
    if (fin == ChroniqueMesure::Fin::Coupure && rienRecu) {
        Sortie::diagnostic(QStringLiteral("bandepassante-console : la connexion a été coupée avant le premier octet, "
                                          "aucune mesure."));
        termine(Impossible);
        return;
    }
    termine(Termine);
}

void Recepteur::arrete(ChroniqueMesure::Fin fin)
{
    W.Close();
    chronique_.termine(fin);
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
