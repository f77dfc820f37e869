#include "protocole/Winsock.h"

#include "protocole/AdresseLocale.h"
#include "protocole/AdresseSocket.h"
#include "protocole/FinConnexion.h"
#include "outils/Evenements.h"

#include <QElapsedTimer>
#include <QHostInfo>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// One read takes up to this much; data nobody took is dropped past it.
constexpr qint64 LectureMax = 1024 * 1024;
// Queued bytes are handed to the system in writes of at least this size,
// and at the latest DelaiVidangeMs after they were queued.
constexpr qint64 EcritureMin = 128 * 1024;
constexpr int DelaiVidangeMs = 1;
// Pieces of one gathered write: 256 blocks of the stream.
constexpr int MorceauxMax = 256;
constexpr int DatagrammeMax = 65536;
// Datagrams are read for at most this long per turn of the event loop, so
// that a flood of them never starves the other sockets of the thread.
constexpr qint64 BudgetDatagrammesNs = 2 * 1000 * 1000;
// Room for bursts of datagrams, so that a flood of junk does not push real
// announcements out before they are read.
constexpr int TamponDatagrammes = 4 * 1024 * 1024;
// A read wakes us up once about this share of a second's bytes is waiting
// (1/200: 5 ms), and never later than once this many bytes wait: on a slow
// link, waking up for every packet costs more than the reading.
constexpr int FractionSeuil = 200;
constexpr int SeuilLectureMax = 64 * 1024;
constexpr int KeepaliveRepos = 5;
constexpr int KeepaliveIntervalle = 3;
constexpr int KeepaliveSondes = 3;
static_assert(KeepaliveRepos + KeepaliveIntervalle * KeepaliveSondes == Winsock::KeepaliveMaxS);

QString texteErreur(int numero)
{
    return QString::fromLocal8Bit(std::strerror(numero));
}

// Linux drops the bytes of a TCP read given MSG_TRUNC without copying them
// and says how many they were; elsewhere the flag means nothing for TCP, and
// the bytes are read into the buffer and forgotten.
#ifdef __linux__
int drapeauJette = MSG_TRUNC;
#else
int drapeauJette = 0;
#endif

// sendfile and splice have no MSG_NOSIGNAL: a write on a connection the peer
// has reset would end the process with SIGPIPE. Unless the program handles
// the signal itself, it is ignored, and the write fails with EPIPE like the
// others.
void ignoreSigpipe()
{
    static const bool fait = [] {
        struct sigaction action{};
        if (::sigaction(SIGPIPE, nullptr, &action) == 0 && action.sa_handler == SIG_DFL)
            std::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    Q_UNUSED(fait);
}

void option(int fd, int niveau, int nom, int valeur)
{
    ::setsockopt(fd, niveau, nom, &valeur, sizeof valeur);
}

}

Winsock::Winsock(Genre genre, QObject *parent)
    : QObject(parent), genre_(genre)
{
    if (genre_ == Genre::Tcp)
        ignoreSigpipe();
    vidange_.setSingleShot(true);
    vidange_.setTimerType(Qt::PreciseTimer);
    connect(&vidange_, &QTimer::timeout, this, [this] {
        if (vide())
            emit EnvoiPossible();
    });
    veille_.setInterval(1000);
    connect(&veille_, &QTimer::timeout, this, &Winsock::veille);
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
        connue = AdresseLocale::DeLaMachine();
        age.start();
    }
    return connue;
}

bool Winsock::refuse(const QString &pourquoi, int numero)
{
    derniereErreur_ = pourquoi;
    numeroDerniereErreur_ = numero;
    return false;
}

bool Winsock::ouvre(int type)
{
    ++generation_;
    fd_ = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        const int numero = errno;
        return refuse(texteErreur(numero), numero);
    }
    return true;
}

void Winsock::surveille()
{
    lecture_ = std::make_unique<QSocketNotifier>(qintptr(fd_), QSocketNotifier::Read);
    connect(lecture_.get(), &QSocketNotifier::activated, this, [this] { surLecture(); });
    ecriture_ = std::make_unique<QSocketNotifier>(qintptr(fd_), QSocketNotifier::Write);
    attendEcriture(false);
    connect(ecriture_.get(), &QSocketNotifier::activated, this, [this] { surEcriture(); });
}

