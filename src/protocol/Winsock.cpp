#include "protocol/Winsock.h"

#include <QCoreApplication>
#include <QFile>
#include <QHostInfo>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// One read takes up to this much; data nobody took is dropped past it.
constexpr qint64 LectureMax = 1024 * 1024;
// Queued bytes are handed to the system in writes of at least this size,
// and at the latest DelaiVidangeMs after they were queued.
constexpr qint64 EcritureMin = 128 * 1024;
constexpr int DelaiVidangeMs = 1;
// A close waits at most this long for the system to take the rest of a
// SendData() call it has started to take.
constexpr int FinElementMaxMs = 1000;
constexpr int DatagrammeMax = 65536;

QString texteErreur(int numero)
{
    return QString::fromLocal8Bit(std::strerror(numero));
}

QString texteAdresse(const sockaddr_in &a)
{
    char texte[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a.sin_addr, texte, sizeof texte);
    return QString::fromLatin1(texte);
}

sockaddr_in adresseSocket(quint32 ipv4, int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(ipv4);
    return a;
}

// The interface that holds the default route, from the kernel's IPv4 table.
QByteArray interfaceParDefaut()
{
    QFile table(QStringLiteral("/proc/net/route"));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    QByteArray meilleure;
    long meilleureMetrique = -1;
    table.readLine();
    while (!table.atEnd()) {
        const QList<QByteArray> champs = table.readLine().simplified().split(' ');
        // Iface Destination Gateway Flags RefCnt Use Metric Mask ...
        if (champs.size() < 8 || champs[1] != "00000000" || champs[7] != "00000000")
            continue;
        bool ok = false;
        const long drapeaux = champs[3].toLong(&ok, 16);
        if (!ok || !(drapeaux & 0x1))
            continue;
        const long metrique = champs[6].toLong();
        if (meilleureMetrique < 0 || metrique < meilleureMetrique) {
            meilleure = champs[0];
            meilleureMetrique = metrique;
        }
    }
    return meilleure;
}

QString adresseMachine()
{
    const QByteArray interface = interfaceParDefaut();
    QString adresse = QStringLiteral("127.0.0.1");
    if (interface.isEmpty())
        return adresse;
    ifaddrs *liste = nullptr;
    if (::getifaddrs(&liste) != 0)
        return adresse;
    for (ifaddrs *i = liste; i; i = i->ifa_next) {
        if (i->ifa_addr && i->ifa_addr->sa_family == AF_INET && interface == i->ifa_name) {
            sockaddr_in a;
            std::memcpy(&a, i->ifa_addr, sizeof a);
            adresse = texteAdresse(a);
            break;
        }
    }
    ::freeifaddrs(liste);
    return adresse;
}

}

Winsock::Winsock(Genre genre, QObject *parent)
    : QObject(parent), genre_(genre)
{
    vidange_.setSingleShot(true);
    vidange_.setTimerType(Qt::PreciseTimer);
    connect(&vidange_, &QTimer::timeout, this, [this] { vide(); });
}

Winsock::~Winsock()
{
    fermeDescripteur();
}

QString Winsock::LocalIP() const
{
    // Read often (the statistics panel shows it 33 times a second) and
    // cheap to keep: the machine's address changes rarely.
    static QElapsedTimer age;
    static QString connue;
    if (!age.isValid() || age.hasExpired(2000)) {
        connue = adresseMachine();
        age.start();
    }
    return connue;
}

bool Winsock::refuse(const QString &pourquoi)
{
    derniereErreur_ = pourquoi;
    return false;
}

bool Winsock::ouvre(int type)
{
    ++generation_;
    fd_ = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return refuse(texteErreur(errno));
    return true;
}

void Winsock::surveille()
{
    lecture_ = std::make_unique<QSocketNotifier>(qintptr(fd_), QSocketNotifier::Read);
    connect(lecture_.get(), &QSocketNotifier::activated, this, [this] { surLecture(); });
    ecriture_ = std::make_unique<QSocketNotifier>(qintptr(fd_), QSocketNotifier::Write);
    ecriture_->setEnabled(false);
    connect(ecriture_.get(), &QSocketNotifier::activated, this, [this] { surEcriture(); });
}

