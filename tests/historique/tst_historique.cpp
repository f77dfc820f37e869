#include "historique/ExportMesure.h"
#include "historique/FenetreHistorique.h"
#include "historique/GraphiqueHistorique.h"
#include "historique/Historique.h"
#include "historique/ImageMesure.h"

#include "SandboxGuard.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/mount.h>

namespace {

// A read-only bind mount over a file or a folder: unlike permissions, it
// binds root too, as the tests run. Made only in the private mount namespace
// of scripts/sandbox, and undone with the object.
struct LectureSeule
{
    QByteArray chemin;
    bool ok = SandboxGuard::whyNotPrivate().isEmpty() && ::mount(chemin, chemin, nullptr, MS_BIND, nullptr) == 0
              && ::mount(nullptr, chemin, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    ~LectureSeule() { ::umount2(chemin, MNT_DETACH); }
};

// Runs `requetes` on the SQLite file `chemin`, as another program would.
bool executeSql(const QString &chemin, const QStringList &requetes)
{
    bool ok = false;
    {
        QSqlDatabase autre = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("autre"));
        autre.setDatabaseName(chemin);
        ok = autre.open();
        QSqlQuery q(autre);
        for (const QString &r : requetes)
            ok = ok && q.exec(r);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("autre"));
    return ok;
}

}

// The history through its whole life, against real SQLite files in a
// temporary folder.
class TestHistorique : public QObject
{
    Q_OBJECT

    QTemporaryDir dossier;

    QString fichier(const QString &nom) const { return dossier.filePath(nom); }

    // A measurement of `n` seconds of `octets` bytes each, begun at `debut`.
    static Mesure mesure(const QString &emetteur, const QDateTime &debut, int n, qint64 octets)
    {
        Mesure m(emetteur, QStringLiteral("10.44.0.1"), debut);
        for (int i = 0; i < n; ++i) {
            m.ajouteSeconde(octets);
            m.ajouteOctets(octets);
        }
        m.termine(debut.addSecs(n));
        return m;
    }