void Winsock::attendEcriture(bool oui)
{
    ecriture_->setEnabled(oui);
    ecritureAttendue_ = oui && !finEnvoi_ && (etat_ == sckConnected || etat_ == sckClosing);
}

void Winsock::fermeDescripteur()
{
    ++generation_;
    ecritureAttendue_ = false;
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
    veille_.stop();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    tuyau_.Oublie();
    envoi_.Vide();
    finEnvoi_ = false;
    recu_.resize(0);
    jette_ = false;
    jetes_ = 0;
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
    option(fd_, SOL_SOCKET, SO_REUSEADDR, 1);
    const sockaddr_in a = AdresseSocket(INADDR_ANY, quint16(localPort_));
    if (::bind(fd_, reinterpret_cast<const sockaddr *>(&a), sizeof a) != 0 || ::listen(fd_, 8) != 0) {
        const int numero = errno;
        fermeDescripteur();
        return refuse(texteErreur(numero), numero);
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
    const int fd = demandeFd_;
    demandeFd_ = -1;
    demandeId_ = 0;
    return Adopte(fd);
}

bool Winsock::Adopte(int fd)
{
    if (genre_ != Genre::Tcp || etat_ != sckClosed) {
        ::close(fd);
        return refuse(QStringLiteral("Adopte needs a closed TCP socket"));
    }
    ++generation_;
    fd_ = fd;
    sockaddr_in pair{};
    socklen_t longueur = sizeof pair;
    if (::getpeername(fd_, reinterpret_cast<sockaddr *>(&pair), &longueur) == 0)
        remoteHostIp_ = TexteAdresse(pair);
    noteAdresseLocale();
    // The peer sends and we only read: without probes, a peer that vanished
    // without a word (its FIN never came) would hold the connection for ever.
    option(fd_, SOL_SOCKET, SO_KEEPALIVE, 1);
    option(fd_, IPPROTO_TCP, TCP_KEEPIDLE, KeepaliveRepos);
    option(fd_, IPPROTO_TCP, TCP_KEEPINTVL, KeepaliveIntervalle);
    option(fd_, IPPROTO_TCP, TCP_KEEPCNT, KeepaliveSondes);
    etat_ = sckConnected;
    surveille();
    demarreVeille();
    return true;
}

void Winsock::accepteDemande()
{
    const int client = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (client < 0) {
        // Out of descriptors or memory, the request stays queued and the
        // socket stays readable: looked at again in a moment, not at once.
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            lecture_->setEnabled(false);
            QTimer::singleShot(RepriseAcceptationMs, this, [this, generation = generation_] {
                if (generation == generation_ && etat_ == sckListening)
                    lecture_->setEnabled(true);
            });
        }
        return;
    }
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
        echoueEnDiffere(numeroDerniereErreur_, derniereErreur_);
        return;
    }
    const sockaddr_in a = AdresseSocket(adresse.toIPv4Address(), quint16(remotePort_));
    remoteHostIp_ = adresse.toString();
    if (::connect(fd_, reinterpret_cast<const sockaddr *>(&a), sizeof a) == 0) {
        etat_ = sckConnected;
        noteAdresseLocale();
        surveille();
        demarreVeille();
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
    attendEcriture(true);
}

void Winsock::termineConnexion()
{
    int numero = 0;
    socklen_t longueur = sizeof numero;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &numero, &longueur) != 0)
        numero = errno;
    // A reset (not a refusal) comes after the peer accepted: the connection
    // was up, if only for a moment, and ends as a reset connection does,
    // whichever of the two the system told first.
    if (numero != 0 && numero != ECONNRESET) {
        echoue(numero, texteErreur(numero));
        return;
    }
    etat_ = sckConnected;
    attendEcriture(false);
    lecture_->setEnabled(true);
    noteAdresseLocale();
    demarreVeille();
    emit Connected();
    if (numero == ECONNRESET) {
        QMetaObject::invokeMethod(this, [this, generation = generation_] {
            if (generation == generation_ && etat_ >= sckConnected)
                echoue(ECONNRESET, texteErreur(ECONNRESET));
        }, Qt::QueuedConnection);
    }
}

