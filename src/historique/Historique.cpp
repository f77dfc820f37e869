#include "historique/Historique.h"

#include "outils/Bornes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
#include <QtEndian>

namespace {

QSqlDatabase base(const QString &connexion)
{
    return QSqlDatabase::database(connexion, false);
}

// SQLITE_BUSY and SQLITE_LOCKED (in the low byte of an extended code):
// another copy holds the file for now. Any other refusal of a write
// (SQLITE_READONLY, SQLITE_CANTOPEN for the journal, SQLITE_IOERR,
// SQLITE_PERM, a full disk...) will not pass by itself.
bool estVerrou(const QSqlError &e)
{
    const int code = e.nativeErrorCode().toInt() & 0xff;
    return code == 5 || code == 6;
}

QString occupe()
{
    //: Why the history is unavailable, shown after "History unavailable: "
    return QCoreApplication::translate("Historique", "le fichier est occupé par une autre copie du programme ; "
                                                     "nouvel essai dans quelques secondes.");
}

// The seconds as one blob of little-endian 64-bit integers.
QByteArray blobSecondes(const std::vector<qint64> &secondes)
{
    QByteArray blob(qsizetype(secondes.size() * sizeof(qint64)), Qt::Uninitialized);
    for (size_t i = 0; i < secondes.size(); ++i)
        qToLittleEndian<qint64>(secondes[i], blob.data() + i * sizeof(qint64));
    return blob;
}

// The last `max` integers of such a blob, each within [0, borne]; nothing
// when one is not: the blob is damaged. Only those are decoded, so that a
// row of years of seconds loads as fast as a week.
std::optional<std::vector<qint64>> entiersBlob(const QByteArray &blob, size_t max, qint64 borne)
{
    const size_t n = size_t(blob.size()) / sizeof(qint64);
    const size_t debut = n > max ? n - max : 0;
    std::vector<qint64> entiers(n - debut);
    for (size_t i = 0; i < entiers.size(); ++i) {
        const std::optional<qint64> v =
            Bornes::Dans(qFromLittleEndian<qint64>(blob.constData() + (debut + i) * sizeof(qint64)), borne);
        if (!v)
            return std::nullopt;
        entiers[i] = *v;
    }
    return entiers;
}

// TCP's view of each second as one blob of five little-endian 64-bit
// integers a second.
QByteArray blobTcp(const std::vector<VueTcp> &vues)
{
    std::vector<qint64> nombres;
    for (const VueTcp &v : vues)
        nombres.insert(nombres.end(), {v.rttUs, v.rttVarUs, v.rttMinUs, v.retransmissions, v.cwndOctets});
    return blobSecondes(nombres);
}

// TCP's view of the last seconds of such a blob; none when one of them is
// out of bounds.
std::vector<VueTcp> tcpBlob(const QByteArray &blob)
{
    // Whole views only, counted from the end.
    const QByteArray entiers = blob.right(blob.size() - blob.size() % qsizetype(5 * sizeof(qint64)));
    const std::optional<std::vector<qint64>> n = entiersBlob(entiers, 5 * Mesure::SecondesMax, Bornes::Octets);
    std::vector<VueTcp> vues;
    for (size_t i = 0; n && i + 5 <= n->size(); i += 5) {
        const VueTcp v{(*n)[i], (*n)[i + 1], (*n)[i + 2], (*n)[i + 3], (*n)[i + 4]};
        if (!v.valide())
            return {};
        vues.push_back(v);
    }
    return vues;
}

// A figure of a row within [0, borne], 0 (unknown) otherwise.
qint64 figure(const QVariant &v, qint64 borne)
{
    return Bornes::Dans(v.toLongLong(), borne).value_or(0);
}

double figureReelle(const QVariant &v, qint64 borne)
{
    const double d = v.toDouble();
    return d >= 0 && d <= double(borne) ? d : 0.0;
}

// An invalid date when the row's instant is out of bounds.
QDateTime instant(const QVariant &ms)
{
    const std::optional<qint64> v = Bornes::Dans(ms.toLongLong(), Bornes::InstantMs);
    return v ? QDateTime::fromMSecsSinceEpoch(*v) : QDateTime();
}

}

