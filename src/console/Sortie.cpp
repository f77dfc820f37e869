#include "console/Sortie.h"

#include "console/LigneJson.h"
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

LigneJson debut(const char *type, const Sortie::Flux &flux)
{
    LigneJson ligne;
    ligne.ajoute("type", QString::fromLatin1(type)).ajoute("role", flux.role).ajoute("pair", flux.pair);
    if (!flux.sens.isEmpty())
        ligne.ajoute("sens", flux.sens);
    return ligne;
}

}

void Sortie::seconde(const Flux &flux, int numero, qint64 octets, const VueTcp *tcp)
{
    if (!json_) {
        QString ligne = QString::number(numero) + QStringLiteral("  ") + flux.etiquette + debits(double(octets));
        if (tcp)
            ligne += QStringLiteral("  rtt %1  retr %2").arg(FormateMs(tcp->rttUs)).arg(tcp->retransmissions);
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
    ecrit(l.texte());
}

void Sortie::resume(const Flux &flux, const QString &motif, const ResumeMesure &r)
{
    if (json_) {
        ecrit(chiffres(debut("resume", flux).ajoute("motif", motif), r).texte());
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
}

void Sortie::test(const QString &pair, const ResumeMesure &montant, const ResumeMesure &descendant,
                  const ResumeMesure &simultaneMontant, const ResumeMesure &simultaneDescendant)
{
    if (json_) {
        ecrit(LigneJson()
                  .ajoute("type", QStringLiteral("test"))
                  .ajoute("pair", pair)
                  .ajoute("montant", chiffres({}, montant))
                  .ajoute("descendant", chiffres({}, descendant))
                  .ajoute("simultane", LigneJson()
                                           .ajoute("montant", chiffres({}, simultaneMontant))
                                           .ajoute("descendant", chiffres({}, simultaneDescendant)))
                  .texte());
        return;
    }
    ecrit(QStringLiteral("Test complet (%1), débits moyens :").arg(Neutralise(pair)).toUtf8());
    ecrit((QStringLiteral("  montant     ") + debits(montant.moyenne())).toUtf8());
    ecrit((QStringLiteral("  descendant  ") + debits(descendant.moyenne())).toUtf8());
    ecrit((QStringLiteral("  simultané   montant ") + debits(simultaneMontant.moyenne()) +
           QStringLiteral(", descendant ") + debits(simultaneDescendant.moyenne()))
              .toUtf8());
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
