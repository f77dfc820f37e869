#pragma once

#include "console/Commande.h"
#include "console/LigneCommande.h"
#include "console/Sortie.h"
#include "session/Session.h"

// `emettre HOTE`: the transmitter window's work without the window, on the
// seat's session. Connects to HOTE's TCP port, asking again every second as
// the window does until the receiver accepts or --attente runs out, then
// streams the measurement blocks for --duree seconds, counting each second
// the bytes the receiver acknowledged, and prints the summary. With --retour it asks
// the receiver for the blocks back instead, and counts what it reads.
//
// Code 1 when the measurement could not be made (the session says why), or
// when the receiver ends the connection before the first complete second.
class Emetteur : public Commande
{
    Q_OBJECT

public:
    Emetteur(const LigneCommande::Reglages &reglages, Sortie &sortie);

    void demarre() override;
    void interromps() override;
    bool rechercheEnCours() const override { return session_.rechercheEnCours(); }

private:
    void surFin(Session::Fin fin, const QString &remarque);

    const LigneCommande::Reglages reglages_;
    Sortie &sortie_;
    Session session_;
    Sortie::Flux flux_;
};
