// The console and the windows measure each other across two machines: host
// A (10.45.0.1, this process) and host B (10.45.0.2, the second namespace of
// scripts/sandbox --two-hosts), in every direction, each finding the other's
// receiver through the presence datagram.

#include "HoteB.h"
#include "../emetteur/OutilsEmetteur.h"
#include "OutilsConsole.h"
#include "SandboxGuard.h"
#include "recepteur/Form1.h"

#include <QApplication>
#include <QListWidget>
#include <QTemporaryFile>
#include <QtTest>

#include <sys/mount.h>


namespace {

const QString AdresseA = QStringLiteral("10.45.0.1");
const QString AdresseB = QStringLiteral("10.45.0.2");

// The receiver window running as a whole program on host B, reception
// started; it reports "recepteur <state of W> <OctetsRecus> <caption>".
class FenetreB : public QObject
{
public:
    FenetreB()
    {
        connect(&b_, &QProcess::readyReadStandardOutput, this, [this] {
            while (b_.canReadLine()) {
                const QList<QByteArray> champs = b_.readLine().trimmed().split(' ');
                if (champs.size() >= 3 && champs[0] == "recepteur") {
                    etat_ = champs[1].toInt();
                    octetsMax_ = qMax(octetsMax_, champs[2].toLongLong());
                }
            }
        });
        b_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        HoteB::Demarre(b_, QCoreApplication::applicationDirPath() + QStringLiteral("/hote_recepteur"));
    }
    ~FenetreB() override
    {
        b_.kill();
        b_.waitForFinished();
    }
    bool enEcoute() const { return etat_ == Winsock::sckListening; }
    // The most it measured in one second.
    qint64 octetsMax() const { return octetsMax_; }

private:
    QProcess b_;
    int etat_ = -1;
    qint64 octetsMax_ = 0;
};

}

class TestDeuxHotesConsole : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fenetreVersConsole();
    void consoleVersFenetre();
    void consoleVersConsole();
    void recepteurTue_data();
    void recepteurTue();
    void nomAPlusieursAdresses();
};

void TestDeuxHotesConsole::initTestCase()
{
    QVERIFY2(HoteB::Existe(), "host B is missing: run under scripts/sandbox --two-hosts");
}

// The transmitter window lists a console receiver, picks it and measures;
// the console prints the seconds and, when the window stops, the summary.
void TestDeuxHotesConsole::fenetreVersConsole()
{
    Form2 form2;
    form2.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    auto *ListeServeur = form2.findChild<QListWidget *>(QStringLiteral("ListeServeur"));
    auto *AdresseIP = form2.findChild<QLineEdit *>(QStringLiteral("AdresseIP"));

    Console b;
    b.lance({QStringLiteral("recevoir"), QStringLiteral("--une-fois"), QStringLiteral("--json")}, true);
    Scenario s;
    s.quand("console announced", [&] { return ListeServeur->count() == 1; }, 15000,
            [&] {
                QTest::mouseClick(ListeServeur->viewport(), Qt::LeftButton, {},
                                  ListeServeur->visualItemRect(ListeServeur->item(0)).center());
            })
        .quand("entry copied into the box", [&] { return AdresseIP->text() == AdresseB; }, 1000,
               [&] { appuie(&form2); })
        .quand("connected",
               [&] {
                   return legende(&form2) == QString::fromUtf8(Form2::CaptionConnecte) &&
                          b.erreurs().contains(QStringLiteral("Emetteur %1 connecté.").arg(AdresseA));
               },
               5000)
        .quand("the console measures", [&] { return b.objets(QStringLiteral("seconde")).size() >= 2; }, 5000,
               [&] { appuie(&form2); })
        .quand("idle", [&] { return legende(&form2) == QString::fromUtf8(Form2::CaptionDemarre); }, 1000);
    JOUE(s, &form2, 60000);

    QTRY_VERIFY_WITH_TIMEOUT(!b.enCours(), 10000);
    QCOMPARE(b.code(), 0);
    QCOMPARE(b.fautesJson(), 0);
    for (const QJsonObject &seconde : b.objets(QStringLiteral("seconde"))) {
        QCOMPARE(seconde.value(QStringLiteral("pair")).toString(), AdresseA);
        QVERIFY(seconde.value(QStringLiteral("octets")).toInteger() > 100 * Protocole::LongueurBloc);
    }
    const QJsonObject r = b.objets(QStringLiteral("resume")).value(0);
    QCOMPARE(r.value(QStringLiteral("motif")).toString(), QStringLiteral("depart"));
    QCOMPARE(r.value(QStringLiteral("pair")).toString(), AdresseA);
    QVERIFY(r.value(QStringLiteral("secondes")).toInteger() >= 2);
    QCOMPARE(ListeServeur->item(0)->text(), AdresseB);
}

