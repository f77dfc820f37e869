// What the transmitter window tells when an attempt or a connection fails:
// the balloon at the address box with the reason, the return to idle within
// the stated time, the connection nobody waits for closed at once, and any
// number of presses while an attempt hangs handled without nesting.

#include "OutilsEmetteur.h"
#include "SandboxGuard.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const QString Repos = QString::fromUtf8(Form2::CaptionDemarre);
const QString Connexion = QString::fromUtf8(Form2::CaptionConnexion);

// How far below `base` the stack reaches in the caller.
qptrdiff profondeur(const void *base)
{
    return static_cast<const char *>(base) - static_cast<const char *>(__builtin_frame_address(0));
}

}

class TestEchecs : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Form2> f;
    Winsock *W = nullptr;
    QLineEdit *AdresseIP = nullptr;
    QPushButton *Command1 = nullptr;

private slots:
    void init()
    {
        f = std::make_unique<Form2>();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.get()));
        W = f->findChild<Winsock *>(QStringLiteral("W"));
        AdresseIP = f->findChild<QLineEdit *>(QStringLiteral("AdresseIP"));
        Command1 = f->findChild<QPushButton *>(QStringLiteral("Command1"));
    }
    void cleanup()
    {
        remetAuRepos(f.get());
        f.reset();
    }

    void echecDit_data();
    void echecDit();
    void recepteurOccupe();
    void connexionTardiveFermee();
    void dixMillePressions();
};

void TestEchecs::echecDit_data()
{
    QTest::addColumn<QString>("adresse");
    QTest::addColumn<bool>("parefeu");
    QTest::addColumn<QString>("raison");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    QTest::newRow("refused") << QStringLiteral("127.0.0.1") << false
                             << QStringLiteral("personne n'écoute sur 127.0.0.1:4444 : la réception y est-elle démarrée ?")
                             << 0 << 1000;
    QTest::newRow("nobody holds the address")
        << QStringLiteral("10.44.0.99") << false
        << QStringLiteral("10.44.0.99:4444 est injoignable : aucune machine n'y "
                          "répond, ou aucune route n'y mène") << 0 << 5000;
    QTest::newRow("firewall drops the request")
        << QStringLiteral("10.44.0.2") << true
        << QStringLiteral("10.44.0.2:4444 ne répond pas : machine absente ou pare-feu") << Form2::DelaiConnexionMs - 100
        << Form2::DelaiConnexionMs + 1500;
    QTest::newRow("unknown name")
        << QStringLiteral("recepteur-absent.invalid") << false
        << QStringLiteral("le nom « recepteur-absent.invalid » est inconnu : vérifiez-le, ou tapez l'adresse IP du "
                          "récepteur")
        << 0 << 2000;
    QTest::newRow("number above 255")
        << QStringLiteral("999.1.1.1") << false
        << QStringLiteral("« 999.1.1.1 » n'est pas une adresse valide : quatre nombres de 0 à 255 séparés par des "
                          "points")
        << 0 << 2000;
    QTest::newRow("address with a port")
        << QStringLiteral("10.44.0.2:5201") << false
        << QStringLiteral("« 10.44.0.2:5201 » contient un port : tapez l'adresse seule, l'émetteur se connecte "
                          "toujours au port 4444")
        << 0 << 2000;
    QTest::newRow("empty box")
        << QString() << false
        << QStringLiteral("aucune adresse : choisissez un serveur dans la liste ou tapez l'adresse du récepteur") << 0
        << 2000;
}

