#include "outils/Formatage.h"

#include <QtTest>

#include <cfloat>
#include <cmath>
#include <limits>

class TestFormatage : public QObject
{
    Q_OBJECT

private slots:
    void formate_data()
    {
        QTest::addColumn<double>("octets");
        QTest::addColumn<QString>("enOctets");
        QTest::addColumn<QString>("enBits");

        // Values the panel shows every day.
        QTest::newRow("0") << 0.0 << "0 Octets" << "0 Bits";
        QTest::newRow("127") << 127.0 << "127 Octets" << "1016 Bits";
        QTest::newRow("128") << 128.0 << "128 Octets" << "1,0 Kb";
        QTest::newRow("1023") << 1023.0 << "1023 Octets" << "8,0 Kb";
        QTest::newRow("1024") << 1024.0 << "1,0 Ko" << "8,0 Kb";
        QTest::newRow("1099") << 1099.0 << "1,1 Ko" << "8,6 Kb";
        QTest::newRow("1536") << 1536.0 << "1,5 Ko" << "12,0 Kb";
        QTest::newRow("2047") << 2047.0 << "2,0 Ko" << "16,0 Kb";
        QTest::newRow("65535") << 65535.0 << "64,0 Ko" << "512,0 Kb";
        QTest::newRow("100000: 781,25 Kb, half to even") << 100000.0 << "97,7 Ko" << "781,2 Kb";
        QTest::newRow("1048575: 1024,0 Ko is 1,0 Mo") << 1048575.0 << "1,0 Mo" << "8,0 Mb";
        QTest::newRow("1572864") << 1572864.0 << "1,5 Mo" << "12,0 Mb";
        QTest::newRow("125000000") << 125000000.0 << "119,2 Mo" << "953,7 Mb";
        QTest::newRow("268435456") << 268435456.0 << "256,0 Mo" << "2,0 Gb";
        QTest::newRow("1073741824") << 1073741824.0 << "1,0 Go" << "8,0 Gb";
        QTest::newRow("2147483647") << 2147483647.0 << "2,0 Go" << "16,0 Gb";
        QTest::newRow("10^12") << 1e12 << "931,3 Go" << "7450,6 Gb";
        QTest::newRow("111.1") << 111.1 << "111,1 Octets" << "888,8 Bits";
        QTest::newRow("-5") << -5.0 << "-5 Octets" << "-40 Bits";

        // Boundaries of the units, inclusive at the bottom.
        QTest::newRow("1023.5") << 1023.5 << "1023,5 Octets" << "8,0 Kb";
        QTest::newRow("127.875: 1023 bits") << 127.875 << "127,875 Octets" << "1023 Bits";
        QTest::newRow("1048576") << 1048576.0 << "1,0 Mo" << "8,0 Mb";
        QTest::newRow("1073741823") << 1073741823.0 << "1,0 Go" << "8,0 Gb";
        QTest::newRow("2048") << 2048.0 << "2,0 Ko" << "16,0 Kb";
        // Just above 1023,95 Ko, which rounds up to 1024,0 Ko: that is Mo.
        QTest::newRow("1023,95 Ko") << 1023.95 * 1024 << "1,0 Mo" << "8,0 Mb";
        QTest::newRow("1023,8496 Ko") << 1048422.0 << "1023,8 Ko" << "8,0 Mb";
        QTest::newRow("1023,9 Ko") << 1048473.0 << "1023,9 Ko" << "8,0 Mb";
        QTest::newRow("1023,9 Mo") << 1023.9 * 1048576 << "1023,9 Mo" << "8,0 Gb";
        // Go is the last unit: it never turns into anything larger.
        QTest::newRow("1024 Go") << 1099511627776.0 << "1024,0 Go" << "8192,0 Gb";

        // True tenths, halves to even.
        QTest::newRow("1,25 Ko") << 1280.0 << "1,2 Ko" << "10,0 Kb";
        QTest::newRow("1,75 Ko") << 1792.0 << "1,8 Ko" << "14,0 Kb";
        QTest::newRow("1536.5 bytes") << 1536.5 << "1,5 Ko" << "12,0 Kb";
        QTest::newRow("1,0499 Ko") << 1075.0 << "1,0 Ko" << "8,4 Kb";

        // Fractions and small values of the first row.
        QTest::newRow("0.5") << 0.5 << "0,5 Octets" << "4 Bits";
        QTest::newRow("1") << 1.0 << "1 Octets" << "8 Bits";
        QTest::newRow("100") << 100.0 << "100 Octets" << "800 Bits";
        QTest::newRow("-0") << -0.0 << "0 Octets" << "0 Bits";
        QTest::newRow("-2000 stays general") << -2000.0 << "-2000 Octets" << "-16000 Bits";
        QTest::newRow("0.1 + 0.2, 15 digits") << (0.1 + 0.2) << "0,3 Octets" << "2,4 Bits";
        QTest::newRow("1/3, 15 digits") << 1.0 / 3 << "0,333333333333333 Octets" << "2,66666666666667 Bits";
        QTest::newRow("2.5, no trailing zero") << 2.5 << "2,5 Octets" << "20 Bits";

        // Far beyond 32 bits: still a figure, never the empty text.
        QTest::newRow("2^31 bytes") << 2147483648.0 << "2,0 Go" << "16,0 Gb";
        QTest::newRow("2^53 bytes") << 9007199254740992.0 << "8388608,0 Go" << "67108864,0 Gb";

        // Not numbers of bytes: written as they are rather than as nothing.
        QTest::newRow("inf") << std::numeric_limits<double>::infinity() << "inf Octets" << "inf Bits";
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << "-inf Octets" << "-inf Bits";
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "nan Octets" << "nan Bits";
    }

