#include "Chromium.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <memory>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <utility>

namespace {

// What a command without a delay of its own may take.
constexpr int delaiCommande = 10000;
// How long the browser gets to close itself, then to die once killed.
constexpr int delaiFermeture = 5000;
// Pause between two evaluations of a condition that is still false.
constexpr int pauseAttente = 50;
// Bounds on what is kept of the page's reports.
constexpr int erreursGardees = 200;
constexpr int chargementsGardes = 32;

// The port in a DevToolsActivePort file, or 0 while it is absent or not yet
// whole (a port, then the browser target's path).
quint16 portAnnonce(const QString &chemin)
{
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lignes = fichier.read(4096).split('\n');
    if (lignes.size() < 2 || !lignes[1].startsWith("/devtools/browser/"))
        return 0;
    bool ok = false;
    const uint port = lignes[0].trimmed().toUInt(&ok);
    return ok && port > 0 && port <= 65535 ? quint16(port) : 0;
}

// JavaScript's truthiness of a value as the protocol describes it.
bool vrai(const QJsonObject &objet)
{
    const QString type = objet.value(QStringLiteral("type")).toString();
    const QJsonValue valeur = objet.value(QStringLiteral("value"));
    const QString nonJson = objet.value(QStringLiteral("unserializableValue")).toString();
    if (type == QLatin1String("boolean"))
        return valeur.toBool();
    if (type == QLatin1String("number"))
        return nonJson.isEmpty() ? valeur.toDouble() != 0 : nonJson.endsWith(QLatin1String("Infinity"));
    if (type == QLatin1String("bigint"))
        return nonJson != QLatin1String("0n");
    if (type == QLatin1String("string"))
        return !valeur.toString().isEmpty();
    if (type == QLatin1String("object"))
        return objet.value(QStringLiteral("subtype")).toString() != QLatin1String("null");
    // Functions and symbols are truthy; undefined, or nothing at all, is not.
    return type == QLatin1String("function") || type == QLatin1String("symbol");
}

// One argument of a console call, as the console would print it.
QString texteArgument(const QJsonObject &objet)
{
    const QJsonValue valeur = objet.value(QStringLiteral("value"));
    if (valeur.isString())
        return valeur.toString();
    if (valeur.isBool())
        return valeur.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (valeur.isDouble())
        return QString::number(valeur.toDouble());
    for (const char *cle : {"description", "unserializableValue", "type"}) {
        const QString texte = objet.value(QLatin1String(cle)).toString();
        if (!texte.isEmpty())
            return texte;
    }
    return {};
}

// Where a report comes from, when it says so: " (url:line)".
QString lieu(const QJsonObject &objet)
{
    const QString url = objet.value(QStringLiteral("url")).toString();
    if (url.isEmpty())
        return {};
    const QJsonValue ligne = objet.value(QStringLiteral("lineNumber"));
    // The protocol counts lines from 0, people from 1.
    return ligne.isDouble() ? QStringLiteral(" (%1:%2)").arg(url).arg(ligne.toInt() + 1)
                            : QStringLiteral(" (%1)").arg(url);
}

// An exception's message, its stack left out: "Uncaught Error: boom".
QString texteException(const QJsonObject &details)
{
    const QString description =
        details.value(QStringLiteral("exception")).toObject().value(QStringLiteral("description")).toString();
    const QString texte = details.value(QStringLiteral("text")).toString();
    if (description.isEmpty())
        return texte;
    return texte + QLatin1Char(' ') + description.section(QLatin1Char('\n'), 0, 0);
}

}

Chromium::Chromium()
{
    // Screenshots are the largest answers, a few megabytes: more means trouble.
    socket_.setMaxAllowedIncomingMessageSize(64 * 1024 * 1024);
    socket_.setProxy(QNetworkProxy::NoProxy);
    QObject::connect(&socket_, &QWebSocket::textMessageReceived, &socket_,
                     [this](const QString &message) { recoit(message); });
    QObject::connect(&socket_, &QWebSocket::stateChanged, &socket_, [this] { reveille(); });
    QObject::connect(&processus_, &QProcess::stateChanged, &processus_, [this] { reveille(); });
}

Chromium::~Chromium()
{
    ferme();
}