Historique::Historique(const QString &chemin, QObject *parent)
    : QObject(parent)
    , chemin_(chemin)
    , connexion_(QStringLiteral("historique-%1").arg(quintptr(this)))
{
    relance_.setInterval(RelanceMs);
    connect(&relance_, &QTimer::timeout, this, &Historique::relance);
    ouvre();
}

Historique::~Historique()
{
    {
        QSqlDatabase db = base(connexion_);
        db.close();
    }
    QSqlDatabase::removeDatabase(connexion_);
}

QString Historique::CheminParDefaut()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/historique.sqlite");
}

bool Historique::indisponible(const QString &pourquoi)
{
    ouverte_ = false;
    base(connexion_).close();
    dit(pourquoi);
    return false;
}

// Every try that finds the same says nothing: only a change is told.
void Historique::dit(const QString &raison)
{
    if (raison == raison_)
        return;
    raison_ = raison;
    // Qt's messages go to standard error.
    if (raison.isEmpty())
        qInfo("%s", qUtf8Printable(tr("bandepassante : historique de nouveau disponible")));
    else
        //: On standard error; %1 why
        qWarning("%s", qUtf8Printable(tr("bandepassante : historique indisponible : %1").arg(raison)));
    emit disponibiliteChangee();
}

// Why the file cannot be written, as the file system tells; empty when it
// can. The folder comes first: SQLite creates the file there when it is new,
// and its journal at every write.
QString Historique::refusEcriture() const
{
    const QFileInfo fichier(chemin_);
    if (!QFileInfo(fichier.absolutePath()).isWritable())
        return tr("le dossier %1 n'accepte pas l'écriture.").arg(fichier.absolutePath());
    if (fichier.exists() && !fichier.isWritable())
        return tr("le fichier %1 est en lecture seule.").arg(chemin_);
    return {};
}

bool Historique::ouvre()
{
    if (ouverte_)
        return true;
    if (!QDir().mkpath(QFileInfo(chemin_).absolutePath()))
        return indisponible(tr("le dossier %1 ne peut pas être créé.").arg(QFileInfo(chemin_).absolutePath()));
    // Before SQLite: it would open such a file read-only and refuse only the
    // first write, or fail to create a new one with no word of why.
    const QString refus = refusEcriture();
    if (!refus.isEmpty())
        return indisponible(refus);
    QSqlDatabase db = QSqlDatabase::contains(connexion_) ? base(connexion_)
                                                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connexion_);
    if (!db.isValid())
        return indisponible(tr("le pilote SQLite de Qt est absent (paquet libqt6sql6-sqlite)."));
    db.setDatabaseName(chemin_);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(AttenteVerrouMs));
    if (!db.open())
        //: %1 the file, %2 SQLite's reason
        return indisponible(tr("le fichier %1 ne s'ouvre pas : %2").arg(chemin_, db.lastError().text()));

    // A file that is not a database fails here, on its first read.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        if (estVerrou(q.lastError()))
            return indisponible(occupe());
        //: %1 the file, %2 SQLite's reason
        return indisponible(tr("le fichier %1 est endommagé ou n'est pas un historique (%2). Il est laissé tel quel.")
                                .arg(chemin_, q.lastError().text()));
    }
    const int version = q.value(0).toInt();
    if (version > VersionSchema)
        //: %1 the file, %2 the version of its tables, %3 the newest version this program knows
        return indisponible(tr("le fichier %1 vient d'une version plus récente du programme "
                               "(schéma %2, celui-ci connaît le %3). Il est laissé tel quel.")
                                .arg(chemin_, QString::number(version), QString::number(VersionSchema)));
    if (!q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next() || q.value(0).toString() != QLatin1String("ok"))
        //: %1 the file, %2 SQLite's reason
        return indisponible(tr("le fichier %1 est endommagé (%2). Il est laissé tel quel.")
                                .arg(chemin_, q.isValid() ? q.value(0).toString() : q.lastError().text()));
    // A statement left open would keep the table from being rebuilt.
    q.finish();
    if (!(version == 0 ? creeTables() : reconnaitTables(version)))
        return false;
    ouverte_ = true;
    return true;
}

