#include "support/Evenements.h"

#include <QCoreApplication>

#include <cstdlib>
#include <ctime>
#include <utility>

namespace {

void quitteProcessus()
{
    // Loops of handlers may be running below us on the stack; returning to
    // them would let them go on. What must be kept has been written by the
    // action before the end, so leaving the process here loses nothing.
    std::_Exit(0);
}

ActionFin actionFin = &quitteProcessus;
std::function<void()> avantFin;

qint64 instantNs()
{
    timespec t;
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Looking at the event queue costs a system call and the dispatcher's
// bookkeeping, several microseconds even when nothing is waiting: many times
// a pass of the send loop. So the queue is looked at again only once this
// long has passed since the last look; a yield in between returns at once.
// Events then wait at most this long, far below what anyone can notice.
constexpr qint64 IntervalleNs = 100 * 1000;

// When the queue was last looked at.
qint64 derniere = 0;

}

void TraiteEvenements()
{
    if (instantNs() - derniere < IntervalleNs)
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    derniere = instantNs();
}

void AttendEvenements()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    derniere = instantNs();
}

void FinProgramme()
{
    // Taken out first: the action may yield, and a second way out during it
    // must not run it again.
    const std::function<void()> action = std::exchange(avantFin, nullptr);
    if (action)
        action();
    actionFin();
}

void DefinitAvantFin(std::function<void()> action)
{
    avantFin = std::move(action);
}

ActionFin DefinitFinProgramme(ActionFin action)
{
    ActionFin precedente = actionFin;
    actionFin = action;
    return precedente;
}
