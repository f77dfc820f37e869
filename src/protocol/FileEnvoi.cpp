#include "protocol/FileEnvoi.h"

void FileEnvoi::Ajoute(const QByteArray &donnees)
{
    if (donnees.isEmpty())
        return;
    if (!series_.empty() && series_.back().appel.isSharedWith(donnees))
        ++series_.back().fois;
    else
        series_.push_back({donnees, 1});
    taille_ += donnees.size();
}

int FileEnvoi::Morceaux(iovec *morceaux, int max) const
{
    int n = 0;
    qint64 saut = debut_;
    for (auto s = series_.begin(); s != series_.end() && n < max; ++s) {
        const char *octets = s->appel.constData();
        const qint64 taille = s->appel.size();
        for (qint64 i = 0; i < s->fois && n < max; ++i, ++n) {
            morceaux[n].iov_base = const_cast<char *>(octets + saut);
            morceaux[n].iov_len = size_t(taille - saut);
            saut = 0;
        }
    }
    return n;
}

void FileEnvoi::Retire(qint64 n)
{
    taille_ -= n;
    n += debut_;
    while (!series_.empty()) {
        Serie &s = series_.front();
        const qint64 taille = s.appel.size();
        if (n < taille * s.fois) {
            s.fois -= n / taille;
            n %= taille;
            break;
        }
        n -= taille * s.fois;
        series_.pop_front();
    }
    debut_ = series_.empty() ? 0 : n;
}

QByteArrayView FileEnvoi::ResteEntame() const
{
    if (debut_ == 0)
        return {};
    return QByteArrayView(series_.front().appel).sliced(debut_);
}

void FileEnvoi::Vide()
{
    series_.clear();
    debut_ = 0;
    taille_ = 0;
}