// `serveurs` lists a receiver window, and the console transmitter measures
// into it for three seconds.
void TestDeuxHotesConsole::consoleVersFenetre()
{
    // Listening before the window starts, so that its first announcement,
    // 1 s after its start, is heard.
    Console liste;
    liste.lance({QStringLiteral("serveurs"), QStringLiteral("--duree"), QStringLiteral("0"), QStringLiteral("--json")});
    QTRY_VERIFY_WITH_TIMEOUT(liste.erreurs().contains(QStringLiteral("Écoute des annonces")), 10000);
    FenetreB fenetre;
    QTRY_VERIFY_WITH_TIMEOUT(liste.objets(QStringLiteral("serveur")).size() == 1, 15000);
    liste.signale(SIGINT);
    QTRY_VERIFY_WITH_TIMEOUT(!liste.enCours(), 5000);
    QCOMPARE(liste.code(), 0);
    QCOMPARE(liste.objets(QStringLiteral("serveur")).first().value(QStringLiteral("adresse")).toString(), AdresseB);
    QTRY_VERIFY_WITH_TIMEOUT(fenetre.enEcoute(), 15000);

    Console emetteur;
    emetteur.lance({QStringLiteral("emettre"), AdresseB, QStringLiteral("--duree"), QStringLiteral("3"),
                    QStringLiteral("--json")});
    QTRY_VERIFY_WITH_TIMEOUT(!emetteur.enCours(), 20000);
    QCOMPARE(emetteur.code(), 0);
    QCOMPARE(emetteur.objets(QStringLiteral("seconde")).size(), 3);
    const QJsonObject r = emetteur.objets(QStringLiteral("resume")).value(0);
    QCOMPARE(r.value(QStringLiteral("motif")).toString(), QStringLiteral("duree"));
    QCOMPARE(r.value(QStringLiteral("pair")).toString(), AdresseB);
    // The window measured the stream.
    QTRY_VERIFY_WITH_TIMEOUT(fenetre.octetsMax() > 100 * Protocole::LongueurBloc, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(fenetre.enEcoute(), 5000);
}

// Console to console: the receiver counts every byte the transmitter's
// system took, and at most the rest of the send call the close finished.
void TestDeuxHotesConsole::consoleVersConsole()
{
    Console recepteur;
    recepteur.lance({QStringLiteral("receive"), QStringLiteral("--once"), QStringLiteral("--json")}, true);
    QTRY_VERIFY_WITH_TIMEOUT(recepteur.erreurs().contains(QStringLiteral("Réception sur le port TCP 4444")), 10000);

    Console emetteur;
    emetteur.lance({QStringLiteral("send"), AdresseB, QStringLiteral("--time"), QStringLiteral("3"),
                    QStringLiteral("--json")});
    QTRY_VERIFY_WITH_TIMEOUT(!emetteur.enCours(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!recepteur.enCours(), 10000);
    QCOMPARE(emetteur.code(), 0);
    QCOMPARE(recepteur.code(), 0);

    const QJsonObject envoi = emetteur.objets(QStringLiteral("resume")).value(0);
    const QJsonObject reception = recepteur.objets(QStringLiteral("resume")).value(0);
    QCOMPARE(envoi.value(QStringLiteral("pair")).toString(), AdresseB);
    QCOMPARE(reception.value(QStringLiteral("pair")).toString(), AdresseA);
    QCOMPARE(reception.value(QStringLiteral("motif")).toString(), QStringLiteral("depart"));
    const qint64 envoyes = envoi.value(QStringLiteral("octets")).toInteger();
    const qint64 recus = reception.value(QStringLiteral("octets")).toInteger();
    QVERIFY(envoyes > 0);
    QVERIFY2(recus >= envoyes && recus - envoyes < 64 * Protocole::LongueurBloc,
             qPrintable(QStringLiteral("%1 sent, %2 received").arg(envoyes).arg(recus)));
    QCOMPARE(recus % Protocole::LongueurBloc, 0);
    QVERIFY(reception.value(QStringLiteral("secondes")).toInteger() >= 2);
}

// The receiver is killed while it sends the blocks back: the end of its
// stream without the report it promised is a cut, and a complete test says
// what it measured until then and why it stopped.
void TestDeuxHotesConsole::recepteurTue_data()
{
    QTest::addColumn<QStringList>("commande");
    QTest::addColumn<QString>("sens");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("erreur");
    QTest::newRow("emettre --retour") << QStringList{QStringLiteral("emettre"), AdresseB, QStringLiteral("--retour")}
                                      << QStringLiteral("descendant") << 0
                                      << QStringLiteral("sans son rapport : mesure coupée");
    QTest::newRow("test, in the download") << QStringList{QStringLiteral("test"), AdresseB, QStringLiteral("--duree"),
                                                          QStringLiteral("2")}
                                           << QStringLiteral("descendant") << 1
                                           << QStringLiteral("test complet arrêté, la phase « descendant » a été coupée");
}

void TestDeuxHotesConsole::recepteurTue()
{
    QFETCH(QStringList, commande);
    QFETCH(QString, sens);
    QFETCH(int, code);
    QFETCH(QString, erreur);
    Console recepteur;
    recepteur.lance({QStringLiteral("recevoir")}, true);
    QTRY_VERIFY_WITH_TIMEOUT(recepteur.erreurs().contains(QStringLiteral("Réception sur")), 10000);
    Console c;
    c.lance(commande + QStringList{QStringLiteral("--json")});
    const auto secondes = [&] {
        int n = 0;
        for (const QJsonObject &o : c.objets(QStringLiteral("seconde")))
            n += o.value(QStringLiteral("sens")).toString() == sens;
        return n;
    };
    QTRY_VERIFY_WITH_TIMEOUT(secondes() >= 1, 20000);
    recepteur.signale(SIGKILL);
    QTRY_VERIFY_WITH_TIMEOUT(!c.enCours(), 20000);
    QCOMPARE(c.code(), code);
    QVERIFY2(c.erreurs().contains(erreur), qPrintable(c.erreurs()));
    QCOMPARE(c.fautesJson(), 0);
    const QJsonObject dernier = c.objets(QStringLiteral("resume")).constLast();
    QCOMPARE(dernier.value(QStringLiteral("motif")).toString(), QStringLiteral("coupure"));
    QCOMPARE(dernier.value(QStringLiteral("sens")).toString(), sens);
    if (commande.first() == QLatin1String("test")) {
        // The upload and the download as far as it went; no simultaneous
        // phase.
        const QJsonObject t = c.objets(QStringLiteral("test")).value(0);
        QCOMPARE(t.value(QStringLiteral("motif")).toString(), QStringLiteral("coupure"));
        QVERIFY2(t.contains(QStringLiteral("montant")) && t.contains(QStringLiteral("descendant")) &&
                     !t.contains(QStringLiteral("simultane")),
                 qPrintable(c.lignes().join('\n')));
    }
}

// A name whose first address answers nobody: the next is tried within
// --attente, and the measurement is made with it. The name is the sandbox's
// own, in a private /etc/hosts.
void TestDeuxHotesConsole::nomAPlusieursAdresses()
{
    QTemporaryFile hotes;
    QVERIFY(hotes.open());
    hotes.write("10.45.0.3 recepteur-b\n10.45.0.2 recepteur-b\n");
    hotes.flush();
    QVERIFY(SandboxGuard::whyNotPrivate().isEmpty());
    QCOMPARE(::mount(hotes.fileName().toLocal8Bit().constData(), "/etc/hosts", nullptr, MS_BIND, nullptr), 0);
    Console recepteur;
    recepteur.lance({QStringLiteral("recevoir"), QStringLiteral("--une-fois")}, true);
    QTRY_VERIFY_WITH_TIMEOUT(recepteur.erreurs().contains(QStringLiteral("Réception sur")), 10000);
    Console c;
    c.lance({QStringLiteral("emettre"), QStringLiteral("recepteur-b"), QStringLiteral("--duree"), QStringLiteral("2"),
             QStringLiteral("--attente"), QStringLiteral("8"), QStringLiteral("--json")});
    QTRY_VERIFY_WITH_TIMEOUT(!c.enCours(), 20000);
    ::umount2("/etc/hosts", MNT_DETACH);
    QVERIFY2(c.code() == 0, qPrintable(c.erreurs()));
    QCOMPARE(c.objets(QStringLiteral("resume")).value(0).value(QStringLiteral("pair")).toString(), AdresseB);
}

BANDEPASSANTE_NETWORK_TEST_MAIN(TestDeuxHotesConsole)
#include "tst_deuxhotes_console.moc"
