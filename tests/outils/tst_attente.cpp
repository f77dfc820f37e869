#include "outils/Arrondi.h"
#include "outils/Attente.h"

#include <QElapsedTimer>
#include <QtTest>

#include <limits>

namespace {

// A clock that moves one second every `pas` readings, from a chosen start.
QDateTime debut;
int lectures = 0;
int pas = 1;
// Ticks of a timer that runs during a wait, and a bound on the wait.
int ticks = 0;
QElapsedTimer garde;

QDateTime horlogeFactice()
{
    return debut.addSecs(lectures++ / pas);
}

}

class TestAttente : public QObject
{
    Q_OBJECT

private slots:
    void duree_data()
    {
        QTest::addColumn<QDateTime>("depart");
        QTest::addColumn<int>("secondes");

        const QDateTime midi(QDate(2026, 3, 1), QTime(12, 0, 0));
        QTest::newRow("1 s") << midi << 1;
        QTest::newRow("3 s") << midi << 3;
        QTest::newRow("across midnight") << QDateTime(QDate(2026, 3, 1), QTime(23, 59, 59)) << 2;
        QTest::newRow("across the hour") << QDateTime(QDate(2026, 3, 1), QTime(8, 59, 58)) << 5;
    }

    void duree()
    {
        QFETCH(QDateTime, depart);
        QFETCH(int, secondes);
        debut = depart;
        lectures = 0;
        pas = 2;
        Attente(qint16(secondes), true, &horlogeFactice);
        // The wait ends at the first reading where the clock shows `secondes`
        // more than at the start: reading 2 * secondes, counting from 0.
        QCOMPARE(lectures, 2 * secondes + 1);
    }

    void zeroOuNegatifRendLaMainSansTraiter_data()
    {
        QTest::addColumn<int>("secondes");
        QTest::newRow("0") << 0;
        QTest::newRow("-3") << -3;
    }

    void zeroOuNegatifRendLaMainSansTraiter()
    {
        QFETCH(int, secondes);
        bool traite = false;
        QObject contexte; // drops the pending event when the test ends
        QTimer::singleShot(0, &contexte, [&traite] { traite = true; });
        Attente(qint16(secondes), false);
        QVERIFY(!traite);
    }

    void cedeAChaquePassage()
    {
        // The clock stands still until a 20 ms timer has ticked three times,
        // so the wait can only end if its passes let the timer run. Should
        // they not, the clock moves on after 10 s of real time and the count
        // of ticks tells.
        ticks = 0;
        QTimer t;
        t.setInterval(20);
        connect(&t, &QTimer::timeout, this, [] { ++ticks; });
        t.start();
        garde.start();
        debut = QDateTime(QDate(2026, 3, 1), QTime(12, 0, 0));
        Attente(1, false, [] { return debut.addSecs(ticks >= 3 || garde.hasExpired(10000) ? 1 : 0); });
        QVERIFY2(ticks >= 3, qPrintable(QString::number(ticks)));
    }

    void plusDUneHeureRecommenceAZero()
    {
        // Only minutes and seconds count: 3600 s after the start reads as 0.
        // The clock jumps 3600 s at the second reading and then moves one
        // second per reading: a 1 s wait goes on past the jump and ends at
        // the third reading.
        debut = QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0));
        lectures = 0;
        Attente(1, true, [] {
            const int n = lectures++;
            return debut.addSecs(n == 0 ? 0 : 3599 + n);
        });
        QCOMPARE(lectures, 3);
    }

    void arrondi_data()
    {
        QTest::addColumn<double>("v");
        QTest::addColumn<qint64>("attendu64");
        QTest::addColumn<qint32>("attendu32");
        QTest::newRow("12.5") << 12.5 << qint64(12) << 12;
        QTest::newRow("13.5") << 13.5 << qint64(14) << 14;
        QTest::newRow("-2.5") << -2.5 << qint64(-2) << -2;
        QTest::newRow("2^31 bytes") << 2147483648.0 << qint64(2147483648LL) << std::numeric_limits<qint32>::max();
        QTest::newRow("20 GB") << 2e10 << qint64(20000000000LL) << std::numeric_limits<qint32>::max();
        QTest::newRow("huge") << 1e300 << std::numeric_limits<qint64>::max() << std::numeric_limits<qint32>::max();
        QTest::newRow("very negative") << -1e300 << std::numeric_limits<qint64>::min() << std::numeric_limits<qint32>::min();
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << qint64(0) << 0;
    }

    void arrondi()
    {
        QFETCH(double, v);
        QFETCH(qint64, attendu64);
        QFETCH(qint32, attendu32);
        QCOMPARE(ArrondiPair64(v), attendu64);
        QCOMPARE(ArrondiPair32(v), attendu32);
    }
};

QTEST_GUILESS_MAIN(TestAttente)
#include "tst_attente.moc"
