#pragma once

#include "page/Accueil.h"
#include "page/MesurePage.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QWebSocketServer>

#include <functional>
#include <memory>

class QHttpServer;
class QHttpServerRequest;
class QWebSocket;

// Everything a receiver, window or console, serves on its measuring port:
// through its Accueil, a transmitter's stream as ever, and the measuring
// page: its files and the receiver's state (/etat) by Qt's HTTP server, a
// browser's measurement over a WebSocket on /ws (MesurePage) and round trips
// echoed on /ws/latence by Qt's WebSocket server, which accepts pages of
// this port only. One measurement at a time: a browser's, while no
// transmitter is measured, and only one browser's; the others are told who
// measures. Every answer forbids anything but the page's own origin and
// sets no cookie.
class ServeurPage : public QObject
{
    Q_OBJECT

public:
    // What the receiver measures now, besides a browser.
    struct Occupation
    {
        bool occupe = false;
        QString qui;
        qint64 depuisMs = 0;
    };

    explicit ServeurPage(QObject *parent = nullptr);
    ~ServeurPage() override;

    Accueil &accueil() { return *accueil_; }
    const Accueil &accueil() const { return *accueil_; }
    // Listens on the measuring port (see Accueil).
    bool ecoute(const QHostAddress &adresse, quint16 port);
    void definitOccupation(std::function<Occupation()> occupation) { occupation_ = std::move(occupation); }
    // Refuses to send to the page (the console's --sans-retour).
    void definitSansRetour(bool sansRetour) { sansRetour_ = sansRetour; }
    // Serves nothing but transmitters (--sans-page).
    void definitSansPage(bool sansPage);

    // The browser measuring now, from its first phase until its page ends.
    MesurePage *mesure() const { return mesure_; }

    // A short, harmless name of a browser and its system from its
    // User-Agent: "Chrome, Android", "Safari, iPhone"…
    static QString NomAppareil(const QByteArray &userAgent);

signals:
    // A browser's measurement has begun its first phase.
    void mesureCommencee(MesurePage *mesure);

private:
    void nouveauWebSocket(QTcpSocket *socket);
    void webSocketPret();
    void echo(std::unique_ptr<QWebSocket> ws);
    QJsonObject refus(const MesurePage *demandeur, const QString &sens) const;
    Occupation occupation() const;

    std::unique_ptr<QHttpServer> http_;
    Accueil *accueil_;
    QWebSocketServer webSockets_;
    bool lie_ = false;
    // The descriptor of each WebSocket being opened, by its peer's port.
    QHash<quint16, int> descripteurs_;
    std::function<Occupation()> occupation_;
    bool sansRetour_ = false;
    QPointer<MesurePage> mesure_;
    // The last browser each address loaded the page with, a few addresses.
    QHash<QHostAddress, QString> appareils_;
};