void Winsock::noteAdresseLocale()
{
    sockaddr_in locale{};
    socklen_t longueur = sizeof locale;
    if (::getsockname(fd_, reinterpret_cast<sockaddr *>(&locale), &longueur) == 0)
        adresseLocaleConnexion_ = TexteAdresse(locale);
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
    // Address sharing lets every copy of the program on this machine bind the
    // port and hear the broadcasts.
    option(fd_, SOL_SOCKET, SO_REUSEADDR, 1);
    option(fd_, SOL_SOCKET, SO_BROADCAST, 1);
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
    const sockaddr_in a = AdresseSocket(INADDR_ANY, quint16(port));
    if (::bind(fd_, reinterpret_cast<const sockaddr *>(&a), sizeof a) != 0) {
        const int numero = errno;
        fermeDescripteur();
        return refuse(texteErreur(numero), numero);
    }
    // Beyond the system's ceiling when we may (inside our own network
    // namespace, say), else up to it.
    if (::setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &TamponDatagrammes, sizeof TamponDatagrammes) != 0)
        option(fd_, SOL_SOCKET, SO_RCVBUF, TamponDatagrammes);
    localPort_ = port;
    etat_ = sckOpen;
    surveille();
    return true;
}

bool Winsock::envoie(const QByteArray &donnees)
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
        const sockaddr_in a = AdresseSocket(hote.toIPv4Address(), quint16(remotePort_));
        if (::sendto(fd_, donnees.constData(), size_t(donnees.size()), MSG_NOSIGNAL,
                     reinterpret_cast<const sockaddr *>(&a), sizeof a) < 0) {
            const int numero = errno;
            return refuse(texteErreur(numero), numero);
        }
        return true;
    }

    if (etat_ != sckConnected && etat_ != sckClosing)
        return refuse(QStringLiteral("not connected"));
    if (finEnvoi_)
        return refuse(QStringLiteral("the sending has been ended"));
    // A full queue waits for the system to take some of it, and keeps the
    // windows alive meanwhile; a close while waiting drops the data.
    const quint64 generation = generation_;
    while (EnAttenteEnvoi() > 0 && EnAttenteEnvoi() + donnees.size() > FileEnvoiMax) {
        attendEcriture(true);
        AttendEvenements();
        if (generation != generation_ || (etat_ != sckConnected && etat_ != sckClosing))
            return refuse(QStringLiteral("closed while waiting to send"));
    }
    envoi_.Ajoute(donnees);
    // While the system is full, its readiness signal hands over the rest: no
    // write is tried before (one failed system call per block, otherwise, on
    // a slow link).
    if (ecriture_->isEnabled())
        return true;
    if (EnAttenteEnvoi() >= EcritureMin)
        vide();
    else if (!vidange_.isActive())
        vidange_.start(DelaiVidangeMs);
    return true;
}

// Hands the system as much of the queue as it takes now: a run of the same
// call by reference to its pages (TuyauEnvoi), which the system does not
// copy, the rest in gathered writes straight from the queued calls. False
// when the connection failed (the error has been signalled).
bool Winsock::vide()
{
    iovec morceaux[MorceauxMax];
    while (!envoi_.estVide()) {
        size_t offert = 0;
        ssize_t n;
        std::optional<FileEnvoi::Tranche> tranche;
        if (tuyau_.Taille() > 0 || (tranche = envoi_.TrancheFichier())) {
            n = tuyau_.Envoie(fd_, tranche, offert);
        } else {
            msghdr message{};
            message.msg_iov = morceaux;
            message.msg_iovlen = size_t(envoi_.Morceaux(morceaux, MorceauxMax));
            for (size_t i = 0; i < message.msg_iovlen; ++i)
                offert += morceaux[i].iov_len;
            n = ::sendmsg(fd_, &message, MSG_NOSIGNAL);
        }
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                attendEcriture(true);
                return true;
            }
            // Reported as an event, never from inside the SendData() call.
            const int numero = errno;
            fermeDescripteur();
            echoueEnDiffere(numero, texteErreur(numero));
            return false;
        }
        envoi_.Retire(n);
        prisDepuisVeille_ += n;
        // A short write means the system is full: its readiness signal says
        // when to go on, instead of one more write that would fail.
        if (size_t(n) < offert) {
            attendEcriture(true);
            return true;
        }
    }
    attendEcriture(false);
    if (finEnvoi_)
        ::shutdown(fd_, SHUT_WR);
    return true;
}

