#include "protocole/FileEnvoi.h"

#include <algorithm>

void FileEnvoi::Ajoute(const QByteArray &donnees)
{
    if (donnees.isEmpty())
        return;
    if (!series_.empty() && series_.back().appel.isSharedWith(donnees)) {
        if (++series_.back().fois == 2 && !modele_.isSharedWith(donnees)) {
            modele_ = donnees;
            fichier_.remplit(donnees);
        }
    } else
        series_.push_back({donnees, 1});
    taille_ += donnees.size();
}

std::optional<FileEnvoi::Tranche> FileEnvoi::TrancheFichier() const
{
    if (series_.empty() || !fichier_.estOuvert() || !modele_.isSharedWith(series_.front().appel))
        return std::nullopt;
    const Serie &s = series_.front();
    return Tranche{fichier_.fd(), debut_, std::min(s.appel.size() * s.fois, fichier_.taille()) - debut_,
                   fichier_.octets() ? fichier_.octets() + debut_ : nullptr};
}

int FileEnvoi::Morceaux(iovec *morceaux, int max) const
{
    int n = 0;
    qint64 saut = debut_;
    for (auto s = series_.begin(); s != series_.end() && n < max; ++s) {
        for (qint64 fois = s->fois; fois > 0 && n < max; --fois, ++n) {
            morceaux[n].iov_base = const_cast<char *>(s->appel.constData() + saut);
            morceaux[n].iov_len = size_t(s->appel.size() - saut);
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

void FileEnvoi::GardeEntame()
{
    if (debut_ == 0) {
        Vide();
        return;
    }
    const QByteArray entame = series_.front().appel;
    series_.clear();
    series_.push_back({entame, 1});
    taille_ = entame.size() - debut_;
}

QByteArray FileEnvoi::Copie() const
{
    QByteArray tout;
    tout.reserve(taille_);
    qint64 saut = debut_;
    for (const Serie &s : series_) {
        for (qint64 i = 0; i < s.fois; ++i, saut = 0)
            tout += QByteArrayView(s.appel).sliced(saut);
    }
    return tout;
}

void FileEnvoi::Vide()
{
    series_.clear();
    debut_ = 0;
    taille_ = 0;
}
