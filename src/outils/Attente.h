#pragma once

#include <QDateTime>

// Holds the caller up for `secondes` whole seconds of the wall clock. The
// clock counts whole seconds, so a wait of N seconds ends at the N-th change
// of the clock's seconds after the start: after more than N - 1 and at most N
// seconds. Only minutes and seconds of the elapsed time count, so waits are
// meaningful below one hour. A wait of 0 or less returns at once.
//
// With sansCeder false, every pass yields to the event queue (any handler may
// run meanwhile, including one that waits again); with true the user
// interface stays frozen for the whole wait. The end-of-wait test comes
// first in every pass, so no event is processed once the time is up.
void Attente(qint16 secondes, bool sansCeder);

// The same wait on a clock of the caller's choice (tests use a fake one).
using Horloge = QDateTime (*)();
void Attente(qint16 secondes, bool sansCeder, Horloge horloge);
