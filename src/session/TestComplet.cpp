#include "session/TestComplet.h"

namespace {

constexpr Session::Genre Genres[] = {Session::Genre::Envoi, Session::Genre::Retour, Session::Genre::Simultane};

}

TestComplet::TestComplet(QObject *parent)
    : QObject(parent)
{
    connect(&session_, &Session::terminee, this, &TestComplet::surFin);
    connect(&session_, &Session::impossible, this, [this](const QString &raison) {
        enCours_ = false;
        if (mesurees_ == 0)
            emit impossible(raison);
        else
            emit termine(Session::Fin::Coupure, raison);
    });
}

QString TestComplet::sens(Phase phase)
{
    static const char *const noms[] = {"montant", "descendant", "simultane"};
    return QString::fromLatin1(noms[phase]);
}

QString TestComplet::nomPhase(Phase phase)
{
    static const char *const noms[] = {QT_TR_NOOP("montant"), QT_TR_NOOP("descendant"), QT_TR_NOOP("simultané")};
    return tr(noms[phase]);
}

void TestComplet::demarre(const Session::Reglages &reglages)
{
    reglages_ = reglages;
    enCours_ = true;
    identifiant_ = QDateTime::currentMSecsSinceEpoch();
    mesurees_ = 0;
    for (int p = 0; p < NbPhases; ++p) {
        resumes_[p][0] = resumes_[p][1] = ResumeMesure();
        mesures_[p][0] = mesures_[p][1] = Mesure();
        rapportes_[p] = false;
    }
    lance(Montant);
}

void TestComplet::lance(Phase phase)
{
    phase_ = phase;
    reglages_.genre = Genres[phase];
    emit phaseCommencee(phase);
    session_.demarre(reglages_);
}

void TestComplet::surFin(Session::Fin fin, const QString &remarque)
{
    const Mesure &montant = session_.montant().mesure();
    const std::optional<Rapport> &rapport = session_.rapport();
    if (phase_ != Descendant) {
        Mesure m = montant;
        if (rapport) {
            m = Mesure(montant.emetteur(), montant.recepteur(), montant.debut());
            for (const qint64 s : rapport->secondes)
                m.ajouteSeconde(s);
            m.ajouteOctets(rapport->octets);
            m.definitTcp(montant.tcp());
            m.definitLien(montant.lien());
            m.termine(montant.debut().addMSecs(rapport->dureeMs));
        }
        mesures_[phase_][0] = m;
        resumes_[phase_][0] = m.resume();
        rapportes_[phase_] = rapport.has_value();
    }
    if (phase_ != Montant) {
        mesures_[phase_][1] = session_.descendant().mesure();
        resumes_[phase_][1] = mesures_[phase_][1].resume();
    }
    mesurees_ = phase_ + 1;
    emit phaseTerminee(phase_, fin, remarque);
    const bool arret = fin == Session::Fin::Interruption || fin == Session::Fin::Coupure;
    if (arret || phase_ == Simultane) {
        enCours_ = false;
        emit termine(arret ? fin : Session::Fin::Duree, QString());
        return;
    }
    lance(Phase(phase_ + 1));
}

std::vector<Mesure> TestComplet::mesures() const
{
    const struct {
        Phase phase;
        int sens;
        const char *nom;
    } parties[] = {{Montant, 0, "montant"},
                   {Descendant, 1, "descendant"},
                   {Simultane, 0, "simultane-montant"},
                   {Simultane, 1, "simultane-descendant"}};
    std::vector<Mesure> v;
    for (const auto &p : parties) {
        if (p.phase >= mesurees_)
            break;
        v.push_back(mesures_[p.phase][p.sens]);
        v.back().definitTest(QString::fromLatin1(p.nom), identifiant_);
    }
    return v;
}
