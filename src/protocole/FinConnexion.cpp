#include "protocole/FinConnexion.h"

#include "outils/Evenements.h"

#include <QCoreApplication>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Reads dropped per turn of the event loop: a peer that sends faster than
// we drop never holds the thread.
constexpr int LecturesParTour = 16;

// Hands the system what it takes now of `reste`. True when nothing is left to
// do: all taken, or the connection failed.
bool envoie(int fd, QByteArray &reste)
{
    while (!reste.isEmpty()) {
        const ssize_t n = ::send(fd, reste.constData(), size_t(reste.size()), MSG_NOSIGNAL);
        if (n > 0)
            reste.remove(0, n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            return !(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
    }
    return true;
}

// Drops what the peer has sent. True when it has ended its side, or the
// connection failed.
bool vidange(int fd)
{
    char tampon[64 * 1024];
    for (int i = 0; i < LecturesParTour; ++i) {
        const ssize_t n = ::recv(fd, tampon, sizeof tampon, 0);
        if (n > 0 || (n < 0 && errno == EINTR))
            continue;
        return !(n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
    }
    return false;
}

}

void FinConnexion::Termine(int fd, const QByteArray &reste)
{
    if (!QCoreApplication::instance()) {
        ::close(fd);
        return;
    }
    new FinConnexion(fd, reste);
}

FinConnexion::FinConnexion(int fd, const QByteArray &reste)
    : QObject(QCoreApplication::instance())
    , fd_(fd)
    , reste_(reste)
    , ecriture_(qintptr(fd), QSocketNotifier::Write)
    , lecture_(qintptr(fd), QSocketNotifier::Read)
{
    ++enCours_;
    lecture_.setEnabled(false);
    connect(&ecriture_, &QSocketNotifier::activated, this, &FinConnexion::ecrit);
    connect(&lecture_, &QSocketNotifier::activated, this, &FinConnexion::lit);
    abandon_.setSingleShot(true);
    connect(&abandon_, &QTimer::timeout, this, &FinConnexion::ferme);
    abandon_.start(DelaiMaxMs);
    ecrit();
}

void FinConnexion::AttendTout()
{
    while (enCours_ > 0)
        AttendEvenements();
}

// The program ends first.
FinConnexion::~FinConnexion()
{
    ecriture_.setEnabled(false);
    lecture_.setEnabled(false);
    lache();
}

void FinConnexion::ecrit()
{
    if (envoie(fd_, reste_))
        finit();
}

// Everything is sent: our end of the stream, then the peer's.
void FinConnexion::finit()
{
    ecriture_.setEnabled(false);
    ::shutdown(fd_, SHUT_WR);
    abandon_.start(DelaiFinPairMs);
    lecture_.setEnabled(true);
    lit();
}

void FinConnexion::lit()
{
    if (vidange(fd_))
        ferme();
}

// Done, or given up.
void FinConnexion::ferme()
{
    if (fd_ < 0)
        return;
    ecriture_.setEnabled(false);
    lecture_.setEnabled(false);
    abandon_.stop();
    lache();
    deleteLater();
}

// Closes the descriptor, and the wait of AttendTout() counts this connection
// out at once, before any deferred deletion.
void FinConnexion::lache()
{
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    --enCours_;
}
