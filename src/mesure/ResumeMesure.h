#pragma once

#include "protocole/VueTcp.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <vector>

// The figures of one measurement, from a transmitter's connection until it
// left: what the console prints at the end and what the receiver window shows
// and keeps.
//
// The rate figures are bytes per second. The mean is every byte received
// divided by the time elapsed, so a last second cut short still counts its
// bytes and its time; the minimum, median, 90th percentile and maximum are
// taken over the complete seconds only. With no complete second they are 0.
class ResumeMesure
{
    Q_DECLARE_TR_FUNCTIONS(ResumeMesure)

public:
    ResumeMesure() = default;
    // secondes: the bytes of each complete second, in order; total: every
    // byte of the measurement, an incomplete last second included; tcp:
    // TCP's view of the seconds from the sending end, when known.
    ResumeMesure(const std::vector<qint64> &secondes, qint64 total, const QDateTime &debut, const QDateTime &fin,
                 const std::vector<VueTcp> &tcp = {});

    QDateTime debut() const { return debut_; }
    QDateTime fin() const { return fin_; }
    qint64 dureeMs() const { return dureeMs_; }
    qint64 total() const { return total_; }
    int secondesCompletes() const { return secondes_; }

    double moyenne() const;
    qint64 minimum() const { return minimum_; }
    // The mean of the two middle seconds when their number is even.
    double mediane() const { return mediane_; }
    // Nearest rank: the smallest second that at least 90 % of the seconds
    // do not exceed.
    qint64 centile90() const { return centile90_; }
    qint64 maximum() const { return maximum_; }

    // Latency, in microseconds, 0 when no end gave TCP's view. At rest: the
    // smallest round trip the connection saw, its handshake included, before
    // the stream loaded the link. Under load: the median of the seconds'
    // smoothed round trips.
    qint64 latenceReposUs() const { return latenceReposUs_; }
    qint64 latenceChargeUs() const { return latenceChargeUs_; }
    // The grade of the increase under load: "A+" under 5 ms, "A" under 30,
    // "B" under 60, "C" under 200, "D" under 400, "F" beyond; empty when the
    // latency is unknown.
    QString noteLatence() const;

    // The latency in the person's language: "au repos 0,4 ms, en charge 12,3 ms (+11,9 ms),
    // note A", or "inconnue" when no end gave TCP's view.
    QString texteLatence() const;

private:
    QDateTime debut_;
    QDateTime fin_;
    qint64 dureeMs_ = 0;
    qint64 total_ = 0;
    int secondes_ = 0;
    qint64 minimum_ = 0;
    double mediane_ = 0;
    qint64 centile90_ = 0;
    qint64 maximum_ = 0;
    qint64 latenceReposUs_ = 0;
    qint64 latenceChargeUs_ = 0;
};
