#pragma once

#include <QObject>

// One sub-command of the console program, run on the event loop: started by
// demarre() once the loop runs, it says once, through fini(), that it is over
// and with which exit code.
class Commande : public QObject
{
    Q_OBJECT

public:
    // The program's exit codes.
    enum Code {
        Termine = 0,
        // The measurement could not be made: unreachable, refused, port
        // taken, peer gone before any byte; or what it measured could not
        // be written.
        Impossible = 1,
        // Bad command line.
        Usage = 2,
    };

    virtual void demarre() = 0;
    // Ctrl-C or SIGTERM: ends at once; a measurement in progress is closed
    // cleanly and summarised.
    virtual void interromps() = 0;

    // A name lookup is still running: the system's resolver cannot cut it
    // short, and the program must not wait for it when it ends.
    virtual bool rechercheEnCours() const { return false; }

    bool estFini() const { return fini_; }

signals:
    void fini(int code);

protected:
    // Ends the command with `code`; later calls change nothing.
    void termine(int code);

private:
    bool fini_ = false;
};