void Winsock::fermeDescripteur()
{
    ++generation_;
    // The notifiers may be the very senders whose signal we are handling:
    // silence them now, delete them later.
    for (std::unique_ptr<QSocketNotifier> *n : {&lecture_, &ecriture_}) {
        if (*n) {
            (*n)->setEnabled(false);
            n->release()->deleteLater();
        }
    }
    if (recherche_ >= 0) {
        QHostInfo::abortHostLookup(recherche_);
        recherche_ = -1;
    }
    vidange_.stop();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    envoi_.clear();
    debutEnvoi_ = 0;
    fins_.clear();
    totalEcrit_ = totalFile_ = finEcrite_ = 0;
    recu_.resize(0);
    etat_ = sckClosed;
}

bool Winsock::Listen()
{
    if (genre_ != Genre::Tcp)
        return refuse(QStringLiteral("Listen needs a TCP socket"));
    if (etat_ != sckClosed)
        return refuse(QStringLiteral("the socket is not closed"));
    if (!ouvre(SOCK_STREAM))
        return false;
    const int oui = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &oui, sizeof oui);
    const sockaddr_in a = adresseSocket(INADDR_ANY, localPort_);
    if (::bind(fd_, reinterpret_cast<const sockaddr *>(&a), sizeof a) != 0 || ::listen(fd_, 8) != 0) {
        const int numero = errno;
        fermeDescripteur();
        return refuse(texteErreur(numero));
    }
    etat_ = sckListening;
    surveille();
    return true;
}

bool Winsock::Accept(qint32 requestId)
{
    if (etat_ != sckClosed)
        return refuse(QStringLiteral("Accept needs a closed socket"));
    if (requestId == 0 || requestId != demandeId_ || demandeFd_ < 0)
        return refuse(QStringLiteral("no such connection request"));
    fd_ = demandeFd_;
    demandeFd_ = -1;
    demandeId_ = 0;
    sockaddr_in pair{};
    socklen_t longueur = sizeof pair;
    if (::getpeername(fd_, reinterpret_cast<sockaddr *>(&pair), &longueur) == 0)
        remoteHostIp_ = texteAdresse(pair);
    etat_ = sckConnected;
    surveille();
    return true;
}

void Winsock::accepteDemande()
{
    const int client = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (client < 0)
        return;
    derniereDemande_ = derniereDemande_ == INT32_MAX ? 1 : derniereDemande_ + 1;
    demandeFd_ = client;
    demandeId_ = derniereDemande_;
    emit ConnectionRequest(demandeId_);
    // A request the handler did not accept is turned down.
    if (demandeFd_ >= 0)
        ::close(demandeFd_);
    demandeFd_ = -1;
    demandeId_ = 0;
}

bool Winsock::Connect(const QString &hote, int port)
{
    if (genre_ != Genre::Tcp)
        return refuse(QStringLiteral("Connect needs a TCP socket"));
    if (etat_ != sckClosed)
        return refuse(QStringLiteral("an attempt is pending or a connection is up"));
    remoteHost_ = hote;
    remotePort_ = port;
    etat_ = sckResolvingHost;
    QHostAddress adresse;
    if (adresse.setAddress(hote) && adresse.protocol() == QHostAddress::IPv4Protocol) {
        connecteA(adresse);
        return true;
    }
    const quint64 generation = generation_;
    recherche_ = QHostInfo::lookupHost(hote, this, [this, generation](const QHostInfo &info) {
        if (generation == generation_)
            surResolution(info);
    });
    return true;
}

void Winsock::surResolution(const QHostInfo &info)
{
    recherche_ = -1;
    for (const QHostAddress &adresse : info.addresses()) {
        if (adresse.protocol() == QHostAddress::IPv4Protocol) {
            connecteA(adresse);
            return;
        }
    }
    echoue(EHOSTUNREACH, info.errorString().isEmpty() ? QStringLiteral("host not found") : info.errorString());
}

