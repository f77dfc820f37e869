#include "mesure/ResumeMesure.h"

#include <algorithm>

ResumeMesure::ResumeMesure(const std::vector<qint64> &secondes, qint64 total, const QDateTime &debut,
                           const QDateTime &fin)
    : debut_(debut)
    , fin_(fin)
    , dureeMs_(std::max<qint64>(0, debut.msecsTo(fin)))
    , total_(total)
    , secondes_(int(secondes.size()))
{
    if (secondes.empty())
        return;
    std::vector<qint64> tries(secondes);
    std::sort(tries.begin(), tries.end());
    const size_t n = tries.size();
    minimum_ = tries.front();
    maximum_ = tries.back();
    mediane_ = n % 2 ? double(tries[n / 2]) : (double(tries[n / 2 - 1]) + double(tries[n / 2])) / 2.0;
    // Rank ceil(0.9 n), counted from 1, in integers so that 0.9 × 10 is 9.
    centile90_ = tries[(9 * n + 9) / 10 - 1];
}

double ResumeMesure::moyenne() const
{
    return dureeMs_ > 0 ? double(total_) * 1000.0 / double(dureeMs_) : 0.0;
}
