#pragma once

#include "protocole/Protocole.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The console's command line: a sub-command, in French or its English alias,
// and its options. Reading it prints what it must (the help, the version, or
// what is wrong followed by the usage) and says whether the program goes on.
class LigneCommande
{
    Q_DECLARE_TR_FUNCTIONS(LigneCommande)

public:
    enum class Mode { Recevoir, Emettre, Serveurs, Test };

    // What the command line asks for.
    struct Reglages
    {
        Mode mode = Mode::Recevoir;
        bool json = false;
        int port = Protocole::Port;
        // Seconds; 0 means until interrupted.
        int duree = 0;
        int attente = 10;
        bool uneFois = false;
        // emettre: the blocks back from the receiver; recevoir: never send
        // them back.
        bool retour = false;
        bool sansRetour = false;
        // recevoir: no measuring page, every connection a transmitter's.
        bool sansPage = false;
        // recevoir: where to serve GET /metrics ("ADRESSE:PORT"); empty: not.
        QString metriques;
        QString hote;
    };

    // `arguments` as QCoreApplication::arguments() gives them, program first.
    explicit LigneCommande(const QStringList &arguments);

    // False when the program must stop at once with code().
    bool valide() const { return valide_; }
    int code() const { return code_; }
    const Reglages &reglages() const { return reglages_; }

    static QString usage();

private:
    // `pourquoi` is worded for the middle of a sentence.
    bool refuse(const QString &pourquoi);

    Reglages reglages_;
    bool valide_ = false;
    int code_ = 0;
};
