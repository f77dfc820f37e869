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

    // The first tick after the connection closes a second that began before
    // it: its bytes count in the total but it is not a complete second.
    void secondesCompletes()
    {
        SuiviMesure suivi(nullptr);
        QSignalSpy changes(&suivi, &SuiviMesure::change);
        suivi.seconde(7); // before any measurement: nothing
        QVERIFY(!suivi.mesure().existe());
        suivi.commence(QStringLiteral("10.44.0.2"), QStringLiteral("10.44.0.1"));
        suivi.octets(300);
        suivi.seconde(400); // the gauge's sample holds the 100 of the start
        suivi.octets(1000);
        suivi.seconde(1000);
        suivi.octets(20);
        suivi.seconde(1000.5);
        suivi.termine();
        QCOMPARE(suivi.mesure().secondes(), std::vector<qint64>({1000, 1000}));
        QCOMPARE(suivi.mesure().total(), qint64(1320));
        QVERIFY(!suivi.mesure().enCours());
        QCOMPARE(changes.size(), 5);
        // Ended once only.
        suivi.termine();
        suivi.octets(5);
        QCOMPARE(changes.size(), 5);
        QCOMPARE(suivi.mesure().total(), qint64(1320));
    }

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
};

QTEST_MAIN(TestSuiviMesure)
#include "tst_suivimesure.moc"
