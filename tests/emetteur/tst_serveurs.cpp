// The list of announced receivers: which datagrams add which entries, and
// what a selection does.

#include "OutilsEmetteur.h"
#include "SandboxGuard.h"

#include <QApplication>
#include <QListWidget>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

namespace {

QByteArray annonce(const QByteArray &adresse)
{
    return Protocole::DatagrammePresence(adresse);
}

QStringList entrees(QListWidget *liste)
{
    QStringList textes;
    for (int i = 0; i < liste->count(); ++i)
        textes << liste->item(i)->text();
    return textes;
}

}

class TestServeurs : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Form2> f;
    QListWidget *ListeServeur = nullptr;
    QLineEdit *AdresseIP = nullptr;
    QUdpSocket emetteur;

    void envoie(const QByteArray &datagramme)
    {
        QCOMPARE(emetteur.writeDatagram(datagramme, QHostAddress::LocalHost, Protocole::Port),
                 qint64(datagramme.size()));
    }

    // Sends the datagrams, then a last one that must be listed: once it is,
    // all the others have been handled.
    void envoieTout(const QList<QByteArray> &datagrammes, const QString &temoin)
    {
        for (const QByteArray &d : datagrammes)
            envoie(d);
        envoie(annonce(temoin.toLatin1()));
        QTRY_VERIFY(ListeServeur->count() > 0 && ListeServeur->item(ListeServeur->count() - 1)->text() == temoin);
    }

private slots:
    void init()
    {
        f = std::make_unique<Form2>();
        ListeServeur = f->findChild<QListWidget *>(QStringLiteral("ListeServeur"));
        AdresseIP = f->findChild<QLineEdit *>(QStringLiteral("AdresseIP"));
    }
    void cleanup() { f.reset(); }

    void reconnaissance_data();
    void reconnaissance();
    void choix();
    void plafond();
};

void TestServeurs::reconnaissance_data()
{
    QTest::addColumn<QList<QByteArray>>("datagrammes");
    QTest::addColumn<QStringList>("attendu");
    const QByteArray prefixe(Protocole::PrefixePresence);
    QByteArray long64k(65507 - prefixe.size(), '\0');
    for (int i = 0; i < long64k.size(); ++i)
        long64k[i] = char(i * 7 + 3);

    QTest::newRow("address") << QList<QByteArray>{annonce("192.168.1.20")} << QStringList{"192.168.1.20"};
    QTest::newRow("same address twice") << QList<QByteArray>{annonce("192.168.1.20"), annonce("192.168.1.20")}
                                        << QStringList{"192.168.1.20"};
    QTest::newRow("prefix alone") << QList<QByteArray>{prefixe} << QStringList{};
    QTest::newRow("empty datagram") << QList<QByteArray>{QByteArray()} << QStringList{};
    QTest::newRow("shorter than the prefix") << QList<QByteArray>{prefixe.left(20)} << QStringList{};
    QTest::newRow("prefix without its last blank") << QList<QByteArray>{prefixe.chopped(1) + "10.1.1.1"}
                                                   << QStringList{};
    QTest::newRow("other letter case")
        << QList<QByteArray>{"trevalon analyseur bandepassante : 10.1.1.1",
                             "Trevalon Analyseur Bandepassante : 10.1.1.1"}
        << QStringList{};
    QTest::newRow("leading blank") << QList<QByteArray>{" " + annonce("10.1.1.1")} << QStringList{};
    QTest::newRow("trailing blank") << QList<QByteArray>{annonce("192.168.1.20 "), annonce("192.168.1.20")}
                                    << QStringList{"192.168.1.20 ", "192.168.1.20"};
    QTest::newRow("order of first hearing")
        << QList<QByteArray>{annonce("10.0.0.9"), annonce("10.0.0.1"), annonce("10.0.0.5"), annonce("10.0.0.9")}
        << QStringList{"10.0.0.9", "10.0.0.1", "10.0.0.5"};
    QTest::newRow("bytes above 127") << QList<QByteArray>{annonce("\xE9t\xE9 \xFF\x80")}
                                     << QStringList{QString::fromLatin1("\xE9t\xE9 \xFF\x80")};
    QTest::newRow("markup") << QList<QByteArray>{annonce("<b>gras</b> &amp; <img src=x>")}
                            << QStringList{"<b>gras</b> &amp; <img src=x>"};
    QTest::newRow("zero bytes") << QList<QByteArray>{annonce(QByteArray("1.2\0.3", 6))}
                                << QStringList{QString::fromLatin1(QByteArray("1.2\0.3", 6))};
    // No address or host name is longer than 255 bytes: longer entries are
    // junk and ignored.
    QTest::newRow("largest datagram") << QList<QByteArray>{annonce(long64k), annonce(long64k)} << QStringList{};
    QTest::newRow("255 bytes") << QList<QByteArray>{annonce(QByteArray(255, 'n'))}
                               << QStringList{QString(255, u'n')};
    QTest::newRow("256 bytes") << QList<QByteArray>{annonce(QByteArray(256, 'n'))} << QStringList{};
}