// While measurements wait on an unavailable history, only their writes
// open the file again: it is said available once one has gone in, not as
// soon as a file that may still refuse them opens.
bool Historique::lisible()
{
    if ((!attente_.empty() && !disponible()) || !ouvre())
        return false;
    dit(QString());
    return true;
}

namespace {

// What each version of the tables adds to the one before: its columns, as
// SELECT names them and as ALTER TABLE adds them. Version 1 is the table
// itself.
struct Ajout
{
    const char *nom;
    const char *definition;
};
const std::vector<std::vector<Ajout>> Versions = {
    {},
    {{"sens", "TEXT NOT NULL DEFAULT ''"}, {"test", "INTEGER NOT NULL DEFAULT 0"}},
    {{"lien", "TEXT NOT NULL DEFAULT ''"}, {"signal_dbm", "INTEGER"},
     {"latence_repos_us", "INTEGER NOT NULL DEFAULT 0"}, {"latence_charge_us", "INTEGER NOT NULL DEFAULT 0"},
     {"tcp", "BLOB NOT NULL DEFAULT x''"}},
    {{"appareil", "TEXT NOT NULL DEFAULT ''"}},
};

// The table of this version. A measurement is one direction between two
// ends from an instant: both directions of a simultaneous phase between a
// machine and itself start in the same millisecond.
QString TableMesures(const QString &nom)
{
    return QStringLiteral("CREATE TABLE %1 ("
                          "id INTEGER PRIMARY KEY, "
                          "debut_ms INTEGER NOT NULL, fin_ms INTEGER NOT NULL, "
                          "emetteur TEXT NOT NULL, recepteur TEXT NOT NULL, "
                          "total INTEGER NOT NULL, moyenne REAL NOT NULL, minimum INTEGER NOT NULL, "
                          "mediane REAL NOT NULL, centile90 INTEGER NOT NULL, maximum INTEGER NOT NULL, "
                          "lieu TEXT NOT NULL DEFAULT '', inachevee INTEGER NOT NULL, "
                          "secondes BLOB NOT NULL, "
                          "sens TEXT NOT NULL DEFAULT '', test INTEGER NOT NULL DEFAULT 0, "
                          "lien TEXT NOT NULL DEFAULT '', signal_dbm INTEGER, "
                          "latence_repos_us INTEGER NOT NULL DEFAULT 0, "
                          "latence_charge_us INTEGER NOT NULL DEFAULT 0, tcp BLOB NOT NULL DEFAULT x'', "
                          "appareil TEXT NOT NULL DEFAULT '', "
                          "UNIQUE (debut_ms, emetteur, recepteur, sens))")
        .arg(nom);
}

}

