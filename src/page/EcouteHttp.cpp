#include "page/EcouteHttp.h"

#include "protocole/VueTcp.h"

#include <QSocketNotifier>
#include <QTcpSocket>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

EcouteHttp::EcouteHttp(const Limites &limites, QObject *parent)
    : QTcpServer(parent)
    , limites_(limites)
{
    reprise_.setSingleShot(true);
    reprise_.setInterval(ReprisePauseMs);
    connect(&reprise_, &QTimer::timeout, this, [this] {
        if (attente_)
            attente_->setEnabled(true);
    });
}

EcouteHttp::~EcouteHttp() = default;

bool EcouteHttp::ecoute(const QHostAddress &adresse, quint16 port)
{
    numeroErreur_ = 0;
    if (!listen(adresse, port)) {
        // Qt keeps the system's number to itself.
        numeroErreur_ = serverError() == QAbstractSocket::AddressInUseError ? EADDRINUSE
                        : serverError() == QAbstractSocket::SocketAccessError ? EACCES
                                                                               : 0;
        return false;
    }
    // Qt's loop accepts no more: ours does.
    pauseAccepting();
    attente_ = std::make_unique<QSocketNotifier>(socketDescriptor(), QSocketNotifier::Read);
    connect(attente_.get(), &QSocketNotifier::activated, this, &EcouteHttp::accepte);
    return true;
}

void EcouteHttp::ferme()
{
    attente_.reset();
    reprise_.stop();
    close();
}

void EcouteHttp::accepte()
{
    for (;;) {
        const int fd = ::accept4(int(socketDescriptor()), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            accueille(fd);
            continue;
        }
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            if (!manque_.isValid() || manque_.hasExpired(10000))
                emit descripteursEpuises(QString::fromLocal8Bit(std::strerror(errno)));
            manque_.start();
            attente_->setEnabled(false);
            reprise_.start();
        }
        return;
    }
}

void EcouteHttp::accueille(int fd)
{
    confie(fd);
}

QTcpSocket *EcouteHttp::prend(int fd)
{
    if (ouvertes_ >= limites_.connexionsMax) {
        ::close(fd);
        return nullptr;
    }
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(fd)) {
        delete socket;
        ::close(fd);
        return nullptr;
    }
    const QHostAddress pair = socket->peerAddress();
    if (parAdresse_.value(pair) >= limites_.parAdresseMax) {
        socket->abort();
        delete socket;
        return nullptr;
    }
    ++ouvertes_;
    ++parAdresse_[pair];
    connect(socket, &QObject::destroyed, this, [this, pair] {
        --ouvertes_;
        if (--parAdresse_[pair] <= 0)
            parAdresse_.remove(pair);
    });
    return socket;
}

void EcouteHttp::confie(int fd)
{
    QTcpSocket *socket = prend(fd);
    if (!socket)
        return;
    const qint64 octetsMax = limites_.octetsMax;
    // Counted by the system, whatever the server has read of it; dropped
    // from the loop, after the server's own reading.
    connect(socket, &QTcpSocket::readyRead, socket, [socket, octetsMax] {
        if (LitCompteursTcp(int(socket->socketDescriptor())).octetsRecus > octetsMax)
            QMetaObject::invokeMethod(socket, &QAbstractSocket::abort, Qt::QueuedConnection);
    });
    QTimer::singleShot(limites_.vieMs, socket, &QAbstractSocket::abort);
    attenteServeur_ << socket;
    // Qt's own signal, which only QTcpServer may emit but its meta-object.
    QMetaObject::invokeMethod(this, "pendingConnectionAvailable", Qt::DirectConnection);
    emit newConnection();
}

QTcpSocket *EcouteHttp::nextPendingConnection()
{
    while (!attenteServeur_.isEmpty()) {
        if (QTcpSocket *socket = attenteServeur_.takeFirst())
            return socket;
    }
    return nullptr;
}