void TestServeurs::reconnaissance()
{
    QFETCH(QList<QByteArray>, datagrammes);
    QFETCH(QStringList, attendu);
    envoieTout(datagrammes, QStringLiteral("10.9.9.9"));
    attendu << QStringLiteral("10.9.9.9");
    QCOMPARE(entrees(ListeServeur), attendu);
    QCOMPARE(AdresseIP->text(), QStringLiteral("127.0.0.1"));
}

// A selection copies the entry into the box, and nothing else happens.
void TestServeurs::choix()
{
    f->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.get()));
    envoieTout({annonce("10.45.0.2")}, QStringLiteral("10.45.0.3 "));
    auto *W = f->findChild<Winsock *>(QStringLiteral("W"));

    QListWidgetItem *second = ListeServeur->item(1);
    QTest::mouseClick(ListeServeur->viewport(), Qt::LeftButton, {}, ListeServeur->visualItemRect(second).center());
    QCOMPARE(AdresseIP->text(), QStringLiteral("10.45.0.3 "));

    QTest::keyClick(ListeServeur, Qt::Key_Up);
    QCOMPARE(AdresseIP->text(), QStringLiteral("10.45.0.2"));

    // Clicking the entry already selected copies it again.
    AdresseIP->setText(QStringLiteral("tapé à la main"));
    QTest::mouseClick(ListeServeur->viewport(), Qt::LeftButton, {},
                      ListeServeur->visualItemRect(ListeServeur->item(0)).center());
    QCOMPARE(AdresseIP->text(), QStringLiteral("10.45.0.2"));

    QCOMPARE(legende(f.get()), QString::fromUtf8(Form2::CaptionDemarre));
    QCOMPARE(W->State(), int(Winsock::sckClosed));
    QCOMPARE(ListeServeur->count(), 2);
}

// The list counts on 16 bits: past 32767 entries, new servers are dropped.
void TestServeurs::plafond()
{
    for (int i = 0; i < Form2::ServeursMax - 1; ++i)
        f->TraiteDatagramme(annonce(QByteArray::number(i)));
    QCOMPARE(ListeServeur->count(), Form2::ServeursMax - 1);

    envoieTout({annonce("0")}, QStringLiteral("dernier"));
    QCOMPARE(ListeServeur->count(), Form2::ServeursMax);

    QSignalSpy arrivees(f->findChild<Winsock *>(QStringLiteral("WssidReceptor")), &Winsock::DataArrival);
    envoie(annonce("de trop"));
    QTRY_COMPARE(arrivees.count(), 1);
    f->TraiteDatagramme(annonce("de trop aussi"));
    QCOMPARE(ListeServeur->count(), Form2::ServeursMax);
    QCOMPARE(ListeServeur->item(0)->text(), QStringLiteral("0"));
    QCOMPARE(ListeServeur->item(Form2::ServeursMax - 1)->text(), QStringLiteral("dernier"));
}

BANDEPASSANTE_NETWORK_TEST_MAIN(TestServeurs)
#include "tst_serveurs.moc"
