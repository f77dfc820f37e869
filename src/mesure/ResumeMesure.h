#pragma once

#include <QDateTime>
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
public:
    ResumeMesure() = default;
    // secondes: the bytes of each complete second, in order; total: every
    // byte of the measurement, an incomplete last second included.
    ResumeMesure(const std::vector<qint64> &secondes, qint64 total, const QDateTime &debut, const QDateTime &fin);

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
};
