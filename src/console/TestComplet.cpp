#include "console/TestComplet.h"

namespace {

struct Phase
{
    Session::Genre genre;
    const char *sens;
    const char *nom;
};

const Phase Phases[] = {
    {Session::Genre::Envoi, "montant", "montant"},
    {Session::Genre::Retour, "descendant", "descendant"},
    {Session::Genre::Simultane, "simultane", "simultané"},
};

Sortie::Flux flux(const Phase &phase, bool montant, const QString &pair)
{
    const bool simultane = phase.genre == Session::Genre::Simultane;
    return {montant ? QStringLiteral("emetteur") : QStringLiteral("recepteur"), pair, QString::fromLatin1(phase.sens),
            QString::fromUtf8(phase.nom) + (simultane ? (montant ? QStringLiteral(" montant") : QStringLiteral(" descendant"))
                                                      : QString()) +
                QStringLiteral("  ")};
}

}

TestComplet::TestComplet(const LigneCommande::Reglages &reglages, Sortie &sortie)
    : reglages_(reglages)
    , sortie_(sortie)
{
    connect(&session_, &Session::connexion, this, [this](const QString &adresse) {
        pair_ = adresse;
        Sortie::diagnostic(QStringLiteral("Connecté à %1, port TCP %2 : %3 pendant %4 s.")
                               .arg(adresse)
                               .arg(reglages_.port)
                               .arg(QString::fromUtf8(Phases[phase_].nom))
                               .arg(reglages_.duree));
    });
    connect(&session_, &Session::seconde, this, [this](bool montant, int numero, qint64 octets) {
        sortie_.seconde(flux(Phases[phase_], montant, pair_), numero, octets);
    });
    connect(&session_, &Session::impossible, this, [this](const QString &raison) {
        Sortie::diagnostic(QStringLiteral("bandepassante-console : ") + raison + QLatin1Char('.'));
        termine(Impossible);
    });
    connect(&session_, &Session::terminee, this, &TestComplet::surFin);
}

void TestComplet::demarre()
{
    phaseSuivante();
}

void TestComplet::phaseSuivante()
{
    ++phase_;
    session_.demarre({reglages_.hote, reglages_.port, reglages_.attente, reglages_.duree, Phases[phase_].genre});
}

ResumeMesure TestComplet::montant(Sortie::Flux &f) const
{
    const Mesure &seat = session_.montant().mesure();
    const std::optional<Rapport> &rapport = session_.rapport();
    if (!rapport)
        return seat.resume();
    f.role = QStringLiteral("recepteur");
    return ResumeMesure(rapport->secondes, rapport->octets, seat.debut(), seat.debut().addMSecs(rapport->dureeMs));
}

void TestComplet::surFin(Session::Fin fin, const QString &remarque)
{
    const Phase &phase = Phases[phase_];
    if (!remarque.isEmpty())
        Sortie::diagnostic(remarque.at(0).toUpper() + remarque.mid(1) + QLatin1Char('.'));
    const QString motif = Session::motif(fin);
    if (phase.genre != Session::Genre::Retour) {
        Sortie::Flux f = flux(phase, true, pair_);
        resumes_[phase_ == 0 ? 0 : 2] = montant(f);
        sortie_.resume(f, motif, resumes_[phase_ == 0 ? 0 : 2]);
    }
    if (phase.genre != Session::Genre::Envoi) {
        resumes_[phase_ == 1 ? 1 : 3] = session_.descendant().mesure().resume();
        sortie_.resume(flux(phase, false, pair_), motif, resumes_[phase_ == 1 ? 1 : 3]);
    }
    if (fin == Session::Fin::Interruption) {
        termine(Termine);
        return;
    }
    if (phase_ + 1 < int(std::size(Phases))) {
        phaseSuivante();
        return;
    }
    sortie_.test(pair_, resumes_[0], resumes_[1], resumes_[2], resumes_[3]);
    termine(Termine);
}

void TestComplet::interromps()
{
    if (session_.connectee())
        Sortie::diagnostic(QStringLiteral("Interrompu."));
    session_.interromps();
}
