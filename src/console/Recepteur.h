#pragma once

#include "console/Commande.h"
#include "console/LigneCommande.h"
#include "console/ChroniqueMesure.h"
#include "console/Metriques.h"
#include "page/ServeurPage.h"
#include "protocole/Winsock.h"
#include "session/ServiceRecepteur.h"

#include <QTimer>

#include <memory>

class Sortie;

// `recevoir`: the receiver window's work without the window. Listens on the
// TCP port, serves one transmitter at a time, and the measuring page
// (unless --sans-page) all along; announces itself by broadcast about 1 s
// after start and then every 30 s. A transmitter that moves no byte for
// 30 s is turned out, so that nobody holds the only slot for ever. Each
// transmitter's measurement is printed second by second, then summarised
// when it leaves, and so is each phase of a browser's measurement from the
// page, then its run as a test is. A transmitter's request is served as the
// window serves it (the blocks back, a report), unless --sans-retour refuses
// the blocks back; the blocks back are then what is counted.
//
// Ends with --une-fois when the first transmitter or browser leaves (code 1
// if a transmitter cut the connection before sending a byte), after
// --duree, or on interruption, always ending the connection in order; at
// once with code 1 if the port cannot be listened on at the start. It keeps
// the port for as long as it runs.
class Recepteur : public Commande
{
    Q_OBJECT

public:
    Recepteur(const LigneCommande::Reglages &reglages, Sortie &sortie);

    void demarre() override;
    void interromps() override;

private:
    void Accueil_Transmetteur(int descripteur);
    void W_DataArrival(qint64 bytesTotal);
    void W_Close();
    void W_Error(int number, const QString &description);
    void SSID_Timer();
    // Ends the measurement running, if any: its summary, and its count in
    // the metrics.
    void compteFin(ChroniqueMesure::Fin fin);
    // The transmitter has gone; `sansMesure` says why nothing was measured
    // when it sent no byte.
    void emetteurParti(ChroniqueMesure::Fin fin,
                       const QString &sansMesure = QStringLiteral("la connexion a été coupée avant le premier octet, "
                                                                  "aucune mesure"));
    void arrete(ChroniqueMesure::Fin fin);
    // The page's address, and its code to scan on a terminal.
    void ditPage();
    // A browser's measurement from the page, printed as it goes.
    void suitPage(MesurePage *mesure);

    const LigneCommande::Reglages reglages_;
    Sortie &sortie_;
    ChroniqueMesure chronique_;
    Winsock W{Winsock::Genre::Tcp, this};
    Winsock Wssid{Winsock::Genre::Udp, this};
    ServiceRecepteur service_{W};
    // The measuring port's listener and the measuring page.
    ServeurPage page_;
    // The Prometheus endpoint, with --metriques.
    std::unique_ptr<Metriques> metriques_;
    QTimer SSID;
    QTimer duree_;
};
