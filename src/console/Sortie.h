#pragma once

#include <QString>

#include <cstdio>

class ResumeMesure;

// What the console prints on standard output: lines for a person, or JSON
// Lines for a program, never both. Every line is written whole and flushed
// at once, so that a pipe gets each one as it happens. Diagnostics go to
// standard error, in French, whatever the output's form.
class Sortie
{
public:
    explicit Sortie(bool json, std::FILE *sortie = stdout);

    // A completed second of a measurement: the `numero`-th since the
    // connection, and the bytes counted in it. `role` is "recepteur" (bytes
    // read) or "emetteur" (bytes the system took); `pair` the other end.
    void seconde(const QString &role, const QString &pair, int numero, qint64 octets);
    // The summary of a measurement that has ended; `motif` says how it ended
    // ("depart", "coupure", "duree" or "interruption").
    void resume(const QString &role, const QString &pair, const QString &motif, const ResumeMesure &resume);
    // A receiver heard announcing itself, `ms` after the listing began.
    void serveur(const QString &adresse, qint64 ms);

    static void diagnostic(const QString &texte);

    // "5,0 Mo/s  40,0 Mb/s": a rate in bytes per second, in both units.
    static QString debits(double octetsParSeconde);

private:
    void ecrit(const QByteArray &ligne);

    bool json_;
    std::FILE *sortie_;
};
