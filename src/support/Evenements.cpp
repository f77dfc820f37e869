#include "support/Evenements.h"

#include <QCoreApplication>

#include <cstdlib>
#include <ctime>

namespace {

void quitteProcessus()
{
    // Loops of handlers may be running below us on the stack; returning to
    // them would let them go on. The program keeps no state and writes no
    // file, so leaving the process here loses nothing.
    std::_Exit(0);
}

ActionFin actionFin = &quitteProcessus;

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

}

void TraiteEvenements()
{
    static qint64 derniere = 0;
    if (instantNs() - derniere < IntervalleNs)
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    derniere = instantNs();
}

void FinProgramme()
{
    actionFin();
}

ActionFin DefinitFinProgramme(ActionFin action)
{
    ActionFin precedente = actionFin;
    actionFin = action;
    return precedente;
}
