#include "outils/Evenements.h"

#include <QCoreApplication>

#include <algorithm>
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
// Events then wait at most a millisecond, a sixteenth of a frame of the
// screen: a click or a repaint comes no later that anyone can see.
constexpr qint64 IntervalleNs = 1000 * 1000;

// The time since the last look. Reading the system's clock costs about 30 ns
// on a virtual machine, more than a pass of the send loop: it is read only
// once every `pas_` yields. The stride doubles while reads come less than
// LectureNs apart and halves as soon as they come more than twice that apart,
// so a look comes at most a few tens of microseconds after its millisecond
// in a loop of quick passes, and on time in a loop of slow ones.
class Intervalle
{
public:
    bool ecoule()
    {
        if (--restants_ > 0)
            return false;
        const qint64 maintenant = instantNs();
        const qint64 ecart = maintenant - lecture_;
        if (ecart < LectureNs)
            pas_ = std::min(pas_ * 2, PasMax);
        else if (ecart > 2 * LectureNs)
            pas_ = std::max(pas_ / 2, 1);
        lecture_ = maintenant;
        restants_ = pas_;
        return maintenant - regard_ >= IntervalleNs;
    }

    void marque()
    {
        regard_ = lecture_ = instantNs();
        restants_ = pas_;
    }

private:
    static constexpr qint64 LectureNs = 10 * 1000;
    static constexpr int PasMax = 64;

    qint64 regard_ = 0;
    qint64 lecture_ = 0;
    int pas_ = 1;
    int restants_ = 0;
};

Intervalle depuisRegard;
quint64 regards = 0;

}

void TraiteEvenements()
{
    if (!depuisRegard.ecoule())
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    depuisRegard.marque();
    ++regards;
}

void AttendEvenements()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    depuisRegard.marque();
    ++regards;
}

quint64 RegardsEvenements()
{
    return regards;
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
