#include "historique/Historique.h"
#include "historique/SuiviMesure.h"

#include <QTemporaryDir>
#include <QtTest>

// Which seconds a measurement keeps, and which measurements are stored.
class TestSuiviMesure : public QObject
{
    Q_OBJECT

    QTemporaryDir dossier;

private slots:
    void initTestCase() { QVERIFY(dossier.isValid()); }

    // Shorter than three seconds: kept as the last measurement, not stored.
    void tropCourte()
    {
        Historique h(dossier.filePath(QStringLiteral("courte.sqlite")));
        SuiviMesure suivi(&h);
        suivi.commence(QStringLiteral("10.44.0.2"), QStringLiteral("10.44.0.1"));
        suivi.octets(5);
        suivi.termine();
        QVERIFY(suivi.mesure().existe());
        QVERIFY(h.fiches().isEmpty());
    }

    // While it runs, the measurement is written at every checkpoint, marked
    // unfinished; its end rewrites the same row.
    void pointsDeControle()
    {
        Historique h(dossier.filePath(QStringLiteral("points.sqlite")));
        SuiviMesure suivi(&h, nullptr, 50);
        QSignalSpy ecritures(&h, &Historique::change);
        suivi.commence(QStringLiteral("10.44.0.2"), QStringLiteral("10.44.0.1"));
        suivi.octets(2000);
        QVERIFY(ecritures.wait(5000));
        QCOMPARE(h.fiches().size(), 1);
        QVERIFY(h.fiches().front().inachevee);
        QCOMPARE(h.fiches().front().total, qint64(2000));
        QVERIFY(ecritures.wait(5000)); // and again at the next checkpoint
        QCOMPARE(h.fiches().size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(suivi.mesure().resume().dureeMs() >= SuiviMesure::DureeMinimaleMs, 10000);
        suivi.termine();
        const int n = int(ecritures.size());
        QVERIFY(!ecritures.wait(200)); // no checkpoint after the end
        QCOMPARE(ecritures.size(), n);
        QCOMPARE(h.fiches().size(), 1);
        QVERIFY(!h.fiches().front().inachevee);
    }
};

QTEST_MAIN(TestSuiviMesure)
#include "tst_suivimesure.moc"