// A failed attempt returns to idle within the stated time and says why at
// the address box; the reason stays the box's tool tip until the next press.
void TestEchecs::echecDit()
{
    QFETCH(QString, adresse);
    QFETCH(bool, parefeu);
    QFETCH(QString, raison);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    std::unique_ptr<PareFeu> silence;
    if (parefeu) {
        silence = std::make_unique<PareFeu>("10.44.0.2");
        QVERIFY(silence->pret());
    }
    AdresseIP->setText(adresse);

    const qint64 dit = presseJusquAuRepos(f.get(), maxMs + 1000);
    qInfo("told after %lld ms", dit);
    QCOMPARE(bulle(), raison);
    QCOMPARE(enLigne(AdresseIP->toolTip()), raison);
    QVERIFY2(dit >= minMs && dit <= maxMs, qPrintable(QString::number(dit)));

    // The request that ended the wait pass in progress changes nothing.
    QTest::qWait(1200);
    QCOMPARE(legende(f.get()), Repos);
    QCOMPARE(enLigne(AdresseIP->toolTip()), raison);

    // The next press withdraws it (towards a port that never answers, so
    // that no new reason comes meanwhile).
    Sourd sourd("127.0.0.2");
    QVERIFY(sourd.pret());
    AdresseIP->setText(QStringLiteral("127.0.0.2"));
    Command1->click();
    QCOMPARE(AdresseIP->toolTip(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(bulle(), QString(), 1000);
}

// A receiver that accepts and closes at once, as one serving another
// transmitter does.
void TestEchecs::recepteurOccupe()
{
    QTcpServer occupe;
    QVERIFY(occupe.listen(QHostAddress::LocalHost, Protocole::Port));
    connect(&occupe, &QTcpServer::newConnection, &occupe, [&] {
        while (QTcpSocket *s = occupe.nextPendingConnection())
            s->close();
    });

    Command1->click();
    QTRY_VERIFY_WITH_TIMEOUT(legende(f.get()) == Repos, 3000);
    QCOMPARE(bulle(), QStringLiteral("127.0.0.1:4444 a accepté puis fermé la connexion : le récepteur sert sans doute "
                                     "déjà un autre émetteur"));
}

// An attempt fails, and the address appears on the link just before the
// wait pass in progress ends with its connect request: that connection is
// made, but nobody waits for it any more. It is closed at once; the window
// stays idle and keeps telling why the attempt failed.
void TestEchecs::connexionTardiveFermee()
{
    QTcpServer recepteur;
    QVERIFY(recepteur.listen(QHostAddress::AnyIPv4, Protocole::Port));
    int connexions = 0;
    connect(&recepteur, &QTcpServer::newConnection, &recepteur, [&] {
        while (recepteur.nextPendingConnection())
            ++connexions;
    });
    const QStringList adresse{QStringLiteral("10.44.0.99/32"), QStringLiteral("dev"), QStringLiteral("bp1")};
    connect(W, &Winsock::Error, this, [&] {
        commandeReseau(QStringLiteral("ip"), QStringList{QStringLiteral("addr"), QStringLiteral("add")} + adresse);
    });
    QSignalSpy connectes(W, &Winsock::Connected);
    AdresseIP->setText(QStringLiteral("10.44.0.99"));

    Command1->click();
    QTRY_VERIFY_WITH_TIMEOUT(legende(f.get()) == Repos, 5000);
    const QString raison = bulle();
    QTRY_COMPARE_WITH_TIMEOUT(connectes.count(), 1, 2000);
    QTRY_COMPARE_WITH_TIMEOUT(W->State(), int(Winsock::sckClosed), 500);
    QCOMPARE(legende(f.get()), Repos);
    QTest::qWait(300);
    QCOMPARE(legende(f.get()), Repos);
    QCOMPARE(fond(f.get()), Form2::FondBlanc);
    QCOMPARE(connexions, 1);
    QCOMPARE(raison, QStringLiteral("10.44.0.99:4444 est injoignable : aucune machine n'y répond, ou "
                                     "aucune route n'y mène"));
    QCOMPARE(enLigne(AdresseIP->toolTip()), raison);
    QVERIFY(commandeReseau(QStringLiteral("ip"), QStringList{QStringLiteral("addr"), QStringLiteral("del")} + adresse));
}

// Presses while an attempt to a machine behind a firewall hangs, over
// several wait passes: each is handled without nesting in the ones before.
void TestEchecs::dixMillePressions()
{
    PareFeu silence("10.44.0.2");
    QVERIFY(silence.pret());
    AdresseIP->setText(QStringLiteral("10.44.0.2"));
    char base = 0;
    qptrdiff profondeurMax = 0;
    int vues = 0;
    connect(Command1, &QPushButton::clicked, this, [&] {
        profondeurMax = std::max(profondeurMax, profondeur(&base));
        ++vues;
    });

    constexpr int Pressions = 10000;
    int envoyees = 0;
    QTimer presse;
    connect(&presse, &QTimer::timeout, this, [&] {
        for (int i = 0; i < 4 && envoyees < Pressions; ++i, ++envoyees)
            appuie(f.get());
    });
    presse.start(1);
    QTRY_VERIFY_WITH_TIMEOUT(vues == Pressions, 120000);
    presse.stop();

    qInfo("deepest press handled %lld bytes below the test", qlonglong(profondeurMax));
    QVERIFY2(profondeurMax < 256 * 1024, qPrintable(QString::number(profondeurMax)));
    QCOMPARE(legende(f.get()), Connexion);
    QCOMPARE(W->State(), int(Winsock::sckConnecting));
}

BANDEPASSANTE_NETWORK_TEST_MAIN(TestEchecs)
#include "tst_echecs.moc"
