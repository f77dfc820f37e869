#pragma once

#include <QtGlobal>

#include <functional>

// The yield of the program's handlers: processes every event already waiting
// (timer ticks, clicks, socket events) and returns. Handlers call it between
// the steps of their loops so that the windows stay alive and other handlers,
// including a nested run of the same one, get their turn. The queue is looked
// at no more often than every millisecond: a yield sooner after the last
// look returns at once, which keeps tight loops such as the send loop cheap.
// In a run of quick yields the clock itself is read only every few of them,
// so a look may come some microseconds after its millisecond.
void TraiteEvenements();

// The wait of a handler that cannot go on before something happens: sleeps
// until at least one event comes, processes what is waiting and returns. It
// is a look at the queue, so a TraiteEvenements() just after it returns at
// once.
void AttendEvenements();

// How many times the queue has been looked at so far. A loop whose state
// only handlers change need read that state again only when this moved.
quint64 RegardsEvenements();

// Ends the whole program at once: no window, socket, timer or loop of a
// handler runs again. It first runs, once, the action given to
// DefinitAvantFin, so that what must be kept is written. Tests replace the
// way out so that they survive it.
void FinProgramme();

// What FinProgramme() runs before leaving (the receiver stores its
// measurement in progress). Replaces the previous action; an empty function
// removes it.
void DefinitAvantFin(std::function<void()> action);

// What FinProgramme() does; by default the process exits. Returns the
// previous action.
using ActionFin = void (*)();
ActionFin DefinitFinProgramme(ActionFin action);