// Another program's database may carry the same user_version: the file must
// hold the table this program reads and writes, with all the columns of its
// version. An older history gains the columns of the versions after it, its
// measurements kept.
bool Historique::reconnaitTables(int version)
{
    QSqlQuery q(base(connexion_));
    QString colonnes = QStringLiteral("id, debut_ms, fin_ms, emetteur, recepteur, total, moyenne, minimum, "
                                      "mediane, centile90, maximum, lieu, inachevee, secondes");
    for (int v = 1; v < version; ++v) {
        for (const Ajout &a : Versions[size_t(v)])
            colonnes += QStringLiteral(", ") + QLatin1String(a.nom);
    }
    if (q.exec(QStringLiteral("SELECT %1 FROM mesures LIMIT 0").arg(colonnes))) {
        if (version == VersionSchema)
            return true;
        return transaction(q, [&] {
            for (int v = version; v < VersionSchema; ++v) {
                for (const Ajout &a : Versions[size_t(v)]) {
                    if (!q.exec(QStringLiteral("ALTER TABLE mesures ADD COLUMN %1 %2")
                                    .arg(QLatin1String(a.nom), QLatin1String(a.definition))))
                        return false;
                }
            }
            // Before version 4 a measurement's key left out its direction:
            // the table is rebuilt with this version's key, its rows kept.
            if (version < 4) {
                for (int v = version; v < VersionSchema; ++v) {
                    for (const Ajout &a : Versions[size_t(v)])
                        colonnes += QStringLiteral(", ") + QLatin1String(a.nom);
                }
                if (!q.exec(TableMesures(QStringLiteral("mesures_neuves"))) ||
                    !q.exec(QStringLiteral("INSERT INTO mesures_neuves (%1) SELECT %1 FROM mesures").arg(colonnes)) ||
                    !q.exec(QStringLiteral("DROP TABLE mesures")) ||
                    !q.exec(QStringLiteral("ALTER TABLE mesures_neuves RENAME TO mesures")))
                    return false;
            }
            return q.exec(QStringLiteral("PRAGMA user_version = %1").arg(VersionSchema));
        });
    }
    if (estVerrou(q.lastError()))
        return indisponible(occupe());
    return indisponible(tr("le fichier %1 n'est pas un historique de BandePassante (table mesures "
                           "absente ou différente). Il est laissé tel quel.")
                            .arg(chemin_));
}

// A file of version 0 is new and empty; anything already in it belongs to
// someone else.
bool Historique::creeTables()
{
    QSqlDatabase db = base(connexion_);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !q.next())
        return indisponible(q.lastError().text());
    if (q.value(0).toInt() != 0)
        return indisponible(tr("le fichier %1 contient déjà d'autres tables. Il est laissé tel quel.")
                                .arg(chemin_));
    const bool ok = transaction(q, [&] {
        return q.exec(TableMesures(QStringLiteral("mesures")))
            && q.exec(QStringLiteral("PRAGMA user_version = %1").arg(VersionSchema));
    });
    // Any other refusal has made the history unavailable already.
    if (!ok && estVerrou(q.lastError()))
        return indisponible(occupe());
    return ok;
}

// Runs `travail`, statements on `q`, in one write transaction, taken at once
// so that a lock held by another copy shows here, and undone whole if a step
// fails. A lock is for the caller to wait for; any other refusal makes the
// history unavailable, and a write that goes in makes it available.
bool Historique::transaction(QSqlQuery &q, const std::function<bool()> &travail)
{
    bool ok = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (ok) {
        ok = travail() && q.exec(QStringLiteral("COMMIT"));
        if (!ok)
            QSqlQuery(base(connexion_)).exec(QStringLiteral("ROLLBACK"));
    }
    if (ok) {
        dit(QString());
    } else if (!estVerrou(q.lastError())) {
        const QString refus = refusEcriture();
        indisponible(!refus.isEmpty() ? refus
                                      //: %1 the file, %2 SQLite's reason
                                      : tr("le fichier %1 ne peut pas être écrit (%2).")
                                            .arg(chemin_, q.lastError().text()));
    }
    return ok;
}

