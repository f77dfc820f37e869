#include "outils/Attente.h"

#include "outils/Evenements.h"

#include <QThread>
#include <QTimer>

namespace {

QDateTime horlogeLocale()
{
    const QDateTime t = QDateTime::currentDateTime();
    return QDateTime(t.date(), QTime(t.time().hour(), t.time().minute(), t.time().second()));
}

// Minutes and seconds of the difference, each field read as that of a time
// of day (0 to 59); hours and days are not counted.
int ecoule(const QDateTime &debut, const QDateTime &t)
{
    const qint64 dansLHeure = ((debut.secsTo(t) % 3600) + 3600) % 3600;
    return int(60 * (dansLHeure / 60) + dansLHeure % 60);
}

// A pass that finds nothing to do rests until an event arrives or this many
// milliseconds pass, so that a waiting program does not spin a processor.
constexpr int reposMs = 10;

}

void Attente(qint16 secondes, bool sansCeder)
{
    Attente(secondes, sansCeder, &horlogeLocale);
}

void Attente(qint16 secondes, bool sansCeder, Horloge horloge)
{
    const QDateTime debut = horloge();
    QTimer reveil;
    reveil.setSingleShot(true);
    reveil.setTimerType(Qt::PreciseTimer);
    for (;;) {
        if (double(ecoule(debut, horloge())) >= double(secondes))
            return;
        if (sansCeder) {
            QThread::msleep(reposMs);
            continue;
        }
        TraiteEvenements();
        reveil.start(reposMs);
        AttendEvenements();
    }
}
