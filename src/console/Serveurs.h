#pragma once

#include "console/Commande.h"
#include "console/LigneCommande.h"
#include "protocole/ServeursConnus.h"
#include "protocole/Winsock.h"

#include <QElapsedTimer>
#include <QTimer>

class Sortie;

// `serveurs`: listens to presence datagrams on UDP 4444 for --duree seconds
// and prints each receiver once, as it is first heard, by the transmitter
// window's rule: the exact prefix, then a non-empty address not yet heard.
// Other datagrams are counted and said once at the end.
class Serveurs : public Commande
{
    Q_OBJECT

public:
    Serveurs(const LigneCommande::Reglages &reglages, Sortie &sortie);

    void demarre() override;
    void interromps() override;

private:
    void WssidReceptor_DataArrival(qint64 bytesTotal);
    void arrete();

    const LigneCommande::Reglages reglages_;
    Sortie &sortie_;
    Winsock WssidReceptor{Winsock::Genre::Udp, this};
    QTimer duree_;
    QElapsedTimer depuis_;
    QByteArray datagramme_;
    // The receivers heard, by the rule of the transmitter window's list.
    ServeursConnus entendus_;
    int ignores_ = 0;
};
