#include "support/Evenements.h"

#include <QCoreApplication>

#include <cstdlib>

namespace {

void quitteProcessus()
{
    // Loops of handlers may be running below us on the stack; returning to
    // them would let them go on. The program keeps no state and writes no
    // file, so leaving the process here loses nothing.
    std::_Exit(0);
}

ActionFin actionFin = &quitteProcessus;

}

void TraiteEvenements()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
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
