#pragma once

#include "mesure/Mesure.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

#include <functional>
#include <optional>

class QSqlQuery;

// The history of measurements: one SQLite file in the user's data folder,
// one row per measurement with its figures, its seconds and the place the
// person gives it ("Lieu").
//
// The file is never repaired, emptied or replaced: a file that is not a
// database of this program, is damaged, or was made by a newer version
// leaves the history unavailable (raison() says why) and the file as it was.
// So does a file, or a folder, that does not take writes: SQLite writes its
// journal beside the file. Every change between available and unavailable,
// or from one reason to another, is said once on standard error
// ("bandepassante : historique indisponible : <raison>", "bandepassante :
// historique de nouveau disponible") and signalled.
// Several copies of the program may share the file: every write is one
// transaction; a write that finds the file locked waits a moment, and a
// measurement that still cannot be written, locked or unavailable, is kept
// (at most AttenteMax of them, a week of seconds in all) and written again
// every few seconds until it is.
class Historique : public QObject
{
    Q_OBJECT

public:
    // The version of the tables this program writes, kept in the file's
    // user_version.
    // 2 adds each measurement's direction and test, 3 its link, its signal,
    // its latencies and TCP's view of its seconds, 4 the browser a
    // measuring page ran in; an older file is brought to this version when
    // opened, its measurements kept.
    static constexpr int VersionSchema = 4;
    // How long one statement waits for another copy's lock.
    static constexpr int AttenteVerrouMs = 250;
    static constexpr int RelanceMs = 2000;
    // Past these, the oldest waiting measurements are dropped: a file that
    // stays unavailable must not take the memory without end.
    static constexpr size_t AttenteMax = 1000;
    static constexpr size_t SecondesAttenteMax = Mesure::SecondesMax;

    // One stored measurement, as the history window lists it.
    struct Fiche
    {
        qint64 id = 0;
        QDateTime debut;
        QDateTime fin;
        QString emetteur;
        QString recepteur;
        QString lieu;
        QString sens;
        qint64 test = 0;
        QString lien;
        // The browser and its system, for a measurement from the page.
        QString appareil;
        std::optional<int> signalDbm;
        qint64 latenceReposUs = 0;
        qint64 latenceChargeUs = 0;
        qint64 total = 0;
        double moyenne = 0;
        qint64 minimum = 0;
        double mediane = 0;
        qint64 centile90 = 0;
        qint64 maximum = 0;
        // Written by the minute checkpoints only: the program ended without
        // closing it (a crash), or another copy is still measuring.
        bool inachevee = false;
    };

    explicit Historique(const QString &chemin, QObject *parent = nullptr);
    ~Historique() override;

    // historique.sqlite in the user's data folder.
    static QString CheminParDefaut();

    QString chemin() const { return chemin_; }
    // False from the moment the file cannot be opened or refuses a write
    // (a lock aside) until it opens again with nothing waiting, or takes a
    // write.
    bool disponible() const { return raison_.isEmpty(); }
    QString raison() const { return raison_; }

    // Writes the measurement, or rewrites it if it is already there (the
    // same start and addresses): its Lieu is kept. `inachevee` marks a
    // checkpoint of a measurement still running. False when it could not be
    // written now; it is then written again later, whatever happens, unless
    // the waiting list overflows first.
    bool enregistre(const Mesure &mesure, bool inachevee);
    // Measurements waiting for the file to be free or available again.
    int enAttente() const { return int(attente_.size()); }
    // Tries the waiting writes once more, each waiting up to `attenteMs` for
    // a lock, before the program ends.
    void ecritAttente(int attenteMs);

    // Every measurement, the newest first; none while the history is
    // unavailable.
    QVector<Fiche> fiches();
    std::optional<Mesure> charge(qint64 id);
    // The place of a measurement, and of every measurement of its test.
    bool changeLieu(qint64 id, const QString &lieu);
    bool supprime(const QVector<qint64> &ids);

signals:
    // The stored measurements changed (written, relabelled or deleted).
    void change();
    // disponible() or raison() changed.
    void disponibiliteChangee();

private:
    struct Ecriture
    {
        Mesure mesure;
        bool inachevee;
    };

    bool ouvre();
    bool lisible();
    bool creeTables();
    bool reconnaitTables(int version);
    QString refusEcriture() const;
    bool indisponible(const QString &pourquoi);
    void dit(const QString &raison);
    bool ecrit(const Ecriture &e);
    void relance();
    bool transaction(QSqlQuery &q, const std::function<bool()> &travail);

    QString chemin_;
    QString connexion_;
    // The connection is open and the file known as a history; the history
    // may still be unavailable until a write goes in (see lisible()).
    bool ouverte_ = false;
    // Why the history is unavailable; empty when it is available.
    QString raison_;
    std::vector<Ecriture> attente_;
    QTimer relance_;
};
