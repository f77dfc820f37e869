// Which interface a destination goes through, and what is said of it, on
// the sandbox's own interfaces (loopback, and the veth pair bp0/bp1).

#include "SandboxGuard.h"
#include "lien/Sonde.h"

#include <QApplication>
#include <QtTest>

class TestSonde : public QObject
{
    Q_OBJECT

private slots:
    void interfacePour_data()
    {
        QTest::addColumn<QString>("adresse");
        QTest::addColumn<QString>("interface");
        QTest::newRow("default route") << QStringLiteral("192.0.2.7") << QStringLiteral("wlan0");
        QTest::newRow("longest prefix") << QStringLiteral("10.1.2.3") << QStringLiteral("eth1");
        QTest::newRow("lowest metric among equals") << QStringLiteral("10.9.0.1") << QStringLiteral("eth0");
        QTest::newRow("a route that is down") << QStringLiteral("172.16.0.1") << QStringLiteral("wlan0");
    }

    void interfacePour()
    {
        QFETCH(QString, adresse);
        QFETCH(QString, interface);
        // As the kernel writes it: addresses as the bytes in memory, in hex.
        const QByteArray table = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\n"
                                 "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\n"
                                 "eth0\t0000000A\t00000000\t0001\t0\t0\t100\t000000FF\n"
                                 "wlan0\t0000000A\t00000000\t0001\t0\t0\t600\t000000FF\n"
                                 "eth1\t0002010A\t00000000\t0001\t0\t0\t100\t00FFFFFF\n"
                                 "eth2\t000010AC\t00000000\t0000\t0\t0\t100\t0000FFFF\n";
        QCOMPARE(Sonde::InterfacePour(table, QHostAddress(adresse)), interface);
    }

    // What the sandbox's own links are said to be: no invented figure.
    void liensDuBac()
    {
        QCOMPARE(Sonde::LienVers(QHostAddress(QStringLiteral("127.0.0.1"))).description(),
                 QStringLiteral("autre lo (boucle locale)"));
        // One of this machine's own addresses goes through loopback too.
        QCOMPARE(Sonde::LienVers(QHostAddress(QStringLiteral("10.44.0.2"))).interface, QStringLiteral("lo"));
        const Lien veth = Sonde::LienVers(QHostAddress(QStringLiteral("10.44.0.99")));
        QCOMPARE(veth.description(), QStringLiteral("autre bp0 (veth)"));
        QVERIFY(!veth.vitesseMbps);
    }
};

BANDEPASSANTE_NETWORK_TEST_MAIN(TestSonde)
#include "tst_sonde.moc"
