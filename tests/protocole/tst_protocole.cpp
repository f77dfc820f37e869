#include "protocole/Protocole.h"

#include <QtTest>

class TestProtocole : public QObject
{
    Q_OBJECT

private slots:
    void reconnaissance_data()
    {
        QTest::addColumn<QByteArray>("datagramme");
        QTest::addColumn<bool>("reconnu");
        QTest::addColumn<QByteArray>("adresse");

        const QByteArray prefixe("Trevalon Analyseur BandePassante : ");
        QTest::newRow("address") << prefixe + "192.0.2.10" << true << QByteArray("192.0.2.10");
        QTest::newRow("prefix alone") << prefixe << true << QByteArray();
        QTest::newRow("trailing blank kept") << prefixe + "192.0.2.10 " << true << QByteArray("192.0.2.10 ");
        QTest::newRow("no trimming after prefix") << prefixe + " 10.0.0.1" << true << QByteArray(" 10.0.0.1");
        QTest::newRow("shorter than prefix") << prefixe.left(34) << false << QByteArray();
        QTest::newRow("empty") << QByteArray() << false << QByteArray();
        QTest::newRow("other case") << QByteArray("trevalon analyseur bandepassante : 10.0.0.1") << false << QByteArray();
        QTest::newRow("leading blank") << " " + prefixe + "10.0.0.1" << false << QByteArray();
        QTest::newRow("one character differs") << QByteArray("Trevalon Analyseur BandePassante ; 10.0.0.1") << false << QByteArray();
        QTest::newRow("bytes above 127") << prefixe + "\xe9\xff\x80" << true << QByteArray("\xe9\xff\x80");
        QTest::newRow("inner zero byte") << prefixe + QByteArray("a\0b", 3) << true << QByteArray("a\0b", 3);
    }

    void reconnaissance()
    {
        QFETCH(QByteArray, datagramme);
        QFETCH(bool, reconnu);
        QFETCH(QByteArray, adresse);
        const std::optional<QByteArray> annonce = Protocole::AdresseAnnoncee(datagramme);
        QCOMPARE(annonce.has_value(), reconnu);
        if (reconnu)
            QCOMPARE(*annonce, adresse);
    }

    void datagrammeComplet()
    {
        const QByteArray d = Protocole::DatagrammePresence("192.0.2.10");
        QCOMPARE(d, QByteArray("Trevalon Analyseur BandePassante : 192.0.2.10"));
        QCOMPARE(d.size(), 45);
        QCOMPARE(Protocole::LongueurPrefixe, 35);
        QCOMPARE(*Protocole::AdresseAnnoncee(d), QByteArray("192.0.2.10"));
    }

    void bloc()
    {
        const QByteArray b = Protocole::BlocMesure();
        QCOMPARE(b.size(), 1025);
        QCOMPARE(b.count('A'), 1024);
        QCOMPARE(b.indexOf('A'), 0);
        QCOMPARE(b.at(1024), '\r');
    }
};

QTEST_GUILESS_MAIN(TestProtocole)
#include "tst_protocole.moc"
