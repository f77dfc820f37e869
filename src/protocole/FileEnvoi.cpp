#include "protocole/FileEnvoi.h"

#include <algorithm>

namespace {

// The length of the repeated copy of a run's block: the pieces of a gathered
// write are about this long.
constexpr qsizetype RepetitionOctets = 64 * 1024;

}

void FileEnvoi::Ajoute(const QByteArray &donnees)
{
    if (donnees.isEmpty())
        return;
    if (!series_.empty() && series_.back().appel.isSharedWith(donnees)) {
        if (++series_.back().fois == 2 && !modele_.isSharedWith(donnees))
            repete(donnees);
    } else
        series_.push_back({donnees, 1});
    taille_ += donnees.size();
}

void FileEnvoi::repete(const QByteArray &bloc)
{
    // A large block makes long pieces by itself.
    if (bloc.size() * 2 > RepetitionOctets)
        return;
    modele_ = bloc;
    repetition_ = bloc.repeated(RepetitionOctets / bloc.size());
}

int FileEnvoi::Morceaux(iovec *morceaux, int max) const
{
    int n = 0;
    qint64 saut = debut_;
    for (auto s = series_.begin(); s != series_.end() && n < max; ++s) {
        // A piece holds whole calls, the first one from `saut` on: from the
        // repeated copy of the block, it holds several.
        const bool repetee = s->fois > 1 && modele_.isSharedWith(s->appel);
        const QByteArray &source = repetee ? repetition_ : s->appel;
        qint64 reste = s->appel.size() * s->fois - saut;
        for (; reste > 0 && n < max; ++n) {
            const qint64 longueur = std::min(reste, qint64(source.size()) - saut);
            morceaux[n].iov_base = const_cast<char *>(source.constData() + saut);
            morceaux[n].iov_len = size_t(longueur);
            reste -= longueur;
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