bool Chromium::demarre(int delaiMs)
{
    const QDeadlineTimer echeance(delaiMs);
    if (processus_.state() != QProcess::NotRunning) {
        qWarning("Chromium : déjà démarré");
        return false;
    }
    if (!dossier_.isValid()) {
        qWarning("Chromium : pas de dossier temporaire : %s", qPrintable(dossier_.errorString()));
        return false;
    }
    // The browser writes in its home too (crash reports, certificates):
    // let that home be ours, and go with the profile.
    QProcessEnvironment environnement = QProcessEnvironment::systemEnvironment();
    environnement.insert(QStringLiteral("HOME"), dossier_.path());
    environnement.insert(QStringLiteral("XDG_CONFIG_HOME"), dossier_.filePath(QStringLiteral(".config")));
    environnement.insert(QStringLiteral("XDG_CACHE_HOME"), dossier_.filePath(QStringLiteral(".cache")));
    processus_.setProcessEnvironment(environnement);
    // Its chatter goes to a file, which nothing must drain, and is shown on failure.
    processus_.setStandardInputFile(QProcess::nullDevice());
    processus_.setProcessChannelMode(QProcess::MergedChannels);
    processus_.setStandardOutputFile(dossier_.filePath(QStringLiteral("chromium.log")));
    // A group of its own, so that all its processes can be killed at once; and
    // killed with us should this test crash, rather than left running.
    processus_.setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    const QString profil = dossier_.filePath(QStringLiteral("profil"));
    // Root needs --no-sandbox; the rest keeps the browser quiet and off the network.
    processus_.start(QStringLiteral("/usr/bin/chromium"),
                     {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                      QStringLiteral("--disable-quic"), QStringLiteral("--no-first-run"),
                      QStringLiteral("--disable-background-networking"), QStringLiteral("--disable-component-update"),
                      QStringLiteral("--disable-sync"), QStringLiteral("--no-proxy-server"),
                      QStringLiteral("--user-data-dir=") + profil, QStringLiteral("--remote-debugging-port=0"),
                      QStringLiteral("about:blank")});
    if (!patiente([this] { return processus_.state() != QProcess::Starting; }, echeance)
        || processus_.state() != QProcess::Running) {
        qWarning("Chromium : /usr/bin/chromium ne démarre pas : %s", qPrintable(processus_.errorString()));
        return false;
    }
    groupe_ = pid_t(processus_.processId());

    // With port 0 the system picks the port; the browser names it in this
    // file once it listens. Nothing signals the file: look every 20 ms.
    const QString annonce = profil + QStringLiteral("/DevToolsActivePort");
    quint16 port = 0;
    patiente(
        [&] {
            port = portAnnonce(annonce);
            return port != 0 || processus_.state() == QProcess::NotRunning;
        },
        echeance, 20);
    if (port == 0) {
        qWarning("Chromium : pas de port DevTools en %d ms%s\n%s", delaiMs,
                 processus_.state() == QProcess::NotRunning ? " (le navigateur s'est arrêté)" : "",
                 qPrintable(finDuJournal()));
        return false;
    }
    if (!connecte(port, echeance)) {
        qWarning("Chromium : journal du navigateur :\n%s", qPrintable(finDuJournal()));
        return false;
    }
    // Load events by loader (ouvre), and everything the page reports (erreurs).
    return commande(QStringLiteral("Page.enable"), {}, echeance)
        && commande(QStringLiteral("Page.setLifecycleEventsEnabled"), {{QStringLiteral("enabled"), true}}, echeance)
        && commande(QStringLiteral("Runtime.enable"), {}, echeance)
        && commande(QStringLiteral("Log.enable"), {}, echeance);
}

bool Chromium::connecte(quint16 port, const QDeadlineTimer &echeance)
{
    // The page opened on about:blank, unless it is not listed yet: then one more.
    QString adresse;
    const QJsonArray cibles =
        QJsonDocument::fromJson(demande(port, QStringLiteral("/json/list"), false, echeance)).array();
    for (const QJsonValue &cible : cibles) {
        if (cible.toObject().value(QStringLiteral("type")).toString() == QLatin1String("page")) {
            adresse = cible.toObject().value(QStringLiteral("webSocketDebuggerUrl")).toString();
            break;
        }
    }
    if (adresse.isEmpty()) {
        adresse = QJsonDocument::fromJson(demande(port, QStringLiteral("/json/new?about:blank"), true, echeance))
                      .object()
                      .value(QStringLiteral("webSocketDebuggerUrl"))
                      .toString();
    }
    if (adresse.isEmpty()) {
        qWarning("Chromium : pas de page à piloter sur le port %d", int(port));
        return false;
    }
    socket_.open(QUrl(adresse));
    patiente([this] { return socket_.state() == QAbstractSocket::ConnectedState
                             || socket_.state() == QAbstractSocket::UnconnectedState; },
             echeance);
    if (socket_.state() != QAbstractSocket::ConnectedState) {
        qWarning("Chromium : pas de connexion à %s : %s", qPrintable(adresse), qPrintable(socket_.errorString()));
        socket_.abort();
        return false;
    }
    return true;
}

