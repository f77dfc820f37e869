#include "page/ServeurPage.h"

#include "lien/Sonde.h"
#include "page/MesurePage.h"
#include "protocole/AdresseLocale.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QHttpServer>
#include <QHttpServerResponse>
#include <QJsonObject>
#include <QWebSocket>
#include <QWebSocketCorsAuthenticator>

namespace {

// The page and its files, built into the program.
const struct {
    const char *chemin;
    const char *ressource;
    const char *type;
} Fichiers[] = {
    {"/", ":/page/index.html", "text/html; charset=utf-8"},
    {"/bandepassante.js", ":/page/bandepassante.js", "text/javascript; charset=utf-8"},
    {"/bandepassante.css", ":/page/bandepassante.css", "text/css; charset=utf-8"},
    {"/icone.svg", ":/page/icone.svg", "image/svg+xml"},
};

// A round trip is a short counter; a page sends a few a second.
constexpr int EchoMax = 64;
constexpr int HandshakeMs = 5000;
constexpr int EchosParSecondeMax = 50;
constexpr int AppareilsMax = 64;

}

ServeurPage::ServeurPage(QObject *parent)
    : QObject(parent)
    , http_(std::make_unique<QHttpServer>())
    , webSockets_(QStringLiteral("BandePassante"), QWebSocketServer::NonSecureMode)
{
    for (const auto &f : Fichiers) {
        const QString ressource = QString::fromLatin1(f.ressource);
        const QByteArray type(f.type);
        http_->route(QString::fromLatin1(f.chemin), QHttpServerRequest::Method::Get,
                     [this, ressource, type](const QHttpServerRequest &requete) {
                         if (appareils_.size() < AppareilsMax || appareils_.contains(requete.remoteAddress()))
                             appareils_.insert(requete.remoteAddress(), NomAppareil(requete.value("User-Agent")));
                         QFile fichier(ressource);
                         fichier.open(QIODevice::ReadOnly);
                         return QHttpServerResponse(type, fichier.readAll());
                     });
    }
    http_->route(QStringLiteral("/etat"), QHttpServerRequest::Method::Get, [this](const QHttpServerRequest &requete) {
        const Occupation o = occupation();
        QJsonObject etat{{QStringLiteral("occupe"), o.occupe},
                         {QStringLiteral("recepteur"), AdresseLocale::DeLaMachine()},
                         {QStringLiteral("version"), QStringLiteral(BANDEPASSANTE_VERSION)},
                         {QStringLiteral("lien"), Sonde::LienVers(requete.remoteAddress()).description(false)}};
        if (o.occupe) {
            etat.insert(QStringLiteral("qui"), o.qui);
            etat.insert(QStringLiteral("depuis_s"), double(o.depuisMs / 1000));
        }
        return QHttpServerResponse(etat);
    });
    // Only the page's own origin, no sniffing, nothing kept in the browser.
    http_->afterRequest([](QHttpServerResponse &&reponse) {
        reponse.setHeader("Content-Security-Policy",
                          "default-src 'self'; connect-src 'self' ws:; img-src 'self' data:; frame-ancestors 'none'");
        reponse.setHeader("X-Content-Type-Options", "nosniff");
        reponse.setHeader("Referrer-Policy", "no-referrer");
        reponse.setHeader("Cache-Control", "no-store");
        return std::move(reponse);
    });
    accueil_ = new Accueil(http_.get());
    accueil_->definitOccupe([this] { return occupation().occupe || mesure_; });
    connect(accueil_, &Accueil::webSocket, this, &ServeurPage::nouveauWebSocket);
    webSockets_.setHandshakeTimeout(HandshakeMs);
    // A page served from this port only: not another site's in the same
    // browser.
    connect(&webSockets_, &QWebSocketServer::originAuthenticationRequired, this,
            [this](QWebSocketCorsAuthenticator *a) {
                a->setAllowed(QUrl(a->origin()).port() == accueil_->serverPort());
            });
    connect(&webSockets_, &QWebSocketServer::newConnection, this, &ServeurPage::webSocketPret);
}

// The HTTP server owns the door and the connections not yet handed over;
// their ends update the members below, so they go first.
ServeurPage::~ServeurPage()
{
    http_.reset();
}

bool ServeurPage::ecoute(const QHostAddress &adresse, quint16 port)
{
    if (!accueil_->ecoute(adresse, port))
        return false;
    // Bound once it listens: Qt's server warns of a listener that does not.
    if (!lie_)
        http_->bind(accueil_);
    lie_ = true;
    return true;
}

void ServeurPage::definitSansPage(bool sansPage)
{
    accueil_->definitSansPage(sansPage);
}

ServeurPage::Occupation ServeurPage::occupation() const
{
    if (occupation_) {
        const Occupation o = occupation_();
        if (o.occupe)
            return o;
    }
    if (mesure_)
        return {true, mesure_->pair(), QDateTime::currentMSecsSinceEpoch() - mesure_->test()};
    return {};
}

