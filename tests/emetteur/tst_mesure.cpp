// One program measures itself: the receiver window and the transmitter
// window of the same process, over loopback; and closing the transmitter
// window ends the whole program, even from inside the click's loops.

#include "OutilsEmetteur.h"
#include "SandboxGuard.h"
#include "recepteur/Form1.h"

#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QtTest>

#include <optional>

class TestMesure : public QObject
{
    Q_OBJECT

private slots:
    void mesureDansUnProgramme();
    void fermetureDeLaFenetre_data();
    void fermetureDeLaFenetre();
};

void TestMesure::mesureDansUnProgramme()
{
    Form1 form1;
    form1.show();
    Form2 *form2 = form1.form2();
    QVERIFY(QTest::qWaitForWindowExposed(&form1));
    QVERIFY(QTest::qWaitForWindowExposed(form2));
    auto *Wemetteur = form2->findChild<Winsock *>(QStringLiteral("W"));
    const QString reception = QString::fromUtf8(Form1::CaptionArreter);
    QImage capture;
    qint64 mesure = 0;

    Scenario s;
    s.puis([&] { appuie(&form1); })
        .quand("receiver listening", [&] { return form1.EtatReception() == Winsock::sckListening; }, 2000,
               [&] { appuie(form2); })
        .quand("connected", [&] { return legende(form2) == QString::fromUtf8(Form2::CaptionConnecte); }, 3000)
        .quand("a second measured", [&] { return form1.OctetsRecus() > 100 * Protocole::LongueurBloc; }, 5000,
               [&] { mesure = form1.OctetsRecus(); })
        .quand("a second sample, the box yellow",
               [&] { return form1.OctetsRecus() != mesure && fond(form2) == Form2::FondJaune; }, 2000,
               [&] {
                   const QPixmap gauche = form1.grab();
                   const QPixmap droite = form2->grab();
                   capture = QImage(gauche.width() + droite.width(), std::max(gauche.height(), droite.height()),
                                    QImage::Format_RGB32);
                   capture.fill(Qt::darkGray);
                   QPainter peintre(&capture);
                   peintre.drawPixmap(0, 0, gauche);
                   peintre.drawPixmap(gauche.width(), 0, droite);
                   appuie(form2);
               })
        .quand("transmitter idle", [&] { return legende(form2) == QString::fromUtf8(Form2::CaptionDemarre); }, 500)
        .quand("receiver listens again and measures nothing",
               [&] { return form1.EtatReception() == Winsock::sckListening && form1.OctetsRecus() == 0; }, 4000);
    JOUE(s, form2, 20000);

    QVERIFY(mesure > 100 * Protocole::LongueurBloc);
    QCOMPARE(legende(&form1), reception);
    QCOMPARE(Wemetteur->State(), int(Winsock::sckClosed));
    QVERIFY(!capture.isNull());
    const QString fichier = qEnvironmentVariable("BANDEPASSANTE_CAPTURE");
    if (!fichier.isEmpty())
        QVERIFY(capture.save(fichier));
}

void TestMesure::fermetureDeLaFenetre_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("while sending") << QStringList{"--ferme-en-envoi"};
    QTest::newRow("while waiting to connect") << QStringList{"--ferme-en-attente", "127.0.0.2"};
}

// The program ends inside the close: no loop resumes, nothing runs after.
void TestMesure::fermetureDeLaFenetre()
{
    QFETCH(QStringList, arguments);
    // Only while it waits: the program's own receiver listens on every
    // address of port 4444, which a listener on one of them would prevent.
    std::optional<Sourd> sourd;
    if (arguments.contains(QStringLiteral("127.0.0.2"))) {
        sourd.emplace("127.0.0.2");
        QVERIFY(sourd->pret());
    }
    const QString programme = QCoreApplication::applicationDirPath() + QStringLiteral("/hote_recepteur");
    QVERIFY2(QFileInfo(programme).isExecutable(), qPrintable(programme));

    QProcess hote;
    hote.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    hote.start(programme, arguments);
    QVERIFY(hote.waitForStarted());
    QVERIFY2(hote.waitForFinished(20000), "the program did not end");
    const QByteArray sortie = hote.readAllStandardOutput();
    QCOMPARE(hote.exitStatus(), QProcess::NormalExit);
    QCOMPARE(hote.exitCode(), 0);
    QVERIFY2(sortie.contains("\nfermeture\n"), sortie.right(300).constData());
    QVERIFY2(!sortie.contains("survie") && !sortie.contains("fin normale"), sortie.right(300).constData());
}

BANDEPASSANTE_NETWORK_TEST_MAIN(TestMesure)
#include "tst_mesure.moc"
