#include "console/CommandeTest.h"

CommandeTest::CommandeTest(const LigneCommande::Reglages &reglages, Sortie &sortie)
    : reglages_(reglages)
    , sortie_(sortie)
{
    Session &session = test_.session();
    connect(&session, &Session::connexion, this, [this](const QString &adresse) {
        //: %1 the receiver, %2 the port, %3 the phase, %4 its seconds
        Sortie::diagnostic(tr("Connecté à %1, port TCP %2 : %3 pendant %4 s.")
                               .arg(adresse)
                               .arg(reglages_.port)
                               .arg(TestComplet::nomPhase(test_.phase()))
                               .arg(reglages_.duree));
        const Session &s = test_.session();
        Sortie::lien((test_.phase() == TestComplet::Descendant ? s.descendant() : s.montant()).mesure().lien());
    });
    connect(&session, &Session::seconde, this,
            [this](bool montant, int numero, qint64 octets) {
                const Chronique &c = montant ? test_.session().montant() : test_.session().descendant();
                const std::optional<VueTcp> &vue = c.vueSeconde();
                sortie_.seconde(flux(montant), numero, octets, vue ? &*vue : nullptr, &c.mesure().lien());
            });
    connect(&test_, &TestComplet::impossible, this, [this](const QString &raison) {
        Sortie::erreur(raison);
        termine(Impossible);
    });
    connect(&test_, &TestComplet::phaseTerminee, this, &CommandeTest::surPhase);
    // What was measured is told however the test ended; a test cut short
    // could not be made whole.
    connect(&test_, &TestComplet::termine, this, [this](Session::Fin fin, const QString &raison) {
        // The phase as the figures name it: "simultane", unaccented.
        const QString phase = test_.phase() == TestComplet::Simultane
                                  //: The simultaneous phase, named as the JSON figures name it
                                  ? tr("simultane")
                                  : TestComplet::nomPhase(test_.phase());
        if (fin == Session::Fin::Coupure)
            Sortie::erreur(raison.isEmpty() ? tr("test complet arrêté, la phase « %1 » a été coupée").arg(phase)
                                            : tr("test complet arrêté avant la phase « %1 » : %2").arg(phase, raison));
        const int phases = test_.phasesMesurees();
        const ResumeMesure montant = test_.montant(TestComplet::Montant);
        const ResumeMesure descendant = test_.descendant(TestComplet::Descendant);
        const ResumeMesure simultaneMontant = test_.montant(TestComplet::Simultane);
        const ResumeMesure simultaneDescendant = test_.descendant(TestComplet::Simultane);
        sortie_.test({test_.session().adresse(), {}, {}}, test_.mesureMontant(TestComplet::Montant).lien(),
                     Session::motif(fin), phases > 0 ? &montant : nullptr, phases > 1 ? &descendant : nullptr,
                     phases > 2 ? &simultaneMontant : nullptr, phases > 2 ? &simultaneDescendant : nullptr);
        termine(fin == Session::Fin::Coupure ? Impossible : Termine);
    });
}

Sortie::Flux CommandeTest::flux(bool montant) const
{
    const TestComplet::Phase phase = test_.phase();
    return {montant ? QStringLiteral("emetteur") : QStringLiteral("recepteur"), test_.session().adresse(),
            TestComplet::sens(phase), Sortie::etiquette(montant, phase == TestComplet::Simultane)};
}

void CommandeTest::demarre()
{
    test_.demarre({reglages_.hote, reglages_.port, reglages_.attente, reglages_.duree, Session::Genre::Envoi});
}

void CommandeTest::surPhase(TestComplet::Phase phase, Session::Fin fin, const QString &remarque)
{
    Sortie::phrase(remarque);
    if (phase != TestComplet::Descendant) {
        Sortie::Flux f = flux(true);
        // The receiver's own count is told by the receiver's end.
        if (test_.compteDuRecepteur(phase))
            f.role = QStringLiteral("recepteur");
        sortie_.resume(f, Session::motif(fin), test_.montant(phase), test_.mesureMontant(phase).lien());
    }
    if (phase != TestComplet::Montant)
        sortie_.resume(flux(false), Session::motif(fin), test_.descendant(phase), test_.mesureDescendant(phase).lien());
}

void CommandeTest::interromps()
{
    if (test_.session().connectee())
        Sortie::diagnostic(tr("Interrompu."));
    test_.interromps();
}
