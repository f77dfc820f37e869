#pragma once

#include "console/Commande.h"
#include "console/LigneCommande.h"
#include "console/Sortie.h"
#include "mesure/ResumeMesure.h"
#include "session/Session.h"

// `test HOTE`: the three phases of a complete test against one receiver,
// each on a connection of its own: upload with the receiver's own count
// (montant), download (descendant), then both at once (simultane), --duree
// seconds each. Every phase is printed second by second and summarised; the
// end gives the figures side by side. An upload is told by what the receiver
// says it received when it says it; otherwise by what this machine's system
// took, and that is said. Code 1 as soon as a phase cannot be made.
class TestComplet : public Commande
{
    Q_OBJECT

public:
    TestComplet(const LigneCommande::Reglages &reglages, Sortie &sortie);

    void demarre() override;
    void interromps() override;
    bool rechercheEnCours() const override { return session_.rechercheEnCours(); }

private:
    void phaseSuivante();
    void surFin(Session::Fin fin, const QString &remarque);
    // The upload's figures: the receiver's report, or the seat's own count.
    ResumeMesure montant(Sortie::Flux &flux) const;

    const LigneCommande::Reglages reglages_;
    Sortie &sortie_;
    Session session_;
    int phase_ = -1;
    QString pair_;
    ResumeMesure resumes_[4];
};
