// Which interface holds the default route, from routing tables written as
// the kernel writes /proc/net/route.

#include "protocole/AdresseLocale.h"

#include <QtTest>

namespace {

const QByteArray entete = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

QByteArray route(const char *interface, const char *destination, const char *drapeaux, int metrique,
                 const char *masque)
{
    return QByteArray(interface) + '\t' + destination + "\t00000000\t" + drapeaux + "\t0\t0\t" +
           QByteArray::number(metrique) + '\t' + masque + "\t0\t0\t0\n";
}

}

class TestAdresseLocale : public QObject
{
    Q_OBJECT

private slots:
    void interfaceParDefaut_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QByteArray>("attendue");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("header only") << entete << QByteArray();
        QTest::newRow("one default route")
            << entete + route("eth0", "00000000", "0003", 100, "00000000") << QByteArray("eth0");
        QTest::newRow("no default route")
            << entete + route("eth0", "0000A8C0", "0001", 0, "00FFFFFF") << QByteArray();
        QTest::newRow("lowest metric wins")
            << entete + route("wlan0", "00000000", "0003", 600, "00000000") +
                   route("eth0", "00000000", "0003", 100, "00000000")
            << QByteArray("eth0");
        QTest::newRow("a route that is down is skipped")
            << entete + route("eth0", "00000000", "0002", 0, "00000000") +
                   route("wlan0", "00000000", "0003", 600, "00000000")
            << QByteArray("wlan0");
        QTest::newRow("a mask other than 0 is no default route")
            << entete + route("eth0", "00000000", "0001", 0, "000000FF") << QByteArray();
        QTest::newRow("short and garbled lines")
            << entete + "eth0 00000000\n\n" + route("bp0", "00000000", "zz", 0, "00000000") +
                   route("bp1", "00000000", "0001", 5, "00000000")
            << QByteArray("bp1");
    }

    void interfaceParDefaut()
    {
        QFETCH(QByteArray, table);
        QFETCH(QByteArray, attendue);
        QCOMPARE(AdresseLocale::InterfaceParDefaut(table), attendue);
    }
};

QTEST_GUILESS_MAIN(TestAdresseLocale)
#include "tst_adresselocale.moc"
