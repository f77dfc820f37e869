#pragma once

#include "console/Commande.h"
#include "console/LigneCommande.h"
#include "console/ChroniqueMesure.h"
#include "protocol/Winsock.h"

#include <QTimer>

class QHostInfo;
class Sortie;

// `emettre HOTE`: the transmitter window's work without the window.
// Connects to HOTE's TCP port, asking again every second as the window does
// until the receiver accepts or --attente runs out, then streams the
// measurement blocks for --duree seconds, counting each second the bytes the
// system took, and prints the summary.
//
// Code 1 when the name does not resolve, when nobody accepts in time (the
// message tells a refusal from silence), at once for an error that asking
// again cannot mend (no route, a broadcast address, a local firewall), or
// when the receiver ends the connection before the first complete second. A
// receiver that ends the connection in order ends the measurement
// ("depart"); a reset or a failure cuts it ("coupure").
class Emetteur : public Commande
{
    Q_OBJECT

public:
    Emetteur(const LigneCommande::Reglages &reglages, Sortie &sortie);

    void demarre() override;
    void interromps() override;
    bool rechercheEnCours() const override { return recherche_ >= 0; }

private:
    void surResolution(const QHostInfo &info);
    void essaie();
    void W_Connect();
    void W_Close();
    void W_Error(int number, const QString &description);
    void envoie();
    void releve();
    void finAttente();
    void fin(ChroniqueMesure::Fin fin);

    const LigneCommande::Reglages reglages_;
    ChroniqueMesure chronique_;
    Winsock W{Winsock::Genre::Tcp, this};
    // The address HOTE resolved to, in dotted text.
    QString adresse_;
    // The name lookup running, -1 when none.
    int recherche_ = -1;
    QTimer attente_;
    QTimer nouvelEssai_;
    // The error of the last attempt that failed; 0 while none has.
    int dernierEchec_ = 0;
    // What one SendData() call hands over: whole blocks of the stream.
    const QByteArray paquet_;
    // Bytes handed to the socket since the connection, and how many of them
    // the system had taken at the last look.
    qint64 confies_ = 0;
    qint64 comptes_ = 0;
};
