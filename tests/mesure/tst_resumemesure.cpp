#include "mesure/Mesure.h"
#include "mesure/ResumeMesure.h"

#include <QTest>

#include <limits>

class TestResumeMesure : public QObject
{
    Q_OBJECT

private slots:
    void figures_data();
    void figures();
    void mesureEnCoursPuisTerminee();
    void mesureBornee();
    void latence_data();
    void latence();
};

using Secondes = std::vector<qint64>;
Q_DECLARE_METATYPE(Secondes)

void TestResumeMesure::figures_data()
{
    QTest::addColumn<Secondes>("secondes");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("dureeMs");
    QTest::addColumn<double>("moyenne");
    QTest::addColumn<qint64>("minimum");
    QTest::addColumn<double>("mediane");
    QTest::addColumn<qint64>("centile90");
    QTest::addColumn<qint64>("maximum");

    QTest::newRow("nothing received") << Secondes{} << qint64(0) << qint64(0) << 0.0 << qint64(0) << 0.0
                                      << qint64(0) << qint64(0);
    QTest::newRow("less than a second") << Secondes{} << qint64(500) << qint64(250) << 2000.0 << qint64(0)
                                        << 0.0 << qint64(0) << qint64(0);
    QTest::newRow("one second") << Secondes{7} << qint64(7) << qint64(1000) << 7.0 << qint64(7) << 7.0 << qint64(7)
                                << qint64(7);
    // The mean counts the cut last second's bytes and time, not the mean of
    // the complete seconds (which would be 20).
    QTest::newRow("cut last second") << Secondes{10, 30} << qint64(45) << qint64(2500) << 18.0 << qint64(10)
                                     << 20.0 << qint64(30) << qint64(30);
    QTest::newRow("odd count, unsorted") << Secondes{5, 1, 9} << qint64(15) << qint64(3000) << 5.0 << qint64(1)
                                         << 5.0 << qint64(9) << qint64(9);
    // Ten seconds: the 90th percentile is the ninth smallest.
    QTest::newRow("ten seconds") << Secondes{10, 20, 30, 40, 50, 60, 70, 80, 90, 100} << qint64(550)
                                 << qint64(10000) << 55.0 << qint64(10) << 55.0 << qint64(90) << qint64(100);
    QTest::newRow("eleven seconds") << Secondes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11} << qint64(66) << qint64(11000)
                                    << 6.0 << qint64(1) << 6.0 << qint64(10) << qint64(11);
    // Beyond 32 bits per second, and a total beyond 2^53 / 1000.
    QTest::newRow("fast link") << Secondes{6000000000, 5000000000} << qint64(11000000000) << qint64(2000)
                               << 5.5e9 << qint64(5000000000) << 5.5e9 << qint64(6000000000) << qint64(6000000000);
}

void TestResumeMesure::figures()
{
    QFETCH(Secondes, secondes);
    QFETCH(qint64, total);
    QFETCH(qint64, dureeMs);
    const QDateTime debut(QDate(2026, 12, 7), QTime(23, 59, 59, 500));
    const ResumeMesure r(secondes, total, debut, debut.addMSecs(dureeMs));

    QCOMPARE(r.dureeMs(), dureeMs);
    QCOMPARE(r.total(), total);
    QCOMPARE(r.secondesCompletes(), int(secondes.size()));
    QTEST(r.moyenne(), "moyenne");
    QTEST(r.minimum(), "minimum");
    QTEST(r.mediane(), "mediane");
    QTEST(r.centile90(), "centile90");
    QTEST(r.maximum(), "maximum");
}

void TestResumeMesure::mesureEnCoursPuisTerminee()
{
    const QDateTime debut(QDate(2026, 12, 7), QTime(10, 0));
    Mesure m(QStringLiteral("10.45.0.2"), QStringLiteral("10.45.0.1"), debut);
    m.ajouteOctets(300);
    m.ajouteSeconde(300);
    m.ajouteOctets(100);
    QVERIFY(m.enCours());
    QCOMPARE(m.resume(debut.addSecs(2)).moyenne(), 200.0);

    m.termine(debut.addSecs(4));
    m.termine(debut.addSecs(8));
    QVERIFY(!m.enCours());
    const ResumeMesure r = m.resume(debut.addSecs(100));
    QCOMPARE(r.dureeMs(), qint64(4000));
    QCOMPARE(r.total(), qint64(400));
    QCOMPARE(r.maximum(), qint64(300));
}

void TestResumeMesure::mesureBornee()
{
    Mesure m(QString(), QString(), QDateTime::currentDateTime());
    for (size_t i = 0; i < Mesure::SecondesMax + 2; ++i)
        m.ajouteSeconde(qint64(i));
    QCOMPARE(m.secondes().size(), Mesure::SecondesMax);
    QCOMPARE(m.secondes().front(), qint64(2));
    QCOMPARE(m.secondes().back(), qint64(Mesure::SecondesMax + 1));
}

QTEST_APPLESS_MAIN(TestResumeMesure)
#include "tst_resumemesure.moc"

// At rest: the smallest round trip of any second; under load: the median of
// the smoothed ones; the grade of the increase at each boundary.
void TestResumeMesure::latence_data()
{
    QTest::addColumn<std::vector<qint64>>("rtt");
    QTest::addColumn<qint64>("charge");
    QTest::addColumn<QString>("note");
    QTest::newRow("unknown") << std::vector<qint64>{} << qint64(0) << QString();
    QTest::newRow("A+, 4,9 ms more") << std::vector<qint64>{5000, 5100, 9000} << qint64(5100) << QStringLiteral("A+");
    QTest::newRow("A, 5 ms more") << std::vector<qint64>{5300, 5100} << qint64(5200) << QStringLiteral("A");
    QTest::newRow("B, 30 ms more") << std::vector<qint64>{30200} << qint64(30200) << QStringLiteral("B");
    QTest::newRow("C") << std::vector<qint64>{60200} << qint64(60200) << QStringLiteral("C");
    QTest::newRow("D") << std::vector<qint64>{200200} << qint64(200200) << QStringLiteral("D");
    QTest::newRow("F, 400 ms more") << std::vector<qint64>{400200} << qint64(400200) << QStringLiteral("F");
    // A history file's damaged row: a view beyond TCP's bounds is no figure,
    // and no sum of figures overflows.
    constexpr qint64 Max = std::numeric_limits<qint64>::max();
    QTest::newRow("beyond bounds only") << std::vector<qint64>{Max, Max} << qint64(0) << QString();
    QTest::newRow("beyond bounds among others") << std::vector<qint64>{5000, Max, 5100} << qint64(5050)
                                                << QStringLiteral("A+");
}

void TestResumeMesure::latence()
{
    QFETCH(std::vector<qint64>, rtt);
    QFETCH(qint64, charge);
    QFETCH(QString, note);
    std::vector<VueTcp> vues;
    for (size_t i = 0; i < rtt.size(); ++i)
        vues.push_back({rtt[i], 0, i == 0 ? 200 : 300, 0, 0});
    const ResumeMesure r({}, 0, QDateTime(), QDateTime(), vues);
    QCOMPARE(r.latenceChargeUs(), charge);
    QCOMPARE(r.latenceReposUs(), charge == 0 ? 0 : 200);
    QCOMPARE(r.noteLatence(), note);
}
