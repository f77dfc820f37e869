#include "console/Sortie.h"

#include "console/LigneJson.h"
#include "lien/Lien.h"
#include "mesure/ResumeMesure.h"
#include "outils/Formatage.h"
#include "outils/Neutralise.h"
#include "session/TestComplet.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// Seconds with one decimal: "10,0 s".
QString secondes(qint64 ms)
{
    return FormateDecimal(double(ms) / 1000.0, 1) + QStringLiteral(" s");
}

struct Ligne
{
    QString nom;
    QString valeur;
};

// The rows of a summary, "  nom  valeur", the values in one column.
QStringList tableau(const std::vector<Ligne> &lignes)
{
    qsizetype largeur = 0;
    for (const Ligne &l : lignes)
        largeur = std::max(largeur, l.nom.size());
    QStringList texte;
    for (const Ligne &l : lignes)
        texte << QStringLiteral("  ") + l.nom.leftJustified(largeur) + QStringLiteral("  ") + l.valeur;
    return texte;
}

QString instant(const QDateTime &t)
{
    return t.toUTC().toString(Qt::ISODateWithMs);
}

}

Sortie::Sortie(bool json, std::FILE *sortie)
    : json_(json)
    , sortie_(sortie)
{
}

void Sortie::ecrit(const QByteArray &ligne)
{
    if (enEchec_)
        return;
    errno = 0;
    if (std::fwrite(ligne.constData(), 1, size_t(ligne.size()), sortie_) == size_t(ligne.size()) &&
        std::fputc('\n', sortie_) != EOF && std::fflush(sortie_) == 0)
        return;
    enEchec_ = true;
    echec(errno);
    if (siEchec_)
        siEchec_();
}

void Sortie::echec(int numero)
{
    if (muet_)
        return;
    if (numero != EPIPE)
        erreur(tr("impossible d'écrire sur la sortie standard (%1) : arrêt")
                   .arg(QString::fromLocal8Bit(std::strerror(numero))));
    muet_ = true;
}

bool Sortie::Confirme(std::FILE *f)
{
    errno = 0;
    if (std::fflush(f) == 0 && !std::ferror(f))
        return true;
    echec(errno);
    return false;
}

QString Sortie::debits(double octetsParSeconde)
{
    return FormateOctets(octetsParSeconde) + QStringLiteral("/s  ") + FormateBits(octetsParSeconde) +
           QStringLiteral("/s");
}

namespace {

LigneJson chiffres(LigneJson ligne, const ResumeMesure &r)
{
    ligne.ajoute("debut", instant(r.debut()))
        .ajoute("fin", instant(r.fin()))
        .ajoute("duree_ms", r.dureeMs())
        .ajoute("octets", r.total())
        .ajoute("secondes", r.secondesCompletes())
        .ajoute("moyenne", r.moyenne())
        .ajoute("minimum", r.minimum())
        .ajoute("mediane", r.mediane())
        .ajoute("centile90", r.centile90())
        .ajoute("maximum", r.maximum());
    if (r.latenceChargeUs() > 0)
        ligne.ajoute("latence_repos_us", r.latenceReposUs())
            .ajoute("latence_charge_us", r.latenceChargeUs())
            .ajoute("note_latence", r.noteLatence());
    return ligne;
}

// Only the figures the system gave.
template<typename T>
void siConnu(LigneJson &l, const char *nom, const std::optional<T> &valeur)
{
    if (valeur)
        l.ajoute(nom, qint64(*valeur));
}

void radio(LigneJson &l, const Lien &lien)
{
    siConnu(l, "signal_dbm", lien.signalDbm);
    siConnu(l, "debit_emission_kbps", lien.debitEmissionKbps);
    siConnu(l, "mcs_emission", lien.mcsEmission);
    siConnu(l, "flux_emission", lien.fluxEmission);
    siConnu(l, "debit_reception_kbps", lien.debitReceptionKbps);
    siConnu(l, "mcs_reception", lien.mcsReception);
    siConnu(l, "flux_reception", lien.fluxReception);
}

LigneJson objetLien(const Lien &lien)
{
    LigneJson l;
    l.ajoute("interface", lien.interface).ajoute("type", lien.nomType());
    if (lien.type == Lien::Type::Wifi) {
        l.ajoute("ssid", QString::fromUtf8(lien.ssid)).ajoute("bssid", lien.bssid);
        siConnu(l, "frequence_mhz", lien.frequenceMHz);
        siConnu(l, "canal", lien.canal);
        siConnu(l, "largeur_mhz", lien.largeurMHz);
        radio(l, lien);
    }
    siConnu(l, "vitesse_mbps", lien.vitesseMbps);
    if (lien.duplexIntegral)
        l.ajoute("duplex", *lien.duplexIntegral ? QStringLiteral("integral") : QStringLiteral("semi"));
    if (!lien.genre.isEmpty())
        l.ajoute("genre", lien.genre);
    return l;
}

LigneJson debut(const char *type, const Sortie::Flux &flux)
{
    LigneJson ligne;
    ligne.ajoute("type", QString::fromLatin1(type)).ajoute("role", flux.role).ajoute("pair", flux.pair);
    if (!flux.sens.isEmpty())
        ligne.ajoute("sens", flux.sens);
    return ligne;
}

}

