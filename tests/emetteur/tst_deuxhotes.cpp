// A measurement between two machines: the receiver runs as a whole program
// on host B (hote_recepteur, in the second namespace of
// scripts/sandbox --two-hosts, 10.45.0.2); the transmitter window runs here,
// on host A (10.45.0.1). B announces itself, A lists it, the user picks it
// and measures across the link, and B listens again by itself afterwards.

#include "HoteB.h"
#include "OutilsEmetteur.h"
#include "SandboxGuard.h"
#include "recepteur/Form1.h"

#include <QApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>


namespace {

// What host B last said about its receiver.
struct RapportB {
    int etat = -1;
    qint64 octets = -1;
    QString legende;
};

}

class TestDeuxHotes : public QObject
{
    Q_OBJECT

private slots:
    void mesureEntreDeuxHotes();
    void echecEntreDeuxHotes_data();
    void echecEntreDeuxHotes();
    void connexionTardiveFermee();
};

namespace {

// A command run on host B.
bool surB(const QString &programme, const QStringList &arguments, const QByteArray &entree = {})
{
    return commandeReseau(QStringLiteral("nsenter"), HoteB::Arguments(programme, arguments), entree);
}

}

void TestDeuxHotes::mesureEntreDeuxHotes()
{
    QVERIFY2(HoteB::Existe(), "host B is missing: run under scripts/sandbox --two-hosts");
    const QString programme = QCoreApplication::applicationDirPath() + QStringLiteral("/hote_recepteur");
    QVERIFY2(QFileInfo(programme).isExecutable(), qPrintable(programme));

    // Listening before B starts, so that its first announcement is heard.
    Form2 form2;
    form2.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    auto *ListeServeur = form2.findChild<QListWidget *>(QStringLiteral("ListeServeur"));
    auto *AdresseIP = form2.findChild<QLineEdit *>(QStringLiteral("AdresseIP"));

    QProcess b;
    RapportB rapport;
    connect(&b, &QProcess::readyReadStandardOutput, &b, [&] {
        while (b.canReadLine()) {
            const QString ligne = QString::fromUtf8(b.readLine()).trimmed();
            const QStringList champs = ligne.split(QLatin1Char(' '));
            if (champs.size() < 4 || champs[0] != QStringLiteral("recepteur"))
                continue;
            rapport = {champs[1].toInt(), champs[2].toLongLong(), ligne.section(QLatin1Char(' '), 3)};
        }
    });
    b.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    HoteB::Demarre(b, programme);
    QVERIFY(b.waitForStarted());

    const QString reception = QString::fromUtf8(Form1::CaptionArreter);
    qint64 mesure = 0;
    Scenario s;
    s.quand("B listening", [&] { return rapport.etat == Winsock::sckListening && rapport.legende == reception; },
            15000)
        .quand("B announced", [&] { return ListeServeur->count() == 1; }, 5000,
               [&] {
                   QTest::mouseClick(ListeServeur->viewport(), Qt::LeftButton, {},
                                     ListeServeur->visualItemRect(ListeServeur->item(0)).center());
               })
        .quand("entry copied into the box", [&] { return AdresseIP->text() == QStringLiteral("10.45.0.2"); }, 1000,
               [&] { appuie(&form2); })
        .quand("connected",
               [&] {
                   return legende(&form2) == QString::fromUtf8(Form2::CaptionConnecte) &&
                          rapport.etat == Winsock::sckConnected;
               },
               3000)
        .quand("B measures the stream", [&] { return rapport.octets > 100 * Protocole::LongueurBloc; }, 5000,
               [&] {
                   mesure = rapport.octets;
                   appuie(&form2);
               })
        .quand("idle", [&] { return legende(&form2) == QString::fromUtf8(Form2::CaptionDemarre); }, 500)
        .quand("B listens again and measures nothing",
               [&] { return rapport.etat == Winsock::sckListening && rapport.octets == 0; }, 5000);
    JOUE(s, &form2, 60000);

    qInfo("measured across the link: %lld bytes in one second", mesure);
    QCOMPARE(ListeServeur->item(0)->text(), QStringLiteral("10.45.0.2"));
    QCOMPARE(ListeServeur->count(), 1);
    QCOMPARE(rapport.legende, reception);
    QCOMPARE(b.state(), QProcess::Running);
    b.kill();
    b.waitForFinished();
}