void Winsock::connecteA(const QHostAddress &adresse)
{
    if (!ouvre(SOCK_STREAM)) {
        echoueEnDiffere(errno, derniereErreur_);
        return;
    }
    const sockaddr_in a = adresseSocket(adresse.toIPv4Address(), remotePort_);
    remoteHostIp_ = adresse.toString();
    if (::connect(fd_, reinterpret_cast<const sockaddr *>(&a), sizeof a) == 0) {
        etat_ = sckConnected;
        surveille();
        signaleEnDiffere(&Winsock::Connected);
        return;
    }
    const int numero = errno;
    if (numero != EINPROGRESS) {
        fermeDescripteur();
        echoueEnDiffere(numero, texteErreur(numero));
        return;
    }
    etat_ = sckConnecting;
    surveille();
    lecture_->setEnabled(false);
    ecriture_->setEnabled(true);
}

void Winsock::termineConnexion()
{
    int numero = 0;
    socklen_t longueur = sizeof numero;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &numero, &longueur) != 0)
        numero = errno;
    if (numero != 0) {
        echoue(numero, texteErreur(numero));
        return;
    }
    etat_ = sckConnected;
    ecriture_->setEnabled(false);
    lecture_->setEnabled(true);
    emit Connected();
}

void Winsock::echoue(int numero, const QString &description)
{
    fermeDescripteur();
    emit Error(numero, description);
}

void Winsock::signaleEnDiffere(void (Winsock::*evenement)())
{
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(this, [this, generation, evenement] {
        if (generation == generation_)
            emit (this->*evenement)();
    }, Qt::QueuedConnection);
}

void Winsock::echoueEnDiffere(int numero, const QString &description)
{
    etat_ = sckClosed;
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(this, [this, generation, numero, description] {
        if (generation == generation_)
            emit Error(numero, description);
    }, Qt::QueuedConnection);
}

bool Winsock::ouvreUdp()
{
    if (!ouvre(SOCK_DGRAM))
        return false;
    const int oui = 1;
    // Address sharing lets every copy of the program on this machine bind the
    // port and hear the broadcasts.
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &oui, sizeof oui);
    ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &oui, sizeof oui);
    return true;
}

bool Winsock::Bind(int port)
{
    if (genre_ != Genre::Udp)
        return refuse(QStringLiteral("Bind needs a UDP socket"));
    if (etat_ != sckClosed)
        return refuse(QStringLiteral("the socket is not closed"));
    if (!ouvreUdp())
        return false;
    const sockaddr_in a = adresseSocket(INADDR_ANY, port);
    if (::bind(fd_, reinterpret_cast<const sockaddr *>(&a), sizeof a) != 0) {
        const int numero = errno;
        fermeDescripteur();
        return refuse(texteErreur(numero));
    }
    localPort_ = port;
    etat_ = sckOpen;
    surveille();
    return true;
}

bool Winsock::SendData(const QByteArray &donnees)
{
    if (genre_ == Genre::Udp) {
        QHostAddress hote;
        if (!hote.setAddress(remoteHost_) || hote.protocol() != QHostAddress::IPv4Protocol)
            return refuse(QStringLiteral("the remote host is not an IPv4 address"));
        if (fd_ < 0) {
            if (!ouvreUdp())
                return false;
            etat_ = sckOpen;
            surveille();
        }
        const sockaddr_in a = adresseSocket(hote.toIPv4Address(), remotePort_);
        if (::sendto(fd_, donnees.constData(), size_t(donnees.size()), MSG_NOSIGNAL,
                     reinterpret_cast<const sockaddr *>(&a), sizeof a) < 0)
            return refuse(texteErreur(errno));
        return true;
    }

    if (etat_ != sckConnected)
        return refuse(QStringLiteral("not connected"));
    // A full queue waits for the system to take some of it, and keeps the
    // windows alive meanwhile; a close while waiting drops the data.
    const quint64 generation = generation_;
    while (EnAttenteEnvoi() > 0 && EnAttenteEnvoi() + donnees.size() > FileEnvoiMax) {
        ecriture_->setEnabled(true);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (generation != generation_ || etat_ != sckConnected)
            return refuse(QStringLiteral("closed while waiting to send"));
    }
    if (debutEnvoi_ > 0 && debutEnvoi_ >= envoi_.size() / 2) {
        envoi_.remove(0, debutEnvoi_);
        debutEnvoi_ = 0;
    }
    envoi_.append(donnees);
    totalFile_ += donnees.size();
    fins_.push_back(totalFile_);
    if (EnAttenteEnvoi() >= EcritureMin)
        vide();
    else if (!vidange_.isActive() && !ecriture_->isEnabled())
        vidange_.start(DelaiVidangeMs);
    return true;
}

