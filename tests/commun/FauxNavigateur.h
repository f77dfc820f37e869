#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A stand-in for the web browser: a shell script that writes down the
// arguments it was started with. It lives in a temporary folder of its own,
// under a path with blanks in it ("Mon navigateur/navi gateur"), so that a
// command line must quote it; the folder goes when the object does.
class FauxNavigateur
{
public:
    FauxNavigateur();
    FauxNavigateur(const FauxNavigateur &) = delete;
    FauxNavigateur &operator=(const FauxNavigateur &) = delete;

    // True once the folder and the script are in place.
    bool pret() const;
    // The script's path, to name in a command line.
    QString chemin() const;
    // True once the script has run and its record is complete.
    bool appele() const;
    // The arguments of the run, in order, each exactly as received; empty
    // before it.
    QStringList arguments() const;

private:
    QTemporaryDir dossier_;
    QString chemin_;
    QString appel_;
    bool pret_ = false;
};