QByteArray Chromium::demande(quint16 port, const QString &chemin, bool creation, const QDeadlineTimer &echeance)
{
    QNetworkAccessManager reseau;
    reseau.setProxy(QNetworkProxy::NoProxy);
    const QNetworkRequest requete(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(chemin)));
    // The browser creates a page only when asked with PUT.
    const std::unique_ptr<QNetworkReply> reponse(creation ? reseau.put(requete, QByteArray()) : reseau.get(requete));
    QObject::connect(reponse.get(), &QNetworkReply::finished, reponse.get(), [this] { reveille(); });
    if (!patiente([&reponse] { return reponse->isFinished(); }, echeance)) {
        reponse->abort();
        qWarning("Chromium : %s : pas de réponse à temps", qPrintable(chemin));
        return {};
    }
    if (reponse->error() != QNetworkReply::NoError) {
        qWarning("Chromium : %s : %s", qPrintable(chemin), qPrintable(reponse->errorString()));
        return {};
    }
    // A list of a few targets: a megabyte is far more than enough.
    return reponse->read(1024 * 1024);
}

bool Chromium::taille(int largeur, int hauteur, bool mobile)
{
    const QDeadlineTimer echeance(delaiCommande);
    // The screen is the viewport, as on a phone; a phone is touched, not pointed at.
    return commande(QStringLiteral("Emulation.setDeviceMetricsOverride"),
                    {{QStringLiteral("width"), largeur},
                     {QStringLiteral("height"), hauteur},
                     {QStringLiteral("screenWidth"), largeur},
                     {QStringLiteral("screenHeight"), hauteur},
                     {QStringLiteral("deviceScaleFactor"), mobile ? 2 : 1},
                     {QStringLiteral("mobile"), mobile}},
                    echeance)
        && commande(QStringLiteral("Emulation.setTouchEmulationEnabled"),
                    {{QStringLiteral("enabled"), mobile}, {QStringLiteral("maxTouchPoints"), mobile ? 5 : 1}},
                    echeance);
}

bool Chromium::ouvre(const QString &url, int delaiMs)
{
    const QDeadlineTimer echeance(delaiMs);
    QJsonObject resultat;
    if (!commande(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), url}}, echeance, &resultat))
        return false;
    const QString echec = resultat.value(QStringLiteral("errorText")).toString();
    if (!echec.isEmpty()) {
        note(QStringLiteral("chargement : %1 : %2").arg(echec, url));
        qWarning("Chromium : %s ne se charge pas : %s", qPrintable(url), qPrintable(echec));
        return false;
    }
    // The load event to wait for is the one of this navigation's loader;
    // a navigation within the document has none, and no load event either.
    const QString chargeur = resultat.value(QStringLiteral("loaderId")).toString();
    if (chargeur.isEmpty())
        return true;
    const auto charge = [&] { return charges_.contains(chargeur); };
    patiente([&] { return charge() || socket_.state() != QAbstractSocket::ConnectedState; }, echeance);
    if (!charge())
        qWarning("Chromium : %s pas chargée en %d ms", qPrintable(url), delaiMs);
    return charge();
}

QJsonValue Chromium::evalue(const QString &expression, int delaiMs)
{
    QString pourquoi;
    const QJsonObject objet = evaluation(expression, QDeadlineTimer(delaiMs), &pourquoi);
    if (!pourquoi.isEmpty())
        qWarning("Chromium : « %s » : %s", qPrintable(expression), qPrintable(pourquoi));
    // No "value" for undefined, or for what JSON cannot carry.
    return objet.value(QStringLiteral("value"));
}

bool Chromium::attends(const QString &expression, int delaiMs)
{
    const QDeadlineTimer echeance(delaiMs);
    QString exception;
    for (;;) {
        QString pourquoi;
        if (vrai(evaluation(expression, echeance, &pourquoi)))
            return true;
        if (!pourquoi.isEmpty())
            exception = pourquoi;
        if (echeance.hasExpired() || socket_.state() != QAbstractSocket::ConnectedState)
            break;
        // Let the page and the test's own servers move on before asking again.
        const QDeadlineTimer pause(std::min<qint64>(pauseAttente, echeance.remainingTime()));
        patiente([&pause] { return pause.hasExpired(); }, pause);
    }
    qWarning("Chromium : « %s » toujours faux après %d ms%s", qPrintable(expression), delaiMs,
             exception.isEmpty() ? "" : qPrintable(QStringLiteral(" (dernière exception : %1)").arg(exception)));
    return false;
}

