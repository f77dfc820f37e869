#include "historique/ExportMesure.h"

#include "outils/Formatage.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QNetworkInterface>
#include <QSaveFile>

#include <cmath>
#include <functional>
#include <optional>

namespace {

QString Debit(double octetsParSeconde)
{
    return FormateOctets(octetsParSeconde) + QStringLiteral("/s, ") + FormateBits(octetsParSeconde)
        + QStringLiteral("/s");
}

// To the nearest second.
QString Duree(qint64 ms)
{
    const qint64 s = (ms + 500) / 1000;
    if (s < 60)
        return QStringLiteral("%1 s").arg(s);
    if (s < 3600)
        return QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1 h %2 min %3 s")
        .arg(s / 3600)
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

qint64 Entier(double v)
{
    return qint64(std::llround(v));
}

// A latency of a complete test's table: under load, with its grade; at rest
// below.
QString CelluleLatence(const ResumeMesure &p)
{
    if (p.latenceChargeUs() <= 0)
        //: The latency was not measured
        return QCoreApplication::translate("ExportMesure", "inconnue");
    //: %1 the latency under load, %2 its grade (A+ … F), %3 the idle latency
    return QCoreApplication::translate("ExportMesure", "%1 (%2)<br>repos %3")
        .arg(FormateMs(p.latenceChargeUs()), p.noteLatence(), FormateMs(p.latenceReposUs()));
}

}

QString MegabitsDecimaux(double octetsParSeconde)
{
    //: The mean in decimal megabits (10^6 bits) per second, the unit other meters use
    return QCoreApplication::translate("ExportMesure", "soit %1 Mbit/s décimaux")
        .arg(FormateDecimal(octetsParSeconde * 8.0 / 1e6, 1));
}

QString SensLisible(const QString &sens, const QString &emetteur, const QString &recepteur)
{
    // The stored direction, and its words.
    const struct {
        const char *sens;
        const char *mots;
    } sensConnus[] = {
        //: Direction of a measurement: from this machine
        {"montant", QT_TRANSLATE_NOOP("ExportMesure", "montant")},
        //: Direction of a measurement: to this machine
        {"descendant", QT_TRANSLATE_NOOP("ExportMesure", "descendant")},
        //: Direction: the upload of a measurement in both directions at once
        {"simultane-montant", QT_TRANSLATE_NOOP("ExportMesure", "simultané montant")},
        //: Direction: the download of a measurement in both directions at once
        {"simultane-descendant", QT_TRANSLATE_NOOP("ExportMesure", "simultané descendant")},
        //: Direction: an older kind of row, both directions at once counted together
        {"simultane", QT_TRANSLATE_NOOP("ExportMesure", "simultané (somme des deux sens)")},
    };
    for (const auto &c : sensConnus) {
        if (sens == QLatin1String(c.sens))
            return QCoreApplication::translate("ExportMesure", c.mots);
    }
    const QList<QHostAddress> ici = QNetworkInterface::allAddresses();
    if (ici.contains(QHostAddress(recepteur)))
        return QCoreApplication::translate("ExportMesure", "descendant");
    if (ici.contains(QHostAddress(emetteur)))
        return QCoreApplication::translate("ExportMesure", "montant");
    //: Direction of a measurement between two other machines
    return QCoreApplication::translate("ExportMesure", "inconnu");
}

QString SensLisible(const Mesure &mesure)
{
    return SensLisible(mesure.sens(), mesure.emetteur(), mesure.recepteur());
}

QString Extremites(const QString &emetteur, const QString &recepteur)
{
    return QStringLiteral("%1 → %2").arg(emetteur, recepteur);
}

QString Extremites(const Mesure &mesure)
{
    return Extremites(mesure.emetteur(), mesure.recepteur());
}

QString TexteResume(const Mesure &mesure)
{
    if (!mesure.existe())
        return QString();
    const ResumeMesure r = mesure.resume();
    QStringList l;
    l << QCoreApplication::translate("ExportMesure", "Émetteur : %1").arg(mesure.emetteur());
    l << QCoreApplication::translate("ExportMesure", "Récepteur : %1").arg(mesure.recepteur());
    l << QCoreApplication::translate("ExportMesure", "Sens : %1").arg(SensLisible(mesure));
    l << QCoreApplication::translate("ExportMesure", "Début : %1")
             .arg(r.debut().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")));
    l << (mesure.enCours() ? QCoreApplication::translate("ExportMesure", "Durée : %1 (en cours)")
                           : QCoreApplication::translate("ExportMesure", "Durée : %1"))
             .arg(Duree(r.dureeMs()));
    l << QCoreApplication::translate("ExportMesure", "Total reçu : %1 (%2)")
             .arg(FormateOctets(double(r.total())), FormateBits(double(r.total())));
    l << QCoreApplication::translate("ExportMesure", "Moyenne : %1").arg(Debit(r.moyenne()));
    l << QStringLiteral("  %1").arg(MegabitsDecimaux(r.moyenne()));
    l << QCoreApplication::translate("ExportMesure", "Minimum : %1").arg(Debit(double(r.minimum())));
    l << QCoreApplication::translate("ExportMesure", "Médiane : %1").arg(Debit(r.mediane()));
    l << QCoreApplication::translate("ExportMesure", "90e centile : %1").arg(Debit(double(r.centile90())));
    l << QCoreApplication::translate("ExportMesure", "Maximum : %1").arg(Debit(double(r.maximum())));
    if (r.latenceChargeUs() > 0) {
        l << QCoreApplication::translate("ExportMesure", "Latence au repos : %1").arg(FormateMs(r.latenceReposUs()));
        //: %1 the latency under load, %2 how much it adds to the idle latency, %3 its grade (A+ … F)
        l << QCoreApplication::translate("ExportMesure", "Latence en charge : %1 (+%2), note %3")
                 .arg(FormateMs(r.latenceChargeUs()),
                      FormateMs(std::max<qint64>(0, r.latenceChargeUs() - r.latenceReposUs())), r.noteLatence());
    } else {
        l << QCoreApplication::translate("ExportMesure", "Latence : %1").arg(r.texteLatence());
    }
    l << QCoreApplication::translate("ExportMesure", "Lien : %1").arg(mesure.texteLien());
    return l.join(QLatin1Char('\n'));
}

QString TableauTest(const std::vector<Mesure> &phases)
{
    if (phases.empty() || !phases.front().existe())
        return QString();
    std::vector<ResumeMesure> r;
    QString entetes;
    for (const Mesure &m : phases) {
        r.push_back(m.resume());
        entetes += QStringLiteral("<th>%1</th>").arg(SensLisible(m).toHtmlEscaped());
    }
    // Both ways at once: each direction, then their sum, named as such:
    // the sum of the means, and the largest sum of the same second.
    std::optional<ResumeMesure> somme;
    if (phases.size() == 4) {
        //: Heading of the column adding up both directions of the phase "both at once"
        entetes += QStringLiteral("<th>%1</th>")
                       .arg(QCoreApplication::translate("ExportMesure", "simultané,<br>somme"));
        const std::vector<qint64> &a = phases[2].secondes();
        const std::vector<qint64> &b = phases[3].secondes();
        std::vector<qint64> s;
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            s.push_back(a[i] + b[i]);
        somme = ResumeMesure(s, r[2].total() + r[3].total(), r[2].debut(), r[2].fin());
    }
    const auto ligne = [&](const QString &nom, const std::function<double(const ResumeMesure &)> &chiffre) {
        QString l = QStringLiteral("<tr><td>%1</td>").arg(nom);
        const auto cellule = [](double v) {
            return QStringLiteral("<td align=\"right\">&nbsp;&nbsp;%1/s<br>%2/s</td>").arg(FormateBits(v), FormateOctets(v));
        };
        for (const ResumeMesure &p : r)
            l += cellule(chiffre(p));
        if (somme)
            l += cellule(chiffre(*somme));
        return l + QStringLiteral("</tr>");
    };
    //: Row heading of the table of a full test
    QString latence = QStringLiteral("<tr><td>%1</td>").arg(QCoreApplication::translate("ExportMesure", "Latence"));
    for (const ResumeMesure &p : r)
        latence += QStringLiteral("<td align=\"right\">%1</td>").arg(CelluleLatence(p));
    latence += QStringLiteral("</tr>");
    const QDateTime &debut = phases[0].debut();
    //: %1 the receiver's address, %2 the date, %3 the time the test began
    const QString titre = QCoreApplication::translate("ExportMesure", "Test complet avec %1, le %2 à %3")
                              .arg(phases[0].recepteur().toHtmlEscaped(), debut.toString(QStringLiteral("dd/MM/yyyy")),
                                   debut.toString(QStringLiteral("HH:mm")));
    return QStringLiteral("<p>%1</p><table><tr><td></td>%2</tr>").arg(titre, entetes) +
           //: Row heading of the table of a full test
           ligne(QCoreApplication::translate("ExportMesure", "Moyenne"),
                 [](const ResumeMesure &p) { return p.moyenne(); }) +
           //: Row heading of the table of a full test
           ligne(QCoreApplication::translate("ExportMesure", "Maximum"),
                 [](const ResumeMesure &p) { return double(p.maximum()); }) +
           latence + QStringLiteral("</table>");
}

QString HeureIso(const QDateTime &t)
{
    const int decalage = t.offsetFromUtc();
    const int minutes = std::abs(decalage) / 60;
    return t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (decalage < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        + QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString ChampCsv(const QString &champ)
{
    if (!champ.contains(QLatin1Char(',')) && !champ.contains(QLatin1Char('"')) && !champ.contains(QLatin1Char('\n'))
        && !champ.contains(QLatin1Char('\r')))
        return champ;
    QString c = champ;
    c.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + c + QLatin1Char('"');
}

QByteArray CsvMesure(const Mesure &mesure)
{
    QString csv = QStringLiteral("heure,secondes_depuis_debut,octets,bits_par_seconde\r\n");
    const std::vector<qint64> &s = mesure.secondes();
    for (size_t i = 0; i < s.size(); ++i) {
        const qint64 n = qint64(i) + 1;
        csv += QStringLiteral("%1,%2,%3,%4\r\n").arg(HeureIso(mesure.debut().addSecs(n))).arg(n).arg(s[i]).arg(s[i] * 8);
    }
    return csv.toUtf8();
}

QByteArray JsonMesure(const Mesure &mesure)
{
    const ResumeMesure r = mesure.resume();
    QJsonArray secondes;
    for (qint64 s : mesure.secondes())
        secondes.append(double(s));
    QJsonObject o{
        {QStringLiteral("emetteur"), mesure.emetteur()},
        {QStringLiteral("recepteur"), mesure.recepteur()},
        {QStringLiteral("sens"), mesure.sens()},
        {QStringLiteral("debut"), HeureIso(r.debut())},
        {QStringLiteral("fin"), HeureIso(r.fin())},
        {QStringLiteral("duree_ms"), double(r.dureeMs())},
        {QStringLiteral("total_octets"), double(r.total())},
        {QStringLiteral("moyenne_octets_par_seconde"), r.moyenne()},
        {QStringLiteral("minimum_octets_par_seconde"), double(r.minimum())},
        {QStringLiteral("mediane_octets_par_seconde"), r.mediane()},
        {QStringLiteral("centile90_octets_par_seconde"), double(r.centile90())},
        {QStringLiteral("maximum_octets_par_seconde"), double(r.maximum())},
        {QStringLiteral("octets_par_seconde"), secondes},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

QByteArray CsvFiches(const QVector<Historique::Fiche> &fiches)
{
    QString csv = QStringLiteral("debut,fin,lieu,emetteur,recepteur,duree_s,total_octets,moyenne_octets_s,"
                                 "minimum_octets_s,mediane_octets_s,centile90_octets_s,maximum_octets_s,sens\r\n");
    for (const Historique::Fiche &f : fiches)
        csv += QStringList{HeureIso(f.debut),
                           HeureIso(f.fin),
                           ChampCsv(f.lieu),
                           ChampCsv(f.emetteur),
                           ChampCsv(f.recepteur),
                           QString::number(f.debut.secsTo(f.fin)),
                           QString::number(f.total),
                           QString::number(Entier(f.moyenne)),
                           QString::number(f.minimum),
                           QString::number(Entier(f.mediane)),
                           QString::number(f.centile90),
                           QString::number(f.maximum),
                           ChampCsv(f.sens)}
                   .join(QLatin1Char(','))
            + QStringLiteral("\r\n");
    return csv.toUtf8();
}

QString NomFichierMesure(const QDateTime &debut, const QString &extension)
{
    return QStringLiteral("mesure-%1.%2").arg(debut.toString(QStringLiteral("yyyy-MM-dd-HHmmss")), extension);
}

QString EcritFichier(const QString &chemin, const QByteArray &donnees)
{
    QSaveFile f(chemin);
    if (f.open(QIODevice::WriteOnly) && f.write(donnees) == donnees.size() && f.commit())
        return QString();
    //: %1 the file, %2 the system's reason
    return QCoreApplication::translate("ExportMesure", "Impossible d'écrire %1 : %2").arg(chemin, f.errorString());
}

QString EnregistreMesure(const QString &chemin, const Mesure &mesure)
{
    const bool json = chemin.endsWith(QLatin1String(".json"), Qt::CaseInsensitive);
    return EcritFichier(chemin, json ? JsonMesure(mesure) : CsvMesure(mesure));
}