void Sortie::seconde(const Flux &flux, int numero, qint64 octets, const VueTcp *tcp, const Lien *lien)
{
    const bool wifi = lien && lien->type == Lien::Type::Wifi;
    if (!json_) {
        QString ligne = QString::number(numero) + QStringLiteral("  ") + flux.etiquette + debits(double(octets));
        if (tcp)
            //: TCP's round trip and the retransmissions in the second
            ligne += QStringLiteral("  ") + tr("rtt %1  retr %2").arg(FormateMs(tcp->rttUs)).arg(tcp->retransmissions);
        if (wifi && lien->signalDbm)
            //: The Wi-Fi signal
            ligne += QStringLiteral("  ") + tr("signal %1 dBm").arg(*lien->signalDbm);
        ecrit(ligne.toUtf8());
        return;
    }
    LigneJson l = debut("seconde", flux).ajoute("seconde", numero).ajoute("octets", octets).ajoute("bits", octets * 8);
    if (tcp)
        l.ajoute("rtt_us", tcp->rttUs)
            .ajoute("rttvar_us", tcp->rttVarUs)
            .ajoute("rtt_min_us", tcp->rttMinUs)
            .ajoute("retransmissions", tcp->retransmissions)
            .ajoute("cwnd_octets", tcp->cwndOctets);
    if (wifi)
        radio(l, *lien);
    ecrit(l.texte());
}

void Sortie::resume(const Flux &flux, const QString &motif, const ResumeMesure &r, const Lien &lien)
{
    if (json_) {
        ecrit(chiffres(debut("resume", flux).ajoute("motif", motif), r).ajoute("lien", objetLien(lien)).texte());
        return;
    }
    const QString entete =
        flux.role == QStringLiteral("emetteur")
            //: %1 the far end, %2 the duration, %3 the bytes sent; %n the complete seconds
            ? tr("Résumé (%1) : %2, %3 envoyés, %n secondes complètes", nullptr, r.secondesCompletes())
            //: %1 the far end, %2 the duration, %3 the bytes received; %n the complete seconds
            : tr("Résumé (%1) : %2, %3 reçus, %n secondes complètes", nullptr, r.secondesCompletes());
    ecrit((flux.etiquette + entete.arg(Neutralise(flux.pair), secondes(r.dureeMs()), FormateOctets(double(r.total()))))
              .toUtf8());
    const std::vector<Ligne> lignes{
        {tr("moyenne"), debits(r.moyenne())},
        {tr("minimum"), debits(double(r.minimum()))},
        {tr("médiane"), debits(r.mediane())},
        //: The 90th percentile
        {tr("90e centile"), debits(double(r.centile90()))},
        {tr("maximum"), debits(double(r.maximum()))},
        {tr("latence"), r.texteLatence()},
        {tr("lien"), lien.description()},
    };
    for (const QString &l : tableau(lignes))
        ecrit(l.toUtf8());
}

void Sortie::lien(const Lien &lien)
{
    diagnostic(tr("Lien : %1.").arg(lien.description()));
}

