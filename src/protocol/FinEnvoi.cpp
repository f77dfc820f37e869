#include "protocol/FinEnvoi.h"

#include "support/Evenements.h"

#include <QCoreApplication>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {

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

}

void FinEnvoi::Termine(int fd, const QByteArray &reste)
{
    QByteArray aEnvoyer = reste;
    if (envoie(fd, aEnvoyer) || !QCoreApplication::instance()) {
        ::close(fd);
        return;
    }
    new FinEnvoi(fd, aEnvoyer);
}

FinEnvoi::FinEnvoi(int fd, const QByteArray &reste)
    : QObject(QCoreApplication::instance()), fd_(fd), reste_(reste), ecriture_(qintptr(fd), QSocketNotifier::Write)
{
    ++enCours_;
    connect(&ecriture_, &QSocketNotifier::activated, this, &FinEnvoi::ecrit);
    abandon_.setSingleShot(true);
    connect(&abandon_, &QTimer::timeout, this, &FinEnvoi::ferme);
    abandon_.start(DelaiMaxMs);
}

void FinEnvoi::AttendTout()
{
    while (enCours_ > 0)
        AttendEvenements();
}

// The program ends first.
FinEnvoi::~FinEnvoi()
{
    ecriture_.setEnabled(false);
    lache();
}

void FinEnvoi::ecrit()
{
    if (envoie(fd_, reste_))
        ferme();
}

// Done, or given up.
void FinEnvoi::ferme()
{
    if (fd_ < 0)
        return;
    ecriture_.setEnabled(false);
    abandon_.stop();
    lache();
    deleteLater();
}

// Closes the descriptor, and the wait of AttendTout() counts this connection
// out at once, before any deferred deletion.
void FinEnvoi::lache()
{
    if (fd_ < 0)
        return;
    ::close(fd_);
    fd_ = -1;
    --enCours_;
}
