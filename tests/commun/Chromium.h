#pragma once

#include <QDeadlineTimer>
#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWebSocket>

#include <functional>
#include <sys/types.h>

class QEventLoop;

// Debian's headless Chromium (/usr/bin/chromium), driven through the DevTools
// protocol, for tests that must see a page as a browser shows it. It drives
// one page. Every call is bounded by a deadline and, while it waits, runs the
// Qt event loop (so a server in the same process keeps answering); nothing
// sleeps. Run it only inside scripts/sandbox, like any test that opens
// sockets: the browser is told to stay off the network, but it is a browser.
//
// Each instance starts its own browser on a fresh profile, in a temporary
// folder that also serves as its home, so nothing is left in the user's.
class Chromium
{
public:
    Chromium();
    // Closes the browser (Browser.close, then SIGKILL to its whole process
    // group if it lingers) and removes its profile. Returns once none of its
    // processes is left, not even a zombie: init reaps those the browser
    // leaves behind, on some machines only every other second.
    ~Chromium();
    Chromium(const Chromium &) = delete;
    Chromium &operator=(const Chromium &) = delete;

    // Starts the browser and connects to its page, within delaiMs; once per
    // instance. False, with a warning saying why (and the end of the
    // browser's log), otherwise.
    bool demarre(int delaiMs = 30000);
    // Emulates a viewport of largeur x hauteur CSS pixels: a phone (mobile
    // layout, touch, 2 device pixels per CSS pixel) or a desktop (1 per pixel).
    // A page without <meta name="viewport" content="width=device-width"> is
    // laid out 980 pixels wide on a phone, as real phones do.
    bool taille(int largeur, int hauteur, bool mobile);
    // Loads url and waits for its load event. False when the load failed (the
    // reason is also added to erreurs()) or did not end within delaiMs. A
    // change of the fragment alone has no load event: it returns at once.
    bool ouvre(const QString &url, int delaiMs);
    // The expression's value, as JSON, a promise awaited. Undefined when the
    // value is undefined or cannot be put in JSON, and, with a warning saying
    // why, when the expression threw or no answer came within delaiMs.
    QJsonValue evalue(const QString &expression, int delaiMs = 10000);
    // Evaluates the expression again and again, until its value is truthy
    // in JavaScript's sense (throwing counts as false). False at the deadline.
    bool attends(const QString &expression, int delaiMs);
    // Saves what the viewport shows as a PNG file, in device pixels.
    bool capture(const QString &chemin, int delaiMs = 10000);
    // What the page reported as wrong since demarre(), oldest first: console
    // errors, uncaught exceptions, refused loads (Content Security Policy)
    // and failed loads. At most a few hundred are kept; a last line counts
    // those dropped.
    QStringList erreurs() const;

private:
    // Sends a command and waits for its answer until echeance. False, with a
    // warning, on an error or no answer; otherwise its result, when asked.
    bool commande(const QString &methode, const QJsonObject &parametres, const QDeadlineTimer &echeance,
                  QJsonObject *resultat = nullptr);
    // Evaluates and returns the value's description (a RemoteObject); empty,
    // and pourquoi set, when it threw or did not answer.
    QJsonObject evaluation(const QString &expression, const QDeadlineTimer &echeance, QString *pourquoi);
    // Runs the event loop until fini() or echeance; wakes on every message,
    // and every intervalleMs when a condition needs looking at.
    bool patiente(const std::function<bool()> &fini, const QDeadlineTimer &echeance, int intervalleMs = 0);
    void reveille();
    // The body of an HTTP request to the browser's DevTools server.
    QByteArray demande(quint16 port, const QString &chemin, bool creation, const QDeadlineTimer &echeance);
    bool connecte(quint16 port, const QDeadlineTimer &echeance);
    void recoit(const QString &message);
    void note(const QString &erreur);
    QString finDuJournal() const;
    void ferme();

    QTemporaryDir dossier_;
    QProcess processus_;
    QWebSocket socket_;
    pid_t groupe_ = 0;
    QEventLoop *boucle_ = nullptr;
    int prochain_ = 1;
    // Answers are kept only for the commands still waited for.
    QSet<int> attendues_;
    QHash<int, QJsonObject> reponses_;
    // The last loaders whose document reached its load event.
    QStringList charges_;
    QStringList erreurs_;
    int oubliees_ = 0;
};
