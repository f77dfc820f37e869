#pragma once

#include <QCoreApplication>
#include <QString>

#include <cstdio>

class ResumeMesure;
struct Lien;
struct VueTcp;

#include <functional>

// What the console prints on standard output: lines for a person, or JSON
// Lines for a program, never both. Every line is written whole and flushed
// at once, so that a pipe gets each one as it happens. Diagnostics go to
// standard error, whatever the output's form. A person's lines and the
// diagnostics speak the person's language; JSON does not. Text that came from
// the network is made harmless before a person's lines show it; JSON escapes
// it anyway.
//
// A write that fails (a full disk, a closed pipe) is an error: it is said
// on standard error, the action given to siEchec() runs, and from then on
// nothing more is written on either output, so that the program stops
// without more words. A pipe closed by its reader (`| head -1`) is not even
// said: the program ends quietly.
class Sortie
{
    Q_DECLARE_TR_FUNCTIONS(Sortie)

public:
    explicit Sortie(bool json, std::FILE *sortie = stdout);

    // What a failed write does (the program stops its command).
    void siEchec(std::function<void()> action) { siEchec_ = std::move(action); }
    bool enEchec() const { return enEchec_; }

    // Which measurement a line belongs to. `role` is the end that counts:
    // "recepteur" (bytes read) or "emetteur" (bytes the far end
    // acknowledged); `pair`
    // the other end; `sens`, from the seat (emettre, test), "montant",
    // "descendant" or "simultane", none for a receiver; a person's lines
    // begin with `etiquette` when a command measures several directions.
    struct Flux
    {
        QString role;
        QString pair;
        QString sens;
        QString etiquette;
    };
    // The label of a direction's lines: "montant  ", "simultané descendant  ",
    // from the measuring page "page montant  ".
    static QString etiquette(bool montant, bool simultane, bool page = false);

    // A completed second of a measurement: the `numero`-th since the
    // connection, the bytes counted in it and, when this end sent them,
    // TCP's view of that second.
    // `lien`, the link as last seen: for Wi-Fi, its signal and bit rates
    // go with the second.
    void seconde(const Flux &flux, int numero, qint64 octets, const VueTcp *tcp = nullptr,
                 const Lien *lien = nullptr);
    // The summary of a measurement that has ended; `motif` says how it ended
    // ("depart", "coupure", "duree" or "interruption").
    void resume(const Flux &flux, const QString &motif, const ResumeMesure &resume, const Lien &lien);
    // The link a measurement runs over, as it begins: one line on standard
    // error.
    static void lien(const Lien &lien);
    // Whom a complete test measured against: the receiver, or the browser
    // that measured from the page with its place.
    struct Pair
    {
        QString adresse;
        QString appareil;
        QString lieu;
    };
    // The figures of a complete test, from the seat: each phase's summary,
    // the simultaneous one in both directions, those measured (a phase not
    // measured is null); `motif` says how the test ended, as a summary
    // names it.
    void test(const Pair &pair, const Lien &lien, const QString &motif, const ResumeMesure *montant,
              const ResumeMesure *descendant, const ResumeMesure *simultaneMontant,
              const ResumeMesure *simultaneDescendant);
    // Where the measuring page is: its address on each of this machine's
    // addresses, the first the one to use (JSON only; a person reads it on
    // standard error).
    void page(const QStringList &adresses);
    // A receiver heard announcing itself, `ms` after the listing began.
    void serveur(const QString &adresse, qint64 ms);

    static void diagnostic(const QString &texte);
    // What the program has to complain of, worded for the middle of a
    // sentence, said after its name: "bandepassante-console : port déjà pris.".
    static void erreur(const QString &raison);
    // A reason worded for the middle of a sentence, said as a sentence of
    // its own: a capital, a full stop.
    static void phrase(const QString &raison);

    // Writes what is left in `f`'s buffer, before the program ends. False
    // when anything written to it was lost, said as a failed write is.
    static bool Confirme(std::FILE *f = stdout);

    // "5,0 Mo/s  40,0 Mb/s": a rate in bytes per second, in both units.
    static QString debits(double octetsParSeconde);

private:
    void ecrit(const QByteArray &ligne);
    static void echec(int numero);

    bool json_;
    std::FILE *sortie_;
    bool enEchec_ = false;
    std::function<void()> siEchec_;
    // A write has failed: nothing more is said.
    static inline bool muet_ = false;
};
