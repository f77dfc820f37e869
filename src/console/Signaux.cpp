#include "console/Signaux.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A signal handler may only write to a descriptor: the event loop reads the
// other end of this pipe.
int tube[2] = {-1, -1};

}

Signaux::Signaux()
{
    if (::pipe2(tube, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notificateur_ = std::make_unique<QSocketNotifier>(qintptr(tube[0]), QSocketNotifier::Read);
    connect(notificateur_.get(), &QSocketNotifier::activated, this, &Signaux::lit);
    struct sigaction action = {};
    action.sa_handler = &Signaux::recoit;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

Signaux::~Signaux()
{
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    notificateur_.reset();
    for (int &d : tube) {
        if (d >= 0)
            ::close(d);
        d = -1;
    }
}

void Signaux::recoit(int numero)
{
    const char octet = char(numero);
    [[maybe_unused]] const ssize_t ecrit = ::write(tube[1], &octet, 1);
}

void Signaux::lit()
{
    char octet = 0;
    while (::read(tube[0], &octet, 1) == 1)
        emit interruption(int(octet));
}