QJsonObject Chromium::evaluation(const QString &expression, const QDeadlineTimer &echeance, QString *pourquoi)
{
    QJsonObject resultat;
    if (!commande(QStringLiteral("Runtime.evaluate"),
                  {{QStringLiteral("expression"), expression},
                   {QStringLiteral("returnByValue"), true},
                   {QStringLiteral("awaitPromise"), true}},
                  echeance, &resultat))
        return {};
    const QJsonObject exception = resultat.value(QStringLiteral("exceptionDetails")).toObject();
    if (!exception.isEmpty()) {
        *pourquoi = texteException(exception);
        return {};
    }
    return resultat.value(QStringLiteral("result")).toObject();
}

bool Chromium::capture(const QString &chemin, int delaiMs)
{
    QJsonObject resultat;
    if (!commande(QStringLiteral("Page.captureScreenshot"), {{QStringLiteral("format"), QStringLiteral("png")}},
                  QDeadlineTimer(delaiMs), &resultat))
        return false;
    const QByteArray png = QByteArray::fromBase64(resultat.value(QStringLiteral("data")).toString().toLatin1());
    if (!png.startsWith("\x89PNG\r\n\x1a\n")) {
        qWarning("Chromium : la capture n'est pas une image PNG");
        return false;
    }
    QSaveFile fichier(chemin);
    if (!fichier.open(QIODevice::WriteOnly) || fichier.write(png) != png.size() || !fichier.commit()) {
        qWarning("Chromium : %s : %s", qPrintable(chemin), qPrintable(fichier.errorString()));
        return false;
    }
    return true;
}

QStringList Chromium::erreurs() const
{
    QStringList liste = erreurs_;
    if (oubliees_ > 0)
        liste << QStringLiteral("… et %1 de plus, non gardées").arg(oubliees_);
    return liste;
}

bool Chromium::commande(const QString &methode, const QJsonObject &parametres, const QDeadlineTimer &echeance,
                        QJsonObject *resultat)
{
    if (socket_.state() != QAbstractSocket::ConnectedState) {
        qWarning("Chromium : %s : pas de connexion au navigateur", qPrintable(methode));
        return false;
    }
    const int id = prochain_++;
    const QJsonObject message{{QStringLiteral("id"), id},
                              {QStringLiteral("method"), methode},
                              {QStringLiteral("params"), parametres}};
    attendues_.insert(id);
    socket_.sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
    patiente([&] { return reponses_.contains(id) || socket_.state() != QAbstractSocket::ConnectedState; },
             echeance);
    // A late answer finds the command no longer waited for, and is dropped.
    attendues_.remove(id);
    const QJsonObject reponse = reponses_.take(id);
    if (reponse.isEmpty()) {
        qWarning("Chromium : %s : %s", qPrintable(methode),
                 socket_.state() == QAbstractSocket::ConnectedState ? "pas de réponse à temps"
                                                                   : "connexion au navigateur perdue");
        return false;
    }
    const QJsonObject erreur = reponse.value(QStringLiteral("error")).toObject();
    if (!erreur.isEmpty()) {
        qWarning("Chromium : %s : %s", qPrintable(methode),
                 qPrintable(erreur.value(QStringLiteral("message")).toString()));
        return false;
    }
    if (resultat)
        *resultat = reponse.value(QStringLiteral("result")).toObject();
    return true;
}

bool Chromium::patiente(const std::function<bool()> &fini, const QDeadlineTimer &echeance, int intervalleMs)
{
    while (!fini()) {
        if (echeance.hasExpired())
            return false;
        QEventLoop boucle;
        QTimer reveil;
        reveil.setSingleShot(true);
        QObject::connect(&reveil, &QTimer::timeout, &boucle, &QEventLoop::quit);
        qint64 reste = std::min<qint64>(echeance.remainingTime(), INT_MAX);
        if (intervalleMs > 0)
            reste = std::min<qint64>(reste, intervalleMs);
        reveil.start(int(reste));
        QEventLoop *englobante = std::exchange(boucle_, &boucle);
        boucle.exec();
        boucle_ = englobante;
        // What woke us may be what a wait further out is waiting for: let it look.
        if (englobante)
            englobante->quit();
    }
    return true;
}

void Chromium::reveille()
{
    if (boucle_)
        boucle_->quit();
}

