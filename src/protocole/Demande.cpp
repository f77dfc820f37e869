#include "protocole/Demande.h"

#include "outils/Bornes.h"
#include "protocole/Protocole.h"

#include <QList>

#include <numeric>

namespace {

constexpr const char *Genres[] = {"retour", "envoi", "simultane"};
constexpr char FinLigne[] = "\r\n";

// The words of a line after the prefix, without its ending; nothing when
// the prefix or the ending is missing.
std::optional<QList<QByteArrayView>> mots(QByteArrayView ligne)
{
    if (ligne.endsWith(FinLigne))
        ligne.chop(2);
    if (!ligne.startsWith(Protocole::PrefixeDemande) || ligne.contains('\r') || ligne.contains('\n'))
        return std::nullopt;
    QList<QByteArrayView> liste;
    for (QByteArrayView reste = ligne.sliced(Protocole::LongueurPrefixeDemande);;) {
        const qsizetype espace = reste.indexOf(' ');
        liste << reste.first(espace < 0 ? reste.size() : espace);
        if (espace < 0)
            return liste;
        reste = reste.sliced(espace + 1);
    }
}

}

const char *Demande::nom(Genre genre)
{
    return Genres[int(genre)];
}

QByteArray Demande::ligne() const
{
    return QByteArray(Protocole::PrefixeDemande) + nom(genre) + ' ' + QByteArray::number(secondes) + FinLigne;
}

LectureDemande::Etat LectureDemande::ajoute(QByteArrayView octets)
{
    if (etat_ != Etat::Attente)
        return etat_;
    lus_.append(octets);
    const QByteArrayView prefixe(Protocole::PrefixeDemande, Protocole::LongueurPrefixeDemande);
    const qsizetype commun = std::min(lus_.size(), prefixe.size());
    if (QByteArrayView(lus_).first(commun) != prefixe.first(commun)) {
        etat_ = Etat::Flux;
        return etat_;
    }
    const qsizetype fin = lus_.indexOf(FinLigne);
    if (fin < 0 || fin + 2 > Protocole::LongueurDemandeMax) {
        if (lus_.size() >= Protocole::LongueurDemandeMax)
            etat_ = Etat::Invalide;
        return etat_;
    }
    const std::optional<QList<QByteArrayView>> m = mots(QByteArrayView(lus_).first(fin + 2));
    etat_ = Etat::Invalide;
    if (!m || m->size() != 2)
        return etat_;
    const std::optional<qint64> secondes = Bornes::LitEntier(m->at(1), Protocole::DemandeSecondesMax);
    if (!secondes || *secondes < Protocole::DemandeSecondesMin)
        return etat_;
    for (int g = 0; g < 3; ++g) {
        if (m->at(0) == Genres[g]) {
            demande_ = {Demande::Genre(g), int(*secondes)};
            etat_ = Etat::Demande;
            lus_.remove(0, fin + 2);
        }
    }
    return etat_;
}

namespace {

// A list of at most RapportSecondesMax items, comma-separated, "-" if empty.
template<typename T, typename F>
QByteArray liste(const std::vector<T> &elements, F texte)
{
    const size_t n = std::min(elements.size(), size_t(Protocole::RapportSecondesMax));
    if (n == 0)
        return "-";
    QByteArray l;
    for (size_t i = 0; i < n; ++i)
        l += (i ? "," : "") + texte(elements[i]);
    return l;
}

// The items of such a list, each read by `lit`; nothing when one is not.
template<typename T, typename F>
std::optional<std::vector<T>> elements(QByteArrayView texte, F lit)
{
    std::vector<T> v;
    if (texte == "-")
        return v;
    const QList<QByteArray> morceaux = texte.toByteArray().split(',');
    if (morceaux.size() > Protocole::RapportSecondesMax)
        return std::nullopt;
    for (const QByteArray &m : morceaux) {
        const std::optional<T> e = lit(m);
        if (!e)
            return std::nullopt;
        v.push_back(*e);
    }
    return v;
}

}

QByteArray Rapport::ligne() const
{
    return QByteArray(Protocole::PrefixeDemande) + "rapport " + QByteArray::number(octets) + ' ' +
           QByteArray::number(dureeMs) + ' ' + liste(secondes, [](qint64 s) { return QByteArray::number(s); }) +
           ' ' + liste(tcp, [](const VueTcp &v) { return v.texte(); }) + FinLigne;
}

std::optional<Rapport> Rapport::lit(QByteArrayView ligne)
{
    const std::optional<QList<QByteArrayView>> m = mots(ligne);
    if (!m || m->size() != 5 || m->at(0) != "rapport")
        return std::nullopt;
    const std::optional<qint64> octets = Bornes::LitEntier(m->at(1), Bornes::Octets);
    const std::optional<qint64> duree = Bornes::LitEntier(m->at(2), Bornes::DureeMs);
    const std::optional<std::vector<qint64>> secondes = elements<qint64>(
        m->at(3), [](QByteArrayView t) { return Bornes::LitEntier(t, Bornes::OctetsSeconde); });
    const std::optional<std::vector<VueTcp>> tcp = elements<VueTcp>(m->at(4), &VueTcp::lit);
    if (!octets || !duree || !secondes || !tcp)
        return std::nullopt;
    return Rapport{*octets, *duree, *secondes, *tcp};
}

bool Rapport::croyable(qint64 envoyes, qint64 ecouleMs) const
{
    // The seconds' bytes are part of the total; each complete second took a
    // whole second of the duration, and TCP's view is read once a second.
    const qint64 somme = std::accumulate(secondes.begin(), secondes.end(), qint64(0));
    const qint64 completes = dureeMs / 1000;
    return octets <= envoyes && somme <= octets && dureeMs <= ecouleMs + MargeHorlogeMs &&
           qint64(secondes.size()) <= completes && qint64(tcp.size()) <= completes + 1;
}

qint64 LectureRetour::ajoute(QByteArrayView octets)
{
    qint64 flux = 0;
    while (!octets.isEmpty() && !rapport_ && !fautif_) {
        if (!dansRapport_) {
            if (dansBloc_ == 0 && octets.front() == Protocole::PrefixeDemande[0]) {
                dansRapport_ = true;
                continue;
            }
            // The rest of the current block, or of what came.
            const qint64 n = std::min<qint64>(octets.size(), Protocole::LongueurBloc - dansBloc_);
            flux += n;
            dansBloc_ = (dansBloc_ + n) % Protocole::LongueurBloc;
            octets = octets.sliced(n);
            continue;
        }
        const qsizetype fin = octets.indexOf('\n');
        ligne_.append(octets.first(fin < 0 ? octets.size() : fin + 1));
        octets = fin < 0 ? QByteArrayView() : octets.sliced(fin + 1);
        if (ligne_.size() > Protocole::LongueurRapportMax) {
            fautif_ = true;
        } else if (fin >= 0) {
            rapport_ = Rapport::lit(ligne_);
            fautif_ = !rapport_;
        }
    }
    return flux;
}