    static QByteArray contenu(const QString &chemin)
    {
        QFile f(chemin);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase() { QVERIFY(dossier.isValid()); }

    void vieEntiere()
    {
        const QDateTime debut(QDate(2026, 12, 7), QTime(10, 0, 0));
        const QString lieu = QStringLiteral("Salon, \"près\" de la fenêtre\nétage 1\r\n") + QString(10000, u'é');
        QVector<qint64> ids;
        {
            Historique h(fichier(QStringLiteral("vie.sqlite")));
            QVERIFY2(h.disponible(), qPrintable(h.raison()));
            QSignalSpy changes(&h, &Historique::change);
            // A checkpoint, then the end of the same measurement: one row.
            Mesure enCours(QStringLiteral("10.44.0.2"), QStringLiteral("10.44.0.1"), debut);
            enCours.ajouteSeconde(5);
            enCours.ajouteOctets(5);
            QVERIFY(h.enregistre(enCours, true));
            QCOMPARE(h.fiches().size(), 1);
            QVERIFY(h.fiches().front().inachevee);
            QVERIFY(h.enregistre(mesure(QStringLiteral("10.44.0.2"), debut, 5, 1000), false));
            QVERIFY(h.enregistre(mesure(QStringLiteral("10.44.0.3"), debut.addSecs(60), 4, 2000), false));
            QCOMPARE(changes.size(), 3);

            const QVector<Historique::Fiche> fiches = h.fiches();
            QCOMPARE(fiches.size(), 2);
            QCOMPARE(fiches[0].emetteur, QStringLiteral("10.44.0.3")); // the newest first
            QCOMPARE(fiches[1].inachevee, false);
            QCOMPARE(fiches[1].total, qint64(5000));
            QCOMPARE(fiches[1].moyenne, 1000.0);
            QCOMPARE(fiches[1].maximum, qint64(1000));
            QCOMPARE(fiches[1].debut, debut);
            for (const Historique::Fiche &f : fiches)
                ids << f.id;
            QVERIFY(h.changeLieu(ids[1], lieu));
        }
        // Reopened by another program run: the Lieu, the figures and the
        // seconds are all there.
        Historique h(fichier(QStringLiteral("vie.sqlite")));
        QVERIFY(h.disponible());
        QVector<Historique::Fiche> fiches = h.fiches();
        QCOMPARE(fiches[1].lieu, lieu);
        // A later write of the same measurement keeps its Lieu.
        QVERIFY(h.enregistre(mesure(QStringLiteral("10.44.0.2"), debut, 5, 1000), false));
        QCOMPARE(h.fiches()[1].lieu, lieu);

        const std::optional<Mesure> m = h.charge(ids[1]);
        QVERIFY(m);
        QCOMPARE(m->secondes(), std::vector<qint64>(5, 1000));
        QCOMPARE(m->resume().moyenne(), 1000.0);
        QCOMPARE(m->emetteur(), QStringLiteral("10.44.0.2"));
        QVERIFY(!m->enCours());
        QCOMPARE(CsvMesure(*m), CsvMesure(mesure(QStringLiteral("10.44.0.2"), debut, 5, 1000)));

        // Exported: the Lieu comes back whole out of its RFC 4180 quotes.
        const QString csv = QString::fromUtf8(CsvFiches({fiches[1]}));
        const QString debutLigne = QStringLiteral("\r\n%1,%2,").arg(HeureIso(debut), HeureIso(debut.addSecs(5)));
        const qsizetype i = csv.indexOf(debutLigne);
        QVERIFY(i > 0);
        QString champ = csv.mid(i + debutLigne.size());
        QVERIFY(champ.startsWith(u'"'));
        champ = champ.mid(1, champ.indexOf(QLatin1String("\",10.44.0.2,")) - 1);
        QCOMPARE(champ.replace(QLatin1String("\"\""), QLatin1String("\"")), lieu);

        QVERIFY(h.supprime({ids[0], ids[1]}));
        QVERIFY(h.fiches().isEmpty());
        QVERIFY(!h.charge(ids[1]));
    }

    // Another copy holds the file: the write waits, is kept, and goes in as
    // soon as the file is free again.
    void baseVerrouillee()
    {
        const QString chemin = fichier(QStringLiteral("verrou.sqlite"));
        Historique h(chemin);
        QVERIFY(h.disponible());
        {
            QSqlDatabase autre = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("autre"));
            autre.setDatabaseName(chemin);
            QVERIFY(autre.open());
            QSqlQuery q(autre);
            QVERIFY(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));

            const Mesure m = mesure(QStringLiteral("10.44.0.2"), QDateTime::currentDateTime(), 3, 10);
            QVERIFY(!h.enregistre(m, false));
            QCOMPARE(h.enAttente(), 1);
            // Written again while still locked: still one waiting.
            QVERIFY(!h.enregistre(m, false));
            QCOMPARE(h.enAttente(), 1);
            QVERIFY(!h.changeLieu(1, QStringLiteral("x")));

            QVERIFY(q.exec(QStringLiteral("COMMIT")));
            autre.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("autre"));
        QTRY_COMPARE_WITH_TIMEOUT(h.enAttente(), 0, 10000);
        QCOMPARE(h.fiches().size(), 1);
    }

    void fichierIllisible_data()
    {
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<QString>("mot");
        QTest::newRow("not a database") << QByteArray("Ceci n'est pas une base.\n").repeated(300)
                                        << QStringLiteral("endommagé");
        // The header of an SQLite file, and garbage where its pages belong.
        QTest::newRow("damaged") << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\xff')
                                 << QStringLiteral("endommagé");
    }

    // A damaged file is left as it was; measurements wait in memory.
    void fichierIllisible()
    {
        QFETCH(QByteArray, contenu);
        QFETCH(QString, mot);
        const QString chemin = fichier(QStringLiteral("illisible-%1.sqlite").arg(QTest::currentDataTag()).replace(u' ', u'-'));
        {
            QFile f(chemin);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contenu);
        }
        Historique h(chemin);
        QVERIFY(!h.disponible());
        QVERIFY2(h.raison().contains(mot), qPrintable(h.raison()));
        QVERIFY(!h.enregistre(mesure(QStringLiteral("10.44.0.2"), QDateTime::currentDateTime(), 3, 1), false));
        QCOMPARE(h.enAttente(), 1);
        QVERIFY(h.fiches().isEmpty());
        QCOMPARE(TestHistorique::contenu(chemin), contenu);
        // The history window says so, and why.
        const FenetreHistorique fenetre(&h);
        QVERIFY(fenetre.etat().startsWith(QStringLiteral("Historique indisponible : ")));
        QVERIFY(fenetre.etat().contains(chemin));
    }

    // A history written by an earlier version is brought to this one, its
    // measurements kept, the new columns empty.
    void versionPrecedente_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("first version") << 1;
        QTest::newRow("the version before this one") << 2;
    }

    void versionPrecedente()
    {
        QFETCH(int, version);
        const QString chemin = fichier(QStringLiteral("version%1.sqlite").arg(version));
        QVERIFY(executeSql(chemin, {QStringLiteral(
            "CREATE TABLE mesures (id INTEGER PRIMARY KEY, debut_ms INTEGER NOT NULL, fin_ms INTEGER NOT NULL, "
            "emetteur TEXT NOT NULL, recepteur TEXT NOT NULL, total INTEGER NOT NULL, moyenne REAL NOT NULL, "
            "minimum INTEGER NOT NULL, mediane REAL NOT NULL, centile90 INTEGER NOT NULL, maximum INTEGER NOT NULL, "
            "lieu TEXT NOT NULL DEFAULT '', inachevee INTEGER NOT NULL, secondes BLOB NOT NULL, %1"
            "UNIQUE (debut_ms, emetteur, recepteur))")
                                       .arg(version == 2 ? QStringLiteral("sens TEXT NOT NULL DEFAULT '', test INTEGER "
                                                                          "NOT NULL DEFAULT 0, ")
                                                         : QString()),
            QStringLiteral("INSERT INTO mesures (id, debut_ms, fin_ms, emetteur, recepteur, total, moyenne, minimum, "
                           "mediane, centile90, maximum, lieu, inachevee, secondes) VALUES (1, 0, 5000, "
                           "'10.44.0.2', '', 50, 10, 10, 10, 10, 10, 'cave', 0, x'')"),
            QStringLiteral("PRAGMA user_version = %1").arg(version)}));
        Historique h(chemin);
        QVERIFY2(h.disponible(), qPrintable(h.raison()));
        QCOMPARE(h.fiches().size(), 1);
        const Historique::Fiche f = h.fiches().front();
        QVERIFY(f.lieu == QStringLiteral("cave") && f.sens.isEmpty() && f.lien.isEmpty() && !f.signalDbm &&
                f.latenceChargeUs == 0);
        // Both directions of a simultaneous phase between a machine and
        // itself start in the same millisecond: two measurements.
        const QDateTime debut = QDateTime::currentDateTime();
        for (const char *sens : {"simultane-montant", "simultane-descendant"}) {
            Mesure m = mesure(QStringLiteral("10.44.0.1"), debut, 3, 1);
            m.definitTest(QString::fromLatin1(sens), 1);
            QVERIFY(h.enregistre(m, false));
        }
        QCOMPARE(h.fiches().size(), 3);
    }

    // Rows no copy of the program writes: figures at the ends of 64 bits, a
    // blob of TCP's views beyond its bounds, seconds that are negative, and
    // ten million seconds. The history opens, lists, draws and pictures them
    // without overflowing, believing none of the impossible figures, and the
    // long row keeps its last week.
    void figuresExtremes()
    {
        const QString chemin = fichier(QStringLiteral("extremes.sqlite"));
        {
            Historique h(chemin);
            QVERIFY(h.enregistre(mesure(QStringLiteral("10.44.0.2"), QDateTime::currentDateTime(), 3, 10), false));
        }
        const QString max = QStringLiteral("9223372036854775807");
        const QString min = QStringLiteral("-9223372036854775808");
        const QString colonnes = QStringLiteral("INSERT INTO mesures (debut_ms, fin_ms, emetteur, recepteur, total, "
                                                "moyenne, minimum, mediane, centile90, maximum, inachevee, secondes, "
                                                "latence_repos_us, latence_charge_us, tcp, test) VALUES ");
        QVERIFY(executeSql(
            chemin, {colonnes + QStringLiteral("(1000, %1, 'a', '', %2, 1e300, %2, -1e300, %1, %1, 0, "
                                               "x'ffffffffffffff7f', %2, %1, x'%3', %1)")
                                    .arg(max, min, QStringLiteral("ffffffffffffff7f").repeated(10)),
                     colonnes + QStringLiteral("(%1, %2, 'b', '', 0, 0, 0, 0, 0, 0, 0, x'0100000000000000', 0, 0, "
                                               "x'', %1)")
                                    .arg(min, max),
                     colonnes + QStringLiteral("(3000, 10000003000, 'c', '', 0, 0, 0, 0, 0, 0, 0, "
                                               "zeroblob(80000000), 0, 0, x'', 0)")}));
        Historique h(chemin);
        const QVector<Historique::Fiche> fiches = h.fiches();
        QCOMPARE(fiches.size(), 4);
        for (const Historique::Fiche &f : fiches) {
            if (f.emetteur != QLatin1String("a"))
                continue;
            QVERIFY(f.total == 0 && f.moyenne == 0 && f.maximum == 0 && f.latenceReposUs == 0 &&
                    f.latenceChargeUs == 0 && f.test == 0);
            const std::optional<Mesure> m = h.charge(f.id);
            QVERIFY(m && m->secondes().empty() && m->tcp().empty() && m->resume().texteLatence() == "inconnue");
            QVERIFY(!ImageMesure(*m).isNull());
        }
        FenetreHistorique fenetre(&h);
        fenetre.show();
        // Every row drawn at once, the long one in its last week.
        fenetre.findChild<QTableWidget *>()->selectAll();
        const GraphiqueHistorique *graphique = fenetre.findChild<GraphiqueHistorique *>();
        QCOMPARE(graphique->courbes().size(), 3);
        size_t plusLongue = 0;
        for (const GraphiqueHistorique::Courbe &c : graphique->courbes())
            plusLongue = std::max(plusLongue, c.secondes.size());
        QCOMPARE(plusLongue, Mesure::SecondesMax);
        QVERIFY(!fenetre.grab().isNull());
    }

    void versionPlusRecente()
    {
        const QString chemin = fichier(QStringLiteral("recente.sqlite"));
        QVERIFY(executeSql(chemin, {QStringLiteral("CREATE TABLE mesures (x)"),
                                    QStringLiteral("PRAGMA user_version = %1").arg(Historique::VersionSchema + 1)}));
        const QByteArray avant = contenu(chemin);
        Historique h(chemin);
        QVERIFY(!h.disponible());
        QVERIFY2(h.raison().contains(QStringLiteral("plus récente")), qPrintable(h.raison()));
        QVERIFY(!h.enregistre(mesure(QStringLiteral("10.44.0.2"), QDateTime::currentDateTime(), 3, 1), false));
        QCOMPARE(contenu(chemin), avant);
    }

    void ecritureRefusee_data()
    {
        // The statements that make the file first: another program's tables
        // and user_version, or nothing (an empty file, taken as a new
        // history); no file at all when the whole folder is read-only.
        QTest::addColumn<QStringList>("sql");
        // What a read-only mount covers: "fichier", "dossier", "dossier
        // ouvert" (once the history has opened) or nothing.
        QTest::addColumn<QString>("fige");
        QTest::addColumn<QString>("mots");
        const QString version1 = QStringLiteral("PRAGMA user_version = 1");
        QTest::newRow("fichier en lecture seule") << QStringList() << "fichier" << "est en lecture seule";
        QTest::newRow("dossier en lecture seule") << QStringList() << "dossier" << "n'accepte pas l'écriture";
        QTest::newRow("dossier fermé en cours") << QStringList() << "dossier ouvert" << "n'accepte pas l'écriture";
        QTest::newRow("autre base") << QStringList{"CREATE TABLE clients (nom TEXT)", version1} << QString()
                                    << "n'est pas un historique";
        QTest::newRow("autre table mesures") << QStringList{"CREATE TABLE mesures (x)", version1} << QString()
                                             << "n'est pas un historique";
    }

    // The window and standard error say why, once however many tries; the
    // measurement waits and goes in when the file takes writes again. A file
    // that is not a history is left as it was, and the waiting list bounded.
    void ecritureRefusee()
    {
        QFETCH(QStringList, sql);
        QFETCH(QString, fige);
        QFETCH(QString, mots);
        const QString dossierCas = fichier(QString::fromUtf8(QTest::currentDataTag()));
        const QString chemin = dossierCas + QStringLiteral("/historique.sqlite");
        QVERIFY(QDir().mkpath(dossierCas));
        if (fige != QLatin1String("dossier"))
            QVERIFY(executeSql(chemin, sql));
        const QByteArray avant = contenu(chemin);
        QTest::failOnWarning(QRegularExpression(QStringLiteral("historique")));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^bandepassante : historique indisponible : .*") + mots));
        const QByteArray cible = QFile::encodeName(fige == QLatin1String("fichier") ? chemin : dossierCas);
        std::unique_ptr<LectureSeule> fermeture;
        const auto ferme = [&] { fermeture.reset(new LectureSeule{cible}); };
        if (fige == QLatin1String("fichier") || fige == QLatin1String("dossier"))
            ferme();
        Historique h(chemin);
        const FenetreHistorique fenetre(&h);
        if (fige == QLatin1String("dossier ouvert"))
            ferme();
        if (fermeture && !fermeture->ok)
            QSKIP("a read-only mount needs the private mount namespace of scripts/sandbox");

        const QDateTime debut = QDateTime::currentDateTime();
        QVERIFY(!h.enregistre(mesure(QStringLiteral("10.44.0.2"), debut, 3, 10), false));
        h.ecritAttente(0); // one more try: nothing more is said
        QVERIFY2(!h.disponible() && h.raison().contains(mots), qPrintable(h.raison()));
        QTRY_VERIFY(fenetre.etat().contains(h.raison()));
        if (!fermeture) {
            for (size_t i = 1; i <= Historique::AttenteMax; ++i)
                h.enregistre(mesure(QStringLiteral("10.44.0.2"), debut.addSecs(qint64(i)), 3, 10), false);
            QCOMPARE(size_t(h.enAttente()), Historique::AttenteMax);
            QCOMPARE(contenu(chemin), avant);
            return;
        }
        QTest::ignoreMessage(QtInfoMsg, "bandepassante : historique de nouveau disponible");
        fermeture.reset();
        QTRY_COMPARE_WITH_TIMEOUT(h.enAttente(), 0, 10000);
        QTRY_VERIFY(fenetre.etat().isEmpty());
        QCOMPARE(h.fiches().size(), 1);
    }
};

QTEST_MAIN(TestHistorique)
#include "tst_historique.moc"
