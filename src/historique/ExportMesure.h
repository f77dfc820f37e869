#pragma once

#include "historique/Historique.h"
#include "mesure/Mesure.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// What a measurement becomes outside the program: the summary as text, the
// seconds as CSV or JSON, a selection of the history as CSV, and the file
// that holds them.

// The direction of a measurement relative to this machine, in the person's
// words: "montant" (from it), "descendant" (to it), "simultané montant",
// "simultané descendant", and for the single row an earlier version kept of
// both ways at once, "simultané (somme des deux sens)". A measurement stored
// without its direction is told by its ends' addresses: this machine's
// receiving is "descendant", its sending "montant", otherwise "inconnu".
QString SensLisible(const QString &sens, const QString &emetteur, const QString &recepteur);
QString SensLisible(const Mesure &mesure);
// "10.45.0.1 → 10.45.0.2".
QString Extremites(const QString &emetteur, const QString &recepteur);
QString Extremites(const Mesure &mesure);

// The summary in the person's language, one figure a line: transmitter,
// receiver, its direction, start, duration, total, mean (and the mean in
// decimal megabits per second, the unit other meters use), minimum, median,
// 90th percentile and maximum per second, in octets and in bits, latency
// and link. Empty before any measurement.
QString TexteResume(const Mesure &mesure);

// A complete test's measurements (montant, descendant, then both directions
// of the simultaneous phase, as far as it went) side by side, as a table in
// rich text: its means and maxima in both units and each direction's
// latency; the two simultaneous directions' sum in a column of its own,
// named as such.
QString TableauTest(const std::vector<Mesure> &phases);

// The mean in decimal megabits per second: "soit 287,0 Mbit/s décimaux".
QString MegabitsDecimaux(double octetsParSeconde);

// Local date and time with its offset from UTC: 2026-12-07T09:40:12+01:00.
QString HeureIso(const QDateTime &t);

// RFC 4180: a header row, then one row per complete second (its time, the
// seconds since the start, its bytes and its bits per second), CRLF line
// ends, integers only, so that any spreadsheet in any locale reads it. The
// time of second n is the start plus n seconds.
QByteArray CsvMesure(const Mesure &mesure);

// The summary's figures and the seconds as one JSON document.
QByteArray JsonMesure(const Mesure &mesure);

// One row per stored measurement, the Lieu quoted as RFC 4180 asks; rates
// rounded to whole bytes per second.
QByteArray CsvFiches(const QVector<Historique::Fiche> &fiches);

// One CSV field: quoted, inner quotes doubled, when it holds a comma, a
// quote or a line break.
QString ChampCsv(const QString &champ);

// mesure-AAAA-MM-JJ-HHMMSS.<extension> for a measurement that began at
// `debut`.
QString NomFichierMesure(const QDateTime &debut, const QString &extension);

// Writes `donnees` to `chemin` whole or not at all. Empty on success,
// otherwise the reason, to be shown to the person.
QString EcritFichier(const QString &chemin, const QByteArray &donnees);

// Writes the measurement to `chemin`: JSON when the name ends in .json, CSV
// otherwise. Empty on success, otherwise the reason, to be shown to the person.
QString EnregistreMesure(const QString &chemin, const Mesure &mesure);
