#include "console/Sortie.h"

#include "console/LigneJson.h"
#include "lien/Lien.h"
#include "mesure/ResumeMesure.h"
#include "outils/Formatage.h"
#include "outils/Neutralise.h"

#include <cerrno>
#include <cstring>

namespace {

// Seconds with one decimal and a comma: "10,0 s".
QString secondes(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(',')) +
           QStringLiteral(" s");
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
        diagnostic(QStringLiteral("bandepassante-console : impossible d'écrire sur la sortie standard (%1) : arrêt.")
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
            ligne += QStringLiteral("  rtt %1  retr %2").arg(FormateMs(tcp->rttUs)).arg(tcp->retransmissions);
        if (wifi && lien->signalDbm)
            ligne += QStringLiteral("  signal %1 dBm").arg(*lien->signalDbm);
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
    const QString sens = flux.role == QStringLiteral("emetteur") ? QStringLiteral("envoyés") : QStringLiteral("reçus");
    const struct {
        const char *nom;
        double valeur;
    } lignes[] = {
        {"moyenne    ", r.moyenne()},
        {"minimum    ", double(r.minimum())},
        {"médiane    ", r.mediane()},
        {"90e centile", double(r.centile90())},
        {"maximum    ", double(r.maximum())},
    };
    ecrit((flux.etiquette + QStringLiteral("Résumé (%1) : %2, %3 %4, %5 secondes complètes")
                                .arg(Neutralise(flux.pair), secondes(r.dureeMs()), FormateOctets(double(r.total())), sens)
                                .arg(r.secondesCompletes()))
              .toUtf8());
    for (const auto &l : lignes)
        ecrit((QStringLiteral("  ") + QString::fromUtf8(l.nom) + QStringLiteral("  ") + debits(l.valeur)).toUtf8());
    ecrit((QStringLiteral("  latence      ") + r.texteLatence()).toUtf8());
    ecrit((QStringLiteral("  lien         ") + lien.description()).toUtf8());
}

void Sortie::lien(const Lien &lien)
{
    diagnostic(QStringLiteral("Lien : ") + lien.description() + QLatin1Char('.'));
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
    ecrit((QStringLiteral("Test complet (%1), débits moyens :").arg(qui) +
           (pair.lieu.isEmpty() ? QString() : QStringLiteral(" « %1 »").arg(Neutralise(pair.lieu))))
              .toUtf8());
    const char *const noms[] = {"montant", "descendant", "simultané"};
    const ResumeMesure *phases[] = {montant, descendant, simultaneMontant && simultaneDescendant ? simultaneMontant : nullptr};
    for (int i = 0; i < 3; ++i) {
        QString l = QStringLiteral("  %1").arg(QString::fromUtf8(noms[i]), -12);
        if (!phases[i])
            l += QStringLiteral("non mesuré");
        else if (i < 2)
            l += debits(phases[i]->moyenne());
        else
            l += QStringLiteral("montant ") + debits(simultaneMontant->moyenne()) + QStringLiteral(", descendant ") +
                 debits(simultaneDescendant->moyenne());
        ecrit(l.toUtf8());
    }
    for (int i = 0; i < 3; ++i) {
        if (phases[i])
            ecrit(QStringLiteral("  latence %1 : %2").arg(QString::fromUtf8(noms[i]), phases[i]->texteLatence()).toUtf8());
    }
    ecrit((QStringLiteral("  lien  ") + lien.description()).toUtf8());
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

void Sortie::diagnostic(const QString &texte)
{
    if (muet_)
        return;
    const QByteArray ligne = texte.toUtf8();
    std::fwrite(ligne.constData(), 1, size_t(ligne.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}
