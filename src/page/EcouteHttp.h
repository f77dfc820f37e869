#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

#include <memory>

class QSocketNotifier;
class QTcpSocket;

// A listener for one of Qt's HTTP servers (which binds it) that accepts its
// connections itself and keeps them bounded, so that nobody holds the
// server, the descriptors or memory: at most `connexionsMax` at once and
// `parAdresseMax` from one address (more are closed as they come), each
// living at most `vieMs` and carrying at most `octetsMax` bytes, counted by
// the system (a WebSocket, taken with prend() alone, bounds itself). Out of descriptors, where Qt's own accept loop would spin
// for as long as they lack, accepting pauses and resumes a second later,
// told through descripteursEpuises() once a shortage, that is until
// accepting has gone ten seconds without lacking one.
class EcouteHttp : public QTcpServer
{
    Q_OBJECT

public:
    struct Limites
    {
        int connexionsMax = 64;
        int parAdresseMax = 64;
        int vieMs = 5000;
        qint64 octetsMax = 64 * 1024;
    };
    static constexpr int ReprisePauseMs = 1000;

    explicit EcouteHttp(const Limites &limites, QObject *parent = nullptr);
    ~EcouteHttp() override;

    // Listens; false with errorString() and the system's error number when
    // it cannot.
    bool ecoute(const QHostAddress &adresse, quint16 port);
    int numeroErreur() const { return numeroErreur_; }
    // Stops listening; the connections handed on go on.
    void ferme();


    // The connections handed to the HTTP server come from our own queue:
    // Qt's would restart its accept loop, which spins on a lack of
    // descriptors, each time the server takes one.
    bool hasPendingConnections() const override { return !attenteServeur_.isEmpty(); }
    QTcpSocket *nextPendingConnection() override;

signals:
    // The process has no descriptor left for a new connection, in the
    // system's words.
    void descripteursEpuises(const QString &raison);

protected:
    // A connection just accepted, non-blocking: by default handed to the
    // HTTP server.
    virtual void accueille(int fd);
    // Hands `fd` to the HTTP server, within the bounds.
    void confie(int fd);
    // A socket for `fd`, counted among the connections; none, and `fd`
    // closed, past their number.
    QTcpSocket *prend(int fd);

private:
    void accepte();

    const Limites limites_;
    std::unique_ptr<QSocketNotifier> attente_;
    QTimer reprise_;
    int ouvertes_ = 0;
    QHash<QHostAddress, int> parAdresse_;
    // Since descriptors last lacked.
    QElapsedTimer manque_;
    QList<QPointer<QTcpSocket>> attenteServeur_;
    int numeroErreur_ = 0;
};