bool Historique::ecrit(const Ecriture &e)
{
    if (!ouvre())
        return false;
    const ResumeMesure r = e.mesure.resume();
    QSqlQuery q(base(connexion_));
    const bool ok = transaction(q, [&] {
        q.prepare(QStringLiteral(
            "INSERT INTO mesures (debut_ms, fin_ms, emetteur, recepteur, total, moyenne, minimum, mediane, "
            "centile90, maximum, inachevee, secondes, sens, test, lien, signal_dbm, latence_repos_us, "
            "latence_charge_us, tcp, lieu, appareil) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
            "?, ?) "
            "ON CONFLICT (debut_ms, emetteur, recepteur, sens) DO UPDATE SET fin_ms = excluded.fin_ms, "
            "total = excluded.total, moyenne = excluded.moyenne, minimum = excluded.minimum, "
            "mediane = excluded.mediane, centile90 = excluded.centile90, maximum = excluded.maximum, "
            "inachevee = excluded.inachevee, secondes = excluded.secondes, lien = excluded.lien, "
            "signal_dbm = excluded.signal_dbm, latence_repos_us = excluded.latence_repos_us, "
            "latence_charge_us = excluded.latence_charge_us, tcp = excluded.tcp"));
        for (const QVariant &v :
             {QVariant(r.debut().toMSecsSinceEpoch()), QVariant(r.fin().toMSecsSinceEpoch()),
              QVariant(e.mesure.emetteur()), QVariant(e.mesure.recepteur()), QVariant(r.total()),
              QVariant(r.moyenne()), QVariant(r.minimum()), QVariant(r.mediane()), QVariant(r.centile90()),
              QVariant(r.maximum()), QVariant(e.inachevee ? 1 : 0), QVariant(blobSecondes(e.mesure.secondes())),
              // A null text would be bound as NULL.
              QVariant(e.mesure.sens().isNull() ? QStringLiteral("") : e.mesure.sens()), QVariant(e.mesure.test()),
              QVariant(e.mesure.texteLienEcrit()),
              e.mesure.signalDbm() ? QVariant(*e.mesure.signalDbm()) : QVariant(QMetaType(QMetaType::Int)),
              QVariant(r.latenceReposUs()), QVariant(r.latenceChargeUs()), QVariant(blobTcp(e.mesure.tcp())),
              QVariant(e.mesure.lieu().isNull() ? QStringLiteral("") : e.mesure.lieu()),
              QVariant(e.mesure.appareil().isNull() ? QStringLiteral("") : e.mesure.appareil())})
            q.addBindValue(v);
        return q.exec();
    });
    if (ok)
        emit change();
    return ok;
}

bool Historique::enregistre(const Mesure &mesure, bool inachevee)
{
    // A newer state of a waiting measurement replaces the waiting one.
    for (auto it = attente_.begin(); it != attente_.end(); ++it) {
        if (it->mesure.debut() == mesure.debut() && it->mesure.emetteur() == mesure.emetteur() &&
            it->mesure.sens() == mesure.sens()) {
            attente_.erase(it);
            break;
        }
    }
    const Ecriture e{mesure, inachevee};
    if (ecrit(e))
        return true;
    attente_.push_back(e);
    size_t secondes = 0;
    for (const Ecriture &a : attente_)
        secondes += a.mesure.secondes().size();
    while (attente_.size() > AttenteMax || secondes > SecondesAttenteMax) {
        secondes -= attente_.front().mesure.secondes().size();
        attente_.erase(attente_.begin());
    }
    relance_.start();
    return false;
}

void Historique::relance()
{
    while (!attente_.empty() && ecrit(attente_.front()))
        attente_.erase(attente_.begin());
    if (attente_.empty())
        relance_.stop();
}

void Historique::ecritAttente(int attenteMs)
{
    if (attente_.empty() || !ouvre())
        return;
    QSqlQuery q(base(connexion_));
    q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(attenteMs));
    relance();
    q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(AttenteVerrouMs));
}

