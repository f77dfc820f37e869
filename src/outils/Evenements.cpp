#include "outils/Evenements.h"

#include <QCoreApplication>

#include <cstdlib>
#include <ctime>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

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
// on a virtual machine, as much as a pass of the send loop; the processor's
// cycle counter, where there is one, costs a third of that. Its rate is
// learnt against the system's clock over the first 50 ms of yields, which
// use the system's clock meanwhile. A counter whose rate varies, or that
// differs between cores, only moves the looks earlier or later.
class Intervalle
{
public:
    bool ecoule()
    {
#if defined(__x86_64__) || defined(__i386__)
        if (cyclesParIntervalle_ > 0)
            return __rdtsc() - derniereCycles_ >= cyclesParIntervalle_;
        apprend();
#endif
        return instantNs() - derniereNs_ >= IntervalleNs;
    }

    void marque()
    {
#if defined(__x86_64__) || defined(__i386__)
        derniereCycles_ = __rdtsc();
        if (cyclesParIntervalle_ > 0)
            return;
#endif
        derniereNs_ = instantNs();
    }

private:
#if defined(__x86_64__) || defined(__i386__)
    static constexpr qint64 ApprentissageNs = 50 * 1000 * 1000;

    void apprend()
    {
        const qint64 ns = instantNs();
        const quint64 cycles = __rdtsc();
        if (debutNs_ == 0) {
            debutNs_ = ns;
            debutCycles_ = cycles;
        } else if (ns - debutNs_ >= ApprentissageNs && cycles > debutCycles_) {
            cyclesParIntervalle_ = quint64(double(cycles - debutCycles_) * IntervalleNs / double(ns - debutNs_));
        }
    }

    qint64 debutNs_ = 0;
    quint64 debutCycles_ = 0;
    quint64 cyclesParIntervalle_ = 0;
    quint64 derniereCycles_ = 0;
#endif
    qint64 derniereNs_ = 0;
};

Intervalle depuisRegard;

}

void TraiteEvenements()
{
    if (!depuisRegard.ecoule())
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    depuisRegard.marque();
}

void AttendEvenements()
{
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    depuisRegard.marque();
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