// Hands the system as much of the queue as it takes now. False when the
// connection failed (the error has been signalled).
bool Winsock::vide()
{
    while (EnAttenteEnvoi() > 0) {
        const ssize_t n = ::send(fd_, envoi_.constData() + debutEnvoi_, size_t(EnAttenteEnvoi()), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                ecriture_->setEnabled(true);
                break;
            }
            // Reported as an event, never from inside the SendData() call.
            const int numero = errno;
            fermeDescripteur();
            echoueEnDiffere(numero, texteErreur(numero));
            return false;
        }
        debutEnvoi_ += n;
        totalEcrit_ += n;
    }
    while (!fins_.empty() && fins_.front() <= totalEcrit_) {
        finEcrite_ = fins_.front();
        fins_.pop_front();
    }
    if (EnAttenteEnvoi() == 0) {
        envoi_.resize(0);
        debutEnvoi_ = 0;
        ecriture_->setEnabled(false);
    }
    return true;
}

// The system has taken part of one SendData() call: send the rest of that
// call, so the peer never sees it cut, and drop the calls after it.
void Winsock::termineElementEntame()
{
    if (fins_.empty() || fd_ < 0 || etat_ != sckConnected || totalEcrit_ == finEcrite_)
        return;
    qint64 reste = fins_.front() - totalEcrit_;
    QElapsedTimer delai;
    delai.start();
    while (reste > 0 && !delai.hasExpired(FinElementMaxMs)) {
        const ssize_t n = ::send(fd_, envoi_.constData() + debutEnvoi_, size_t(reste), MSG_NOSIGNAL);
        if (n > 0) {
            debutEnvoi_ += n;
            reste -= n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return;
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, 50);
    }
}

void Winsock::GetData(QByteArray &donnees)
{
    donnees.swap(recu_);
    recu_.resize(0);
}

void Winsock::Close()
{
    termineElementEntame();
    fermeDescripteur();
}

void Winsock::surLecture()
{
    switch (etat_) {
    case sckListening:
        accepteDemande();
        break;
    case sckConnected:
        lit();
        break;
    case sckOpen:
        litDatagramme();
        break;
    default:
        break;
    }
}

void Winsock::lit()
{
    if (recu_.size() >= LectureMax)
        recu_.resize(0);
    const qint64 deja = recu_.size();
    recu_.resize(LectureMax);
    const ssize_t n = ::recv(fd_, recu_.data() + deja, size_t(LectureMax - deja), 0);
    if (n > 0) {
        recu_.resize(deja + n);
        emit DataArrival(n);
        return;
    }
    recu_.resize(deja);
    if (n == 0) {
        fermeDescripteur();
        emit Closed();
    } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        echoue(errno, texteErreur(errno));
    }
}

void Winsock::litDatagramme()
{
    recu_.resize(DatagrammeMax);
    const ssize_t n = ::recv(fd_, recu_.data(), size_t(DatagrammeMax), 0);
    if (n < 0) {
        recu_.resize(0);
        return;
    }
    recu_.resize(n);
    emit DataArrival(n);
}

void Winsock::surEcriture()
{
    if (etat_ == sckConnecting)
        termineConnexion();
    else if (etat_ == sckConnected)
        vide();
    else if (ecriture_)
        ecriture_->setEnabled(false);
}
