#pragma once

#include "console/Commande.h"
#include "console/LigneCommande.h"
#include "console/Sortie.h"
#include "session/TestComplet.h"

// `test HOTE`: a complete test (montant, descendant, simultane) against one
// receiver, --duree seconds each. Every phase is printed second by second
// and summarised; the end gives the figures side by side. Code 1 as soon as
// a phase cannot be made.
class CommandeTest : public Commande
{
    Q_OBJECT

public:
    CommandeTest(const LigneCommande::Reglages &reglages, Sortie &sortie);

    void demarre() override;
    void interromps() override;
    bool rechercheEnCours() const override { return test_.session().rechercheEnCours(); }

private:
    // How a person's lines and the JSON name the `montant` side of the phase.
    Sortie::Flux flux(bool montant) const;
    void surPhase(TestComplet::Phase phase, Session::Fin fin, const QString &remarque);

    const LigneCommande::Reglages reglages_;
    Sortie &sortie_;
    TestComplet test_;
};
