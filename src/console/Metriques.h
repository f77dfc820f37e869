#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>

class ChroniqueMesure;
class QHttpServer;
class ServiceRecepteur;

// The console receiver's figures for a monitoring system: GET /metrics in
// Prometheus's text exposition format, read from the receiver's own
// measurement when the request comes; anything else gets 404. A client that
// sends more than a request's worth, or holds its connection longer than a
// few seconds, is dropped, and past ConnexionsMax at once a new one is
// closed as it comes, so that nobody holds the endpoint, the descriptors or
// memory, and a scrape costs the same whatever the measurement: the
// measurement never waits for it. When the process runs out of descriptors
// all the same, accepting pauses and resumes a moment later, said once on
// standard error.
class Metriques : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 RequeteMax = 64 * 1024;
    static constexpr int VieMaxMs = 5000;
    static constexpr int ConnexionsMax = 64;

    // `chronique` is the receiver's measurement; `service` tells what it
    // sent back on the connection served.
    Metriques(const ChroniqueMesure &chronique, const ServiceRecepteur &service, QObject *parent = nullptr);
    ~Metriques() override;

    // "ADRESSE:PORT", ":PORT" (every IPv4 address) or "[IPV6]:PORT": the
    // address and port, or false when the text is not one.
    static bool LitAdresse(const QString &texte, QHostAddress &adresse, quint16 &port);
    // Where the endpoint is, in words: "http://127.0.0.1:9444/metrics", or
    // the port of every address.
    static QString Description(const QHostAddress &adresse, quint16 port);
    // Listens; false with the system's reason when it cannot.
    bool ecoute(const QHostAddress &adresse, quint16 port, QString &raison);

    // A measurement has ended, as the summary names it ("depart"...).
    void fin(const QString &motif);
    // A browser's measurement from the page has ended a direction: the
    // bytes it received and sent.
    void compte(qint64 recus, qint64 envoyes, const QString &motif);

    // The exposition, as a scrape gets it now.
    QByteArray texte() const;

private:
    const ChroniqueMesure &chronique_;
    const ServiceRecepteur &service_;
    std::unique_ptr<QHttpServer> serveur_;
    // Over the measurements that have ended.
    qint64 recus_ = 0;
    qint64 envoyes_ = 0;
    qint64 fins_[4] = {};
    const qint64 debut_;
};
