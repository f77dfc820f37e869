#include "protocol/FileEnvoi.h"

void FileEnvoi::Ajoute(const QByteArray &donnees)
{
    if (donnees.isEmpty())
        return;
    appels_.push_back(donnees);
    taille_ += donnees.size();
}

int FileEnvoi::Morceaux(iovec *morceaux, int max) const
{
    int n = 0;
    qint64 saut = debut_;
    for (auto i = appels_.begin(); i != appels_.end() && n < max; ++i, ++n) {
        morceaux[n].iov_base = const_cast<char *>(i->constData() + saut);
        morceaux[n].iov_len = size_t(i->size() - saut);
        saut = 0;
    }
    return n;
}

void FileEnvoi::Retire(qint64 n)
{
    taille_ -= n;
    n += debut_;
    while (!appels_.empty() && n >= appels_.front().size()) {
        n -= appels_.front().size();
        appels_.pop_front();
    }
    debut_ = appels_.empty() ? 0 : n;
}

QByteArrayView FileEnvoi::ResteEntame() const
{
    if (debut_ == 0)
        return {};
    return QByteArrayView(appels_.front()).sliced(debut_);
}

void FileEnvoi::Vide()
{
    appels_.clear();
    debut_ = 0;
    taille_ = 0;
}