bool Winsock::TermineEnvoi(const QByteArray &dernier)
{
    if (genre_ != Genre::Tcp || (etat_ != sckConnected && etat_ != sckClosing))
        return refuse(QStringLiteral("not connected"));
    tuyau_.Oublie();
    envoi_.GardeEntame();
    envoi_.Ajoute(dernier);
    finEnvoi_ = true;
    ecritureAttendue_ = false;
    vidange_.stop();
    return vide();
}

qint64 Winsock::GetData(QByteArray &donnees)
{
    donnees.swap(recu_);
    recu_.resize(0);
    return donnees.size() + std::exchange(jetes_, 0);
}

void Winsock::ForceLectureCopiee(bool copiee)
{
#ifdef __linux__
    drapeauJette = copiee ? 0 : MSG_TRUNC;
#else
    Q_UNUSED(copiee);
#endif
}

void Winsock::Close()
{
    // A connection ends in order (the peer reads its end, never a reset),
    // and the rest of a SendData() call that the system has started to take
    // goes first; the calls after it are dropped.
    if (fd_ >= 0 && (etat_ == sckConnected || etat_ == sckClosing)) {
        const QByteArray aFinir = finEnvoi_ ? envoi_.Copie() : envoi_.ResteEntame().toByteArray();
        const int fd = fd_;
        fd_ = -1;
        fermeDescripteur();
        FinConnexion::Termine(fd, aFinir);
        return;
    }
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
        litDatagrammes();
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
    const ssize_t n = ::recv(fd_, recu_.data() + deja, size_t(LectureMax - deja), jette_ ? drapeauJette : 0);
    if (n > 0) {
        if (jette_)
            jetes_ += n;
        recu_.resize(jette_ ? deja : deja + n);
        luDepuisVeille_ += n;
        emit DataArrival(n);
        return;
    }
    recu_.resize(deja);
    if (n == 0) {
        // Our side may still send (a report, the rest of a stream): the
        // socket stays until Close().
        etat_ = sckClosing;
        lecture_->setEnabled(false);
        veille_.stop();
        emit Closed();
    } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        echoue(errno, texteErreur(errno));
    }
}

void Winsock::litDatagrammes()
{
    const quint64 generation = generation_;
    QElapsedTimer budget;
    budget.start();
    do {
        recu_.resize(DatagrammeMax);
        const ssize_t n = ::recv(fd_, recu_.data(), size_t(DatagrammeMax), MSG_DONTWAIT);
        if (n < 0) {
            recu_.resize(0);
            return;
        }
        recu_.resize(n);
        emit DataArrival(n);
        // A datagram the handler left is kept for a later GetData().
    } while (generation == generation_ && recu_.isEmpty() && budget.nsecsElapsed() < BudgetDatagrammesNs);
}

void Winsock::demarreVeille()
{
    silenceMs_ = 0;
    luDepuisVeille_ = 0;
    prisDepuisVeille_ = 0;
    seuilLecture_ = 1;
    veille_.start();
}

void Winsock::veille()
{
    if (silenceMaxMs_ > 0) {
        silenceMs_ = luDepuisVeille_ > 0 || prisDepuisVeille_ > 0 ? 0 : silenceMs_ + int(veille_.interval());
        if (silenceMs_ >= silenceMaxMs_) {
            //: %1: a number of seconds.
            echoue(ErreurSilence, tr("aucune donnée depuis %1 s").arg(silenceMaxMs_ / 1000));
            return;
        }
    }
    // A second without data brings the threshold back to one byte, so that
    // bytes left below it are read within a second.
    const int seuil = int(std::clamp<qint64>(luDepuisVeille_ / FractionSeuil, 1, SeuilLectureMax));
    luDepuisVeille_ = 0;
    prisDepuisVeille_ = 0;
    if (seuil != seuilLecture_) {
        option(fd_, SOL_SOCKET, SO_RCVLOWAT, seuil);
        seuilLecture_ = seuil;
    }
}

void Winsock::surEcriture()
{
    if (etat_ == sckConnecting)
        termineConnexion();
    else if (etat_ == sckConnected || etat_ == sckClosing) {
        if (vide())
            emit EnvoiPossible();
    }
    else if (ecriture_)
        attendEcriture(false);
}
