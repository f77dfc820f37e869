#pragma once

#include "mesure/ResumeMesure.h"
#include "session/Session.h"

#include <QObject>

// A complete test against one receiver, for the windows and the console
// alike: upload with the receiver's own count (montant), download
// (descendant), then both at once (simultane), the same seconds each, each
// phase on a connection of its own, on one Session. An upload is told by
// what the receiver says it received when it says it, otherwise by what it
// acknowledged. Stops at the first phase that cannot be made or is
// cut, or on an interruption, keeping the figures of the phases that ended.
class TestComplet : public QObject
{
    Q_OBJECT

public:
    enum Phase { Montant, Descendant, Simultane };
    static constexpr int NbPhases = 3;

    explicit TestComplet(QObject *parent = nullptr);

    // `reglages.genre` is ignored: each phase sets its own.
    void demarre(const Session::Reglages &reglages);
    void interromps() { session_.interromps(); }

    Session &session() { return session_; }
    const Session &session() const { return session_; }
    Phase phase() const { return phase_; }
    bool enCours() const { return enCours_; }
    // How many phases have ended with figures, in order from Montant.
    int phasesMesurees() const { return mesurees_; }

    // The figures of a phase that has ended: its upload (the receiver's
    // count, or the seat's), its download.
    ResumeMesure montant(Phase phase) const { return resumes_[phase][0]; }
    ResumeMesure descendant(Phase phase) const { return resumes_[phase][1]; }
    // Whether the upload of `phase` is the receiver's own count.
    bool compteDuRecepteur(Phase phase) const { return rapportes_[phase]; }
    // The measurements of a phase that has ended, as the seat made them,
    // the upload's seconds replaced by the receiver's when it gave them.
    const Mesure &mesureMontant(Phase phase) const { return mesures_[phase][0]; }
    const Mesure &mesureDescendant(Phase phase) const { return mesures_[phase][1]; }

    // The measurements of the phases that ended, as the history keeps them:
    // the upload ("montant"), the download ("descendant"), then each
    // direction of the simultaneous phase ("simultane-montant",
    // "simultane-descendant"). Each carries its direction and the test's
    // identifier (its start, in ms since the epoch).
    std::vector<Mesure> mesures() const;
    qint64 identifiant() const { return identifiant_; }

    // "montant", "descendant", "simultane".
    static QString sens(Phase phase);
    // The phase's name for a person: "montant", "descendant", "simultané".
    static QString nomPhase(Phase phase);

signals:
    void phaseCommencee(TestComplet::Phase phase);
    // The phase's figures are ready; `remarque` as Session says it.
    void phaseTerminee(TestComplet::Phase phase, Session::Fin fin, const QString &remarque);
    // The test is over: `fin` is Duree when every phase has run, otherwise
    // Interruption, or Coupure when phase() was cut (its remark says why) or
    // could not be made (`raison` says why).
    void termine(Session::Fin fin, const QString &raison);
    // Not even the first phase could be made, and why.
    void impossible(const QString &raison);

private:
    void lance(Phase phase);
    void surFin(Session::Fin fin, const QString &remarque);

    Session session_;
    Session::Reglages reglages_;
    Phase phase_ = Montant;
    bool enCours_ = false;
    ResumeMesure resumes_[NbPhases][2];
    Mesure mesures_[NbPhases][2];
    bool rapportes_[NbPhases] = {};
    int mesurees_ = 0;
    qint64 identifiant_ = 0;
};
