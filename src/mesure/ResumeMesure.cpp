#include "mesure/ResumeMesure.h"

#include "outils/Formatage.h"

#include <algorithm>

ResumeMesure::ResumeMesure(const std::vector<qint64> &secondes, qint64 total, const QDateTime &debut,
                           const QDateTime &fin, const std::vector<VueTcp> &tcp)
    : debut_(debut)
    , fin_(fin)
    , dureeMs_(std::max<qint64>(0, debut.msecsTo(fin)))
    , total_(total)
    , secondes_(int(secondes.size()))
{
    // A view out of bounds (a history file's damaged row) is no figure.
    std::vector<qint64> rtt;
    for (const VueTcp &v : tcp) {
        if (!v.valide())
            continue;
        latenceReposUs_ = rtt.empty() ? v.rttMinUs : std::min(latenceReposUs_, v.rttMinUs);
        rtt.push_back(v.rttUs);
    }
    if (!rtt.empty()) {
        std::sort(rtt.begin(), rtt.end());
        const size_t n = rtt.size();
        latenceChargeUs_ = n % 2 ? rtt[n / 2] : rtt[n / 2 - 1] + (rtt[n / 2] - rtt[n / 2 - 1]) / 2;
    }
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

QString ResumeMesure::noteLatence() const
{
    if (latenceChargeUs_ == 0)
        return {};
    const qint64 hausse = std::max<qint64>(0, latenceChargeUs_ - latenceReposUs_);
    const struct {
        qint64 sousUs;
        const char *note;
    } notes[] = {{5000, "A+"}, {30000, "A"}, {60000, "B"}, {200000, "C"}, {400000, "D"}};
    for (const auto &n : notes) {
        if (hausse < n.sousUs)
            return QString::fromLatin1(n.note);
    }
    return QStringLiteral("F");
}

QString ResumeMesure::texteLatence() const
{
    if (latenceChargeUs_ == 0)
        //: The latency, when no end gave TCP's view
        return tr("inconnue");
    //: The latency: idle, under load, the increase, and its grade (A+ to F)
    return tr("au repos %1, en charge %2 (+%3), note %4")
        .arg(FormateMs(latenceReposUs_), FormateMs(latenceChargeUs_),
             FormateMs(std::max<qint64>(0, latenceChargeUs_ - latenceReposUs_)), noteLatence());
}
