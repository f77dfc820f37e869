#pragma once

#include "mesure/Mesure.h"
#include "session/Chronique.h"

#include <QObject>
#include <QTimer>

class Historique;

// Follows the receiver's measurement from a transmitter's connection until
// it leaves, and stores it in the history when it ends (if it lasted at
// least DureeMinimaleMs) and every minute while it runs, so that a crash
// loses at most the last minute. Its seconds are counted by a Chronique,
// from the connection on, as the console counts them; the time after the
// last complete second counts in the total and the mean only.
class SuiviMesure : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 DureeMinimaleMs = 3000;
    static constexpr int PointMs = 60 * 1000;

    // `historique` may be null: nothing is stored then. `pointMs`: the
    // period of the checkpoints.
    explicit SuiviMesure(Historique *historique, QObject *parent = nullptr, int pointMs = PointMs);

    // A transmitter has just been accepted, or the seat's own request began
    // (`sens`, and `test` for a phase of a complete test). Ends any
    // measurement still open. The phases of a test are followed, not
    // stored: the test stores its three measurements when it ends.
    void commence(const QString &emetteur, const QString &recepteur, const QString &sens = QString(),
                  qint64 test = 0);
    // Bytes just read, or just delivered when this machine sends.
    void octets(qint64 n) { chronique_.ajoute(n); }
    // For a measurement of what this machine sends, from commence() until
    // the next: how its bytes are read as each second closes, and TCP's
    // view of each second (see Chronique).
    void definitReleve(std::function<void()> releve) { chronique_.definitReleve(std::move(releve)); }
    void definitVueTcp(std::function<std::optional<VueTcp>()> vue) { chronique_.definitVueTcp(std::move(vue)); }
    // TCP's view of each second as the far end, which sent, reported it.
    void definitTcp(const std::vector<VueTcp> &vues) { chronique_.definitTcp(vues); }
    // Describes the link to the far end of the measurement just begun.
    void decritLien(const QString &pair) { chronique_.decritLien(QHostAddress(pair)); }
    // The transmitter left, reception stopped or the program ends.
    void termine();

    // The measurement running, or the last one; existe() is false before
    // the first. Once a complete test has ended, its last measurement as
    // the test keeps it (the followed one, counted where it arrived).
    const Mesure &mesure() const;

    // A complete test has ended, whole or not: its measurements (see
    // TestComplet::mesures) are stored as one test, and kept for the summary.
    void testTermine(const std::vector<Mesure> &phases);
    // The last complete test, when the measurement followed is one of its
    // phases; empty otherwise.
    std::vector<Mesure> testCourant() const;

signals:
    // The measurement began, gained a second or ended.
    void change();

private:
    void pointDeControle();

    Historique *historique_;
    Chronique chronique_;
    std::vector<Mesure> test_;
    QTimer point_;
};