void Chromium::recoit(const QString &message)
{
    const QJsonObject objet = QJsonDocument::fromJson(message.toUtf8()).object();
    const QJsonValue id = objet.value(QStringLiteral("id"));
    const QString methode = objet.value(QStringLiteral("method")).toString();
    const QJsonObject parametres = objet.value(QStringLiteral("params")).toObject();
    if (id.isDouble()) {
        if (attendues_.contains(id.toInt()))
            reponses_.insert(id.toInt(), objet);
    } else if (methode == QLatin1String("Page.lifecycleEvent")) {
        if (parametres.value(QStringLiteral("name")).toString() == QLatin1String("load")) {
            charges_.append(parametres.value(QStringLiteral("loaderId")).toString());
            if (charges_.size() > chargementsGardes)
                charges_.removeFirst();
        }
    } else if (methode == QLatin1String("Runtime.consoleAPICalled")) {
        const QString type = parametres.value(QStringLiteral("type")).toString();
        if (type == QLatin1String("error") || type == QLatin1String("assert")) {
            QStringList textes;
            for (const QJsonValue &argument : parametres.value(QStringLiteral("args")).toArray())
                textes << texteArgument(argument.toObject());
            const QJsonArray pile =
                parametres.value(QStringLiteral("stackTrace")).toObject().value(QStringLiteral("callFrames")).toArray();
            note(QStringLiteral("console.%1 : %2%3").arg(type, textes.join(QLatin1Char(' ')),
                                                          pile.isEmpty() ? QString() : lieu(pile.first().toObject())));
        }
    } else if (methode == QLatin1String("Runtime.exceptionThrown")) {
        const QJsonObject details = parametres.value(QStringLiteral("exceptionDetails")).toObject();
        note(QStringLiteral("exception : %1%2").arg(texteException(details), lieu(details)));
    } else if (methode == QLatin1String("Log.entryAdded")) {
        // Refused and failed loads come this way ("security", "network").
        const QJsonObject entree = parametres.value(QStringLiteral("entry")).toObject();
        if (entree.value(QStringLiteral("level")).toString() == QLatin1String("error")) {
            const QString texte = entree.value(QStringLiteral("text")).toString();
            const QString url = entree.value(QStringLiteral("url")).toString();
            note(QStringLiteral("%1 : %2%3").arg(entree.value(QStringLiteral("source")).toString(), texte,
                                                 texte.contains(url) ? QString() : lieu(entree)));
        }
    } else if (methode == QLatin1String("Inspector.targetCrashed")) {
        note(QStringLiteral("la page a planté"));
    }
    reveille();
}

void Chromium::note(const QString &erreur)
{
    if (erreurs_.size() < erreursGardees)
        erreurs_ << erreur;
    else
        ++oubliees_;
}

QString Chromium::finDuJournal() const
{
    QFile journal(dossier_.filePath(QStringLiteral("chromium.log")));
    if (!journal.open(QIODevice::ReadOnly))
        return {};
    journal.seek(std::max<qint64>(0, journal.size() - 4000));
    return QString::fromLocal8Bit(journal.readAll());
}

void Chromium::ferme()
{
    // Not started, or ended on its own, its other processes with it.
    if (processus_.state() == QProcess::NotRunning)
        return;
    if (socket_.state() == QAbstractSocket::ConnectedState) {
        // Asked to, the browser ends its other processes itself. It may be
        // gone before it answers: nothing waits for the answer.
        const QJsonObject message{{QStringLiteral("id"), prochain_++},
                                  {QStringLiteral("method"), QStringLiteral("Browser.close")}};
        socket_.sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
        socket_.flush();
        patiente([this] { return processus_.state() == QProcess::NotRunning; }, QDeadlineTimer(delaiFermeture));
    }
    // Whatever is left of its group, the browser itself if it would not
    // close, is killed. The group's id names no other group: the system
    // gives no id again while a process of the group remains, nor soon after.
    // Still starting, it has no group yet (and 0 would name ours).
    if (groupe_ > 0)
        ::kill(-groupe_, SIGKILL);
    else
        processus_.kill();
    patiente([this] { return processus_.state() == QProcess::NotRunning; }, QDeadlineTimer(delaiFermeture));
    // Those that outlived the browser are init's now, which reaps them at
    // once: wait for that, so that none is left, not even a zombie.
    if (groupe_ > 0)
        patiente([this] { return ::kill(-groupe_, 0) != 0; }, QDeadlineTimer(delaiFermeture), 10);
    socket_.abort();
}