QString Sortie::etiquette(bool montant, bool simultane, bool page)
{
    QString etiquette = TestComplet::nomPhase(montant ? TestComplet::Montant : TestComplet::Descendant);
    if (simultane)
        //: A direction (%1) measured in the simultaneous phase
        etiquette = tr("simultané %1").arg(etiquette);
    if (page)
        //: A direction (%1) measured from the measuring page
        etiquette = tr("page %1").arg(etiquette);
    return etiquette + QStringLiteral("  ");
}

void Sortie::test(const Pair &pair, const Lien &lien, const QString &motif, const ResumeMesure *montant,
                  const ResumeMesure *descendant, const ResumeMesure *simultaneMontant,
                  const ResumeMesure *simultaneDescendant)
{
    if (json_) {
        LigneJson l;
        l.ajoute("type", QStringLiteral("test")).ajoute("pair", pair.adresse);
        if (!pair.appareil.isEmpty())
            l.ajoute("appareil", pair.appareil).ajoute("lieu", pair.lieu);
        l.ajoute("motif", motif).ajoute("lien", objetLien(lien));
        if (montant)
            l.ajoute("montant", chiffres({}, *montant));
        if (descendant)
            l.ajoute("descendant", chiffres({}, *descendant));
        if (simultaneMontant && simultaneDescendant)
            l.ajoute("simultane", LigneJson()
                                      .ajoute("montant", chiffres({}, *simultaneMontant))
                                      .ajoute("descendant", chiffres({}, *simultaneDescendant)));
        ecrit(l.texte());
        return;
    }
    const QString qui = pair.appareil.isEmpty() ? Neutralise(pair.adresse)
                                                : QStringLiteral("%1, %2").arg(Neutralise(pair.adresse), pair.appareil);
    ecrit((pair.lieu.isEmpty()
               //: %1 whom the test measured against
               ? tr("Test complet (%1), débits moyens :").arg(qui)
               //: %1 whom the test measured against, %2 the place the page gave
               : tr("Test complet (%1), débits moyens : « %2 »").arg(qui, Neutralise(pair.lieu)))
              .toUtf8());
    const ResumeMesure *phases[] = {montant, descendant, simultaneMontant && simultaneDescendant ? simultaneMontant : nullptr};
    std::vector<Ligne> lignes;
    for (int i = 0; i < TestComplet::NbPhases; ++i) {
        lignes.push_back({TestComplet::nomPhase(TestComplet::Phase(i)),
                          !phases[i] ? tr("non mesuré")
                          : i < 2    ? debits(phases[i]->moyenne())
                                     : tr("montant %1, descendant %2")
                                           .arg(debits(simultaneMontant->moyenne()),
                                                debits(simultaneDescendant->moyenne()))});
    }
    for (const QString &l : tableau(lignes))
        ecrit(l.toUtf8());
    for (int i = 0; i < TestComplet::NbPhases; ++i) {
        if (phases[i])
            //: %1 the phase, %2 its latency
            ecrit((QStringLiteral("  ") + tr("latence %1 : %2").arg(lignes[i].nom, phases[i]->texteLatence())).toUtf8());
    }
    ecrit((QStringLiteral("  ") + tr("lien") + QStringLiteral("  ") + lien.description()).toUtf8());
}

void Sortie::page(const QStringList &adresses)
{
    if (!json_)
        return;
    LigneJson l;
    l.ajoute("type", QStringLiteral("page")).ajoute("url", adresses.value(0));
    ecrit(l.texte());
}

void Sortie::serveur(const QString &adresse, qint64 ms)
{
    if (!json_) {
        ecrit(Neutralise(adresse).toUtf8());
        return;
    }
    ecrit(LigneJson().ajoute("type", QStringLiteral("serveur")).ajoute("adresse", adresse).ajoute("ms", ms).texte());
}

void Sortie::phrase(const QString &raison)
{
    if (!raison.isEmpty())
        diagnostic(raison.at(0).toUpper() + raison.mid(1) + QLatin1Char('.'));
}

void Sortie::erreur(const QString &raison)
{
    diagnostic(tr("bandepassante-console : %1.").arg(raison));
}

void Sortie::diagnostic(const QString &texte)
{
    if (muet_)
        return;
    const QByteArray ligne = texte.toUtf8();
    std::fwrite(ligne.constData(), 1, size_t(ligne.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
