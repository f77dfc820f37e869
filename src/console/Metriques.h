#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>

class ChroniqueMesure;
class QHttpServer;

// The console receiver's figures for a monitoring system: GET /metrics in
// Prometheus's text exposition format, read from the receiver's own
// measurement when the request comes; anything else gets 404. A client that
// sends more than a request's worth, or holds its connection longer than a
// few seconds, is dropped, so that nobody holds the endpoint or memory, and
// a scrape costs the same whatever the measurement: the measurement never
// waits for it.
class Metriques : public QObject
{
    Q_OBJECT

public:
    // A request is a few hundred bytes; a scrape a fraction of a second.
    static constexpr qint64 RequeteMax = 64 * 1024;
    static constexpr int VieMaxMs = 5000;

    explicit Metriques(const ChroniqueMesure &chronique, QObject *parent = nullptr);
    ~Metriques() override;

    // "ADRESSE:PORT" or ":PORT" (every address): the address and port, or
    // nothing when the text is not one.
    static bool LitAdresse(const QString &texte, QHostAddress &adresse, quint16 &port);
    // Listens; false with the system's reason when it cannot.
    bool ecoute(const QHostAddress &adresse, quint16 port, QString &raison);

    // A measurement has ended, as the summary names it ("depart"...).
    void fin(const QString &motif);

    // The exposition, as a scrape gets it now.
    QByteArray texte() const;

private:
    const ChroniqueMesure &chronique_;
    std::unique_ptr<QHttpServer> serveur_;
    // Over the measurements that have ended.
    qint64 recus_ = 0;
    qint64 envoyes_ = 0;
    qint64 fins_[4] = {};
    const qint64 debut_;
};