QVector<Historique::Fiche> Historique::fiches()
{
    QVector<Fiche> liste;
    if (!lisible())
        return liste;
    QSqlQuery q(base(connexion_));
    if (!q.exec(QStringLiteral("SELECT id, debut_ms, fin_ms, emetteur, recepteur, lieu, total, moyenne, minimum, "
                               "mediane, centile90, maximum, inachevee, sens, test, lien, signal_dbm, "
                               "latence_repos_us, latence_charge_us, appareil FROM mesures "
                               "ORDER BY debut_ms DESC")))
        return liste;
    while (q.next()) {
        Fiche f;
        f.id = q.value(0).toLongLong();
        f.debut = instant(q.value(1));
        f.fin = instant(q.value(2));
        f.emetteur = q.value(3).toString();
        f.recepteur = q.value(4).toString();
        f.lieu = q.value(5).toString();
        f.total = figure(q.value(6), Bornes::Octets);
        f.moyenne = figureReelle(q.value(7), Bornes::OctetsSeconde);
        f.minimum = figure(q.value(8), Bornes::OctetsSeconde);
        f.mediane = figureReelle(q.value(9), Bornes::OctetsSeconde);
        f.centile90 = figure(q.value(10), Bornes::OctetsSeconde);
        f.maximum = figure(q.value(11), Bornes::OctetsSeconde);
        f.inachevee = q.value(12).toBool();
        f.sens = q.value(13).toString();
        // A test is named by its start.
        f.test = figure(q.value(14), Bornes::InstantMs);
        f.lien = q.value(15).toString();
        // A signal is a few tens of negative dBm.
        const qint64 signal = q.value(16).toLongLong();
        if (!q.value(16).isNull() && signal >= -1000 && signal <= 1000)
            f.signalDbm = int(signal);
        f.latenceReposUs = figure(q.value(17), Bornes::LatenceUs);
        f.latenceChargeUs = figure(q.value(18), Bornes::LatenceUs);
        f.appareil = q.value(19).toString();
        liste.push_back(f);
    }
    return liste;
}

std::optional<Mesure> Historique::charge(qint64 id)
{
    if (!lisible())
        return std::nullopt;
    QSqlQuery q(base(connexion_));
    q.prepare(QStringLiteral(
        "SELECT debut_ms, fin_ms, emetteur, recepteur, total, secondes, sens, test, lien, tcp FROM mesures "
        "WHERE id = ?"));
    q.addBindValue(id);
    if (!q.exec() || !q.next() || !instant(q.value(0)).isValid())
        return std::nullopt;
    Mesure m(q.value(2).toString(), q.value(3).toString(), instant(q.value(0)));
    m.definitSecondes(
        entiersBlob(q.value(5).toByteArray(), Mesure::SecondesMax, Bornes::OctetsSeconde).value_or(std::vector<qint64>()));
    m.ajouteOctets(figure(q.value(4), Bornes::Octets));
    m.definitTest(q.value(6).toString(), figure(q.value(7), Bornes::InstantMs));
    m.definitTexteLien(q.value(8).toString());
    m.definitTcp(tcpBlob(q.value(9).toByteArray()));
    m.termine(instant(q.value(1)));
    return m;
}

bool Historique::changeLieu(qint64 id, const QString &lieu)
{
    if (!ouvre())
        return false;
    QSqlQuery q(base(connexion_));
    const bool ok = transaction(q, [&] {
        // A place names the whole of a complete test.
        q.prepare(QStringLiteral("UPDATE mesures SET lieu = ? WHERE id = ? OR "
                                 "(test != 0 AND test = (SELECT test FROM mesures WHERE id = ?))"));
        q.addBindValue(lieu);
        q.addBindValue(id);
        q.addBindValue(id);
        return q.exec();
    });
    if (ok)
        emit change();
    return ok;
}

bool Historique::supprime(const QVector<qint64> &ids)
{
    if (!ouvre())
        return false;
    QSqlQuery q(base(connexion_));
    const bool ok = transaction(q, [&] {
        q.prepare(QStringLiteral("DELETE FROM mesures WHERE id = ?"));
        for (qint64 id : ids) {
            q.addBindValue(id);
            if (!q.exec())
                return false;
        }
        return true;
    });
    if (ok)
        emit change();
    return ok;
}