QJsonObject ServeurPage::refus(const MesurePage *demandeur, const QString &sens) const
{
    const Occupation o = occupation();
    if (o.occupe && mesure_ != demandeur)
        return {{QStringLiteral("type"), QStringLiteral("occupe")},
                {QStringLiteral("qui"), o.qui},
                {QStringLiteral("depuis_s"), double(o.depuisMs / 1000)}};
    if (sansRetour_ && sens != QLatin1String("montant"))
        return {{QStringLiteral("type"), QStringLiteral("refus")},
                {QStringLiteral("raison"), QStringLiteral("ce récepteur refuse d'envoyer vers un appareil")}};
    return {};
}

void ServeurPage::nouveauWebSocket(QTcpSocket *socket)
{
    descripteurs_.insert(socket->peerPort(), int(socket->socketDescriptor()));
    connect(socket, &QObject::destroyed, this, [this, port = socket->peerPort()] { descripteurs_.remove(port); });
    webSockets_.handleConnection(socket);
}

void ServeurPage::webSocketPret()
{
    while (QWebSocket *s = webSockets_.nextPendingConnection()) {
        std::unique_ptr<QWebSocket> ws(s);
        ws->setParent(nullptr);
        const int fd = descripteurs_.value(ws->peerPort(), -1);
        const QString chemin = ws->requestUrl().path();
        if (chemin == QLatin1String("/ws/latence")) {
            echo(std::move(ws));
        } else if (chemin == QLatin1String("/ws") && fd >= 0) {
            const QString appareil = appareils_.value(ws->peerAddress());
            auto *m = new MesurePage(std::move(ws), fd, appareil, this);
            m->definitRefus([this, m](const QString &sens) { return refus(m, sens); });
            connect(m, &MesurePage::phaseCommencee, this, [this, m] {
                if (mesure_ == m)
                    return;
                mesure_ = m;
                emit mesureCommencee(m);
            });
            connect(m, &MesurePage::fermee, m, &QObject::deleteLater);
        } else {
            ws->close(QWebSocketProtocol::CloseCodePolicyViolated);
            ws.release()->deleteLater();
        }
    }
}

// Each short text message goes back at once, unchanged: the page times the
// round trip. Anything else, or too many, ends the connection.
void ServeurPage::echo(std::unique_ptr<QWebSocket> ws)
{
    QWebSocket *s = ws.release();
    s->setParent(this);
    s->setMaxAllowedIncomingMessageSize(EchoMax);
    s->setMaxAllowedIncomingFrameSize(EchoMax);
    struct Cadence
    {
        QElapsedTimer seconde;
        int echos = 0;
    };
    auto cadence = std::make_shared<Cadence>();
    cadence->seconde.start();
    connect(s, &QWebSocket::textMessageReceived, s, [s, cadence](const QString &message) {
        if (cadence->seconde.hasExpired(1000)) {
            cadence->seconde.restart();
            cadence->echos = 0;
        }
        if (message.size() > EchoMax || ++cadence->echos > EchosParSecondeMax) {
            s->abort();
            return;
        }
        s->sendTextMessage(message);
    });
    // A message too long never comes: its error ends the connection.
    connect(s, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), s, &QWebSocket::abort);
    connect(s, &QWebSocket::binaryMessageReceived, s, &QWebSocket::abort);
    connect(s, &QWebSocket::disconnected, s, &QObject::deleteLater);
}

QString ServeurPage::NomAppareil(const QByteArray &userAgent)
{
    // The first that matches, in this order: Chrome's string names Safari,
    // Edge's names Chrome, Android's names Linux.
    const struct {
        const char *marque;
        const char *nom;
    } navigateurs[] = {{"Edg", "Edge"},          {"OPR/", "Opera"},     {"SamsungBrowser", "Samsung Internet"},
                       {"Firefox/", "Firefox"},  {"FxiOS", "Firefox"},  {"CriOS", "Chrome"},
                       {"Chrome/", "Chrome"},    {"Safari/", "Safari"}},
      systemes[] = {{"Android", "Android"}, {"iPhone", "iPhone"}, {"iPad", "iPad"},     {"Windows", "Windows"},
                    {"Mac OS X", "macOS"},  {"CrOS", "ChromeOS"}, {"Linux", "Linux"}};
    const auto trouve = [&userAgent](const auto &liste) {
        for (const auto &e : liste) {
            if (userAgent.contains(e.marque))
                return QString::fromLatin1(e.nom);
        }
        return QString();
    };
    const QString navigateur = trouve(navigateurs);
    const QString systeme = trouve(systemes);
    if (navigateur.isEmpty() && systeme.isEmpty())
        return QStringLiteral("navigateur");
    return navigateur.isEmpty() ? systeme : systeme.isEmpty() ? navigateur : navigateur + QStringLiteral(", ") + systeme;
}