    void formate()
    {
        QFETCH(double, octets);
        QFETCH(QString, enOctets);
        QFETCH(QString, enBits);
        QCOMPARE(FormateOctets(octets), enOctets);
        QCOMPARE(FormateBits(octets), enBits);
    }

    // The largest doubles neither overflow when made into bits nor lose the
    // figure after the comma.
    void valeursExtremes()
    {
        const QString octets = FormateOctets(DBL_MAX);
        const QString bits = FormateBits(DBL_MAX);
        QVERIFY(octets.endsWith(QLatin1String(",0 Go")));
        QVERIFY(bits.endsWith(QLatin1String(",0 Gb")));
        // DBL_MAX / 2^30 Go has 300 digits before the comma, in Gb one more.
        QCOMPARE(octets.indexOf(QLatin1Char(',')), 300);
        QCOMPARE(bits.indexOf(QLatin1Char(',')), 301);
        QVERIFY(octets.startsWith(QLatin1String("167423219872854")));
        QVERIFY(bits.startsWith(QLatin1String("133938575898283")));

        // 2^60 + 2^8 bytes is 2^30 Go and 2^-22 Go: the tenth is 0, exactly.
        QCOMPARE(FormateOctets(std::ldexp(1.0, 60) + 256), QStringLiteral("1073741824,0 Go"));
        // 2^60 + 3 × 2^26 bytes is 2^30 + 0,1875 Go: 0,2 once rounded.
        QCOMPARE(FormateOctets(std::ldexp(1.0, 60) + 3 * std::ldexp(1.0, 26)), QStringLiteral("1073741824,2 Go"));
        // 2^60 + 2^28 bytes is 2^30 + 0,25 Go: a half, to the even 0,2.
        QCOMPARE(FormateOctets(std::ldexp(1.0, 60) + std::ldexp(1.0, 28)), QStringLiteral("1073741824,2 Go"));
        // 2^80 + 2^29 bytes is 2^50 + 0,5 Go. Ten times it is not a double:
        // rounded to one it would tie down to ...,4; the true tenth is 5.
        QCOMPARE(FormateOctets(std::ldexp(1.0, 80) + std::ldexp(1.0, 29)), QStringLiteral("1125899906842624,5 Go"));
    }
};

QTEST_GUILESS_MAIN(TestFormatage)
#include "tst_formatage.moc"
