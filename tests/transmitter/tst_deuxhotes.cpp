// A measurement between two machines: the receiver runs as a whole program
// on host B (hote_recepteur, in the second namespace of
// scripts/sandbox --two-hosts, 10.45.0.2); the transmitter window runs here,
// on host A (10.45.0.1). B announces itself, A lists it, the user picks it
// and measures across the link, and B listens again by itself afterwards.

#include "OutilsEmetteur.h"
#include "SandboxGuard.h"
#include "receiver/Form1.h"

#include <QApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

#include <unistd.h>

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
};

void TestDeuxHotes::mesureEntreDeuxHotes()
{
    const QString hoteB = qEnvironmentVariable("BANDEPASSANTE_HOTE_B");
    QVERIFY2(!hoteB.isEmpty(), "host B is missing: run under scripts/sandbox --two-hosts");
    char cible[128] = {};
    QVERIFY(::readlink(hoteB.toLocal8Bit().constData(), cible, sizeof cible - 1) > 0);
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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The guard of the helper checks that it runs in the namespace named here.
    env.insert(QStringLiteral("BANDEPASSANTE_NETNS"), QString::fromLatin1(cible));
    b.setProcessEnvironment(env);
    b.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    b.start(QStringLiteral("nsenter"), {QStringLiteral("--net=") + hoteB, programme});
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

BANDEPASSANTE_NETWORK_TEST_MAIN(TestDeuxHotes)
#include "tst_deuxhotes.moc"