void TestDeuxHotes::echecEntreDeuxHotes_data()
{
    QTest::addColumn<QString>("adresse");
    QTest::addColumn<bool>("parefeu");
    QTest::addColumn<QString>("raison");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    QTest::newRow("reception not started on B")
        << QStringLiteral("10.45.0.2") << false
        << QStringLiteral("personne n'écoute sur 10.45.0.2:4444 : la réception y est-elle démarrée ?") << 0 << 1000;
    QTest::newRow("nobody holds the address")
        << QStringLiteral("10.45.0.99") << false
        << QStringLiteral("10.45.0.99:4444 est injoignable : aucune machine n'y "
                          "répond, ou aucune route n'y mène") << 0 << 5000;
    QTest::newRow("B's firewall drops the request")
        << QStringLiteral("10.45.0.2") << true
        << QStringLiteral("10.45.0.2:4444 ne répond pas : machine absente ou pare-feu") << Form2::DelaiConnexionMs - 100
        << Form2::DelaiConnexionMs + 1500;
}

// Each failure across the link: back to idle within the stated time, with
// the reason in the balloon at the address box.
void TestDeuxHotes::echecEntreDeuxHotes()
{
    QFETCH(QString, adresse);
    QFETCH(bool, parefeu);
    QFETCH(QString, raison);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    QVERIFY2(HoteB::Existe(), "host B is missing: run under scripts/sandbox --two-hosts");
    const QStringList table{QStringLiteral("inet"), QStringLiteral("bp_parefeu")};
    if (parefeu) {
        const QByteArray regle = "table inet bp_parefeu {\n chain entree {\n"
                                 "  type filter hook input priority 0; policy accept;\n"
                                 "  tcp dport 4444 drop\n }\n}\n";
        if (!surB(QStringLiteral("nft"), {QStringLiteral("-f"), QStringLiteral("-")}, regle))
            QSKIP("no nftables on host B");
    }
    const auto enleve = qScopeGuard([&] {
        if (parefeu)
            surB(QStringLiteral("nft"), QStringList{QStringLiteral("delete"), QStringLiteral("table")} + table);
    });
    Form2 form2;
    form2.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    form2.findChild<QLineEdit *>(QStringLiteral("AdresseIP"))->setText(adresse);

    const qint64 dit = presseJusquAuRepos(&form2, maxMs + 1000);
    qInfo("told after %lld ms", dit);
    QCOMPARE(bulle(), raison);
    QVERIFY2(dit >= minMs && dit <= maxMs, qPrintable(QString::number(dit)));
    remetAuRepos(&form2);
}

// The attempt to an absent address fails, and the address appears on host
// B, where a receiver listens, just before the wait pass ends with its
// connect request: that connection is made but nobody waits for it, so it is
// closed at once and the window stays idle.
void TestDeuxHotes::connexionTardiveFermee()
{
    QVERIFY2(HoteB::Existe(), "host B is missing: run under scripts/sandbox --two-hosts");
    Form2 form2;
    form2.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form2));
    auto *W = form2.findChild<Winsock *>(QStringLiteral("W"));
    form2.findChild<QLineEdit *>(QStringLiteral("AdresseIP"))->setText(QStringLiteral("10.45.0.99"));

    // A receiver on B that listens on every address of B.
    QProcess b;
    b.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    HoteB::Demarre(b, QCoreApplication::applicationDirPath() + QStringLiteral("/hote_recepteur"));
    QVERIFY(b.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(b.canReadLine(), 15000);
    const auto arrete = qScopeGuard([&] {
        b.kill();
        b.waitForFinished();
        surB(QStringLiteral("ip"), {QStringLiteral("addr"), QStringLiteral("del"), QStringLiteral("10.45.0.99/24"),
                                    QStringLiteral("dev"), QStringLiteral("bpb")});
    });

    connect(W, &Winsock::Error, this, [] {
        surB(QStringLiteral("ip"), {QStringLiteral("addr"), QStringLiteral("add"), QStringLiteral("10.45.0.99/24"),
                                    QStringLiteral("dev"), QStringLiteral("bpb")});
    });
    QSignalSpy connectes(W, &Winsock::Connected);
    form2.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(legende(&form2) == QString::fromUtf8(Form2::CaptionDemarre), 5000);
    QCOMPARE(bulle(), QStringLiteral("10.45.0.99:4444 est injoignable : aucune machine n'y répond, ou "
                                     "aucune route n'y mène"));
    QTRY_COMPARE_WITH_TIMEOUT(connectes.count(), 1, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(W->State(), int(Winsock::sckClosed), 500);
    QTest::qWait(300);
    QCOMPARE(legende(&form2), QString::fromUtf8(Form2::CaptionDemarre));
    QCOMPARE(fond(&form2), Form2::FondBlanc);
}

BANDEPASSANTE_NETWORK_TEST_MAIN(TestDeuxHotes)
#include "tst_deuxhotes.moc"
