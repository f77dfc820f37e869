#include "SandboxGuard.h"
#include "jauge/Joge.h"
#include "protocole/Protocole.h"
#include "recepteur/Etiquette.h"
#include "recepteur/Form1.h"
#include "outils/Evenements.h"
#include "outils/Twips.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

namespace {

void sansFin()
{
}

}

// The statistics label and the gauge's fit to the window, on the real
// receiver window, inside the sandbox.
class TestPanneau : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;
    Etiquette *infos = nullptr;
    Joge *jauge = nullptr;

    QStringList lignes() const { return infos->Caption().split(QLatin1Char('\r')); }

    // Makes the gauge close one sample of `octets` with the scale at
    // `maximum`, as a second of reception would.
    void fermeEchantillon(double octets, double maximum)
    {
        jauge->setMaximum(maximum);
        jauge->Valeur(octets);
        int ticks = 0;
        const QMetaObject::Connection c =
            connect(jauge, &Joge::ChangementValeur, this, [&](double &) { ++ticks; });
        jauge->tempo(1);
        QTRY_VERIFY(ticks > 0);
        jauge->ARRET();
        disconnect(c);
    }

private slots:
    void initTestCase()
    {
        DefinitFinProgramme(&sansFin);
    }

    void init()
    {
        form = std::make_unique<Form1>();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        infos = form->findChild<Etiquette *>(QStringLiteral("infos"));
        jauge = form->findChild<Joge *>(QStringLiteral("Joge"));
        QVERIFY(infos && jauge);
    }

    void cleanup()
    {
        form.reset();
    }

    // Before reception has ever started.
    void auPremierTick()
    {
        QTRY_VERIFY(infos->Caption() != QLatin1String("infos"));
        const QString texte = infos->Caption();
        QCOMPARE(texte.count(QLatin1Char('\r')), 6);
        QVERIFY(!texte.contains(QLatin1Char('\n')));

        const QStringList l = lignes();
        QVERIFY(l[0].startsWith(QLatin1String("Mon IP : ")));
        QVERIFY(QHostAddress(l[0].mid(9)).protocol() == QAbstractSocket::IPv4Protocol);
        QCOMPARE(l[1], QStringLiteral("Connexion : "));
        QCOMPARE(l[2], QStringLiteral("local Port : 4444"));
        QCOMPARE(l[3], QStringLiteral("Données reçues : 0 Octets/s"));
        QCOMPARE(l[4], QStringLiteral("Données reçues : 0 Bits/s"));
        QCOMPARE(l[5], QStringLiteral("Maximum : 800 Bits/s"));
        QCOMPARE(l[6], QStringLiteral("TaillePaquets : 0 Octets"));

        // Shown one line per row.
        QCOMPARE(infos->Lignes(), l);
    }

    void lignesChiffrees_data()
    {
        QTest::addColumn<double>("octets");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<QString>("ligne4");
        QTest::addColumn<QString>("ligne5");
        QTest::addColumn<QString>("ligne6");

        QTest::newRow("1250000 at 1375000") << 1250000.0 << 1375000.0 << "Données reçues : 1,2 Mo/s"
                                            << "Données reçues : 9,5 Mb/s" << "Maximum : 10,5 Mb/s";
        QTest::newRow("2 Gb/s is not empty") << 268435456.0 << 295279001.6 << "Données reçues : 256,0 Mo/s"
                                             << "Données reçues : 2,0 Gb/s" << "Maximum : 2,2 Gb/s";
        QTest::newRow("10 Gb/s link, 64-bit count") << 1250000000.0 << 1375000000.0 << "Données reçues : 1,2 Go/s"
                                                    << "Données reçues : 9,3 Gb/s" << "Maximum : 10,2 Gb/s";
    }

    void lignesChiffrees()
    {
        QFETCH(double, octets);
        QFETCH(double, maximum);
        QFETCH(QString, ligne4);
        QFETCH(QString, ligne5);
        QFETCH(QString, ligne6);

        fermeEchantillon(octets, maximum);
        QCOMPARE(form->OctetsRecus(), qint64(octets));
        QTRY_COMPARE(lignes().value(3), ligne4);
        const QStringList l = lignes();
        QCOMPARE(l.size(), 7);
        QCOMPARE(l[4], ligne5);
        QCOMPARE(l[5], ligne6);
        QCOMPARE(l[6], QStringLiteral("TaillePaquets : 0 Octets"));
    }

    // Seven rows of the widest figures fit the label's area.
    void lisible()
    {
        QCOMPARE(QFontInfo(infos->font()).family(), QStringLiteral("DejaVu Sans"));
        const QFontMetrics fm(infos->font());
        QCOMPARE(infos->size(), RectTwips(120, 480, 2535, 1455).size());
        QVERIFY2(7 * fm.lineSpacing() <= infos->contentsRect().height(),
                 qPrintable(QStringLiteral("line spacing %1").arg(fm.lineSpacing())));
        const QStringList larges = {
            QStringLiteral("Mon IP : 255.255.255.255"),
            QStringLiteral("Connexion : 255.255.255.255"),
            QStringLiteral("Données reçues : 1023,9 Ko/s"),
            QStringLiteral("Données reçues : 1023,9 Mb/s"),
            QStringLiteral("Maximum : 1023,9 Mb/s"),
            QStringLiteral("TaillePaquets : 1023,9 Ko"),
        };
        for (const QString &ligne : larges)
            QVERIFY2(fm.horizontalAdvance(ligne) <= infos->contentsRect().width(), qPrintable(ligne));
        // While this machine sends, the widest rows are condensed a little
        // rather than cut: their last character still shows.
        for (const QString &ligne : {QStringLiteral("Données envoyées : 1023,9 Mo/s"),
                                     QStringLiteral("Données envoyées : 943,2 Mb/s")}) {
            QVERIFY2(fm.horizontalAdvance(ligne) * 85 / 100 <= infos->contentsRect().width(), qPrintable(ligne));
            infos->setCaption(ligne);
            const QImage entiere = infos->grab().toImage();
            infos->setCaption(ligne.chopped(1));
            QVERIFY2(infos->grab().toImage() != entiere, qPrintable(ligne));
        }
    }

    void calculeJauge_data()
    {
        QTest::addColumn<float>("largeurClient");
        QTest::addColumn<float>("hauteurClient");
        QTest::addColumn<float>("largeur");
        QTest::addColumn<float>("hauteur");

        // -1: the dimension is left as it is.
        QTest::newRow("4000 x 6000") << 4000.f << 6000.f << 3760.f << 3960.f;
        QTest::newRow("as created") << 2745.f << 5415.f << 2505.f << 3375.f;
        QTest::newRow("just enough: zero") << 240.f << 2040.f << 0.f << 0.f;
        QTest::newRow("too small") << 239.f << 2039.f << -1.f << -1.f;
        QTest::newRow("too low") << 1500.f << 1500.f << 1260.f << -1.f;
        QTest::newRow("minimised: no client area") << 0.f << 0.f << -1.f << -1.f;
        QTest::newRow("single precision") << 4000.1f << 6000.1f << 4000.1f - 240.f << 6000.1f - 2040.f;
    }

    void calculeJauge()
    {
        QFETCH(float, largeurClient);
        QFETCH(float, hauteurClient);
        QFETCH(float, largeur);
        QFETCH(float, hauteur);
        const Form1::DimensionsJauge d = Form1::CalculeJauge(largeurClient, hauteurClient, 120.f, 1920.f);
        QCOMPARE(d.largeur.value_or(-1.f), largeur);
        QCOMPARE(d.hauteur.value_or(-1.f), hauteur);
    }

    // In pixels, 15 twips each: the gauge follows the window; the button and
    // the label stay where they are.
    void redimensionne_data()
    {
        QTest::addColumn<QSize>("fenetre");
        QTest::addColumn<QSize>("attendue");

        // 4020 x 6000 twips: 3780 x 3960 twips of gauge.
        QTest::newRow("268 x 400") << QSize(268, 400) << QSize(252, 264);
        QTest::newRow("as created") << QSize(183, 361) << QSize(167, 225);
        QTest::newRow("too low: height kept") << QSize(100, 100) << QSize(84, 225);
        QTest::newRow("too narrow: width kept") << QSize(13, 400) << QSize(167, 264);
    }

    void redimensionne()
    {
        QFETCH(QSize, fenetre);
        QFETCH(QSize, attendue);
        // When first shown, the gauge fits the window as created.
        QCOMPARE(jauge->geometry(), QRect(8, 128, 167, 225));

        form->resize(fenetre);
        QTRY_COMPARE(form->size(), fenetre);
        QCOMPARE(jauge->size(), attendue);
        QCOMPARE(jauge->pos(), QPoint(8, 128));
        QCOMPARE(form->findChild<QPushButton *>(QStringLiteral("Command1"))->geometry(), RectTwips(120, 120, 2415, 315));
        QCOMPARE(infos->geometry(), RectTwips(120, 480, 2535, 1455));
        // The history follows the gauge's width.
        QCOMPARE(jauge->modele().N(), attendue.width());
    }

    void minimiserGardeLaTaille()
    {
        form->resize(268, 400);
        QTRY_COMPARE(jauge->size(), QSize(252, 264));
        form->showMinimized();
        QTRY_VERIFY(form->isMinimized());
        form->resize(50, 50);
        QCOMPARE(jauge->size(), QSize(252, 264));
    }

    // A real measurement over the loopback: the figures and the chart move.
    // With BANDEPASSANTE_CAPTURE naming a PNG file, the window is saved there
    // after a longer run.
    void pendantUneMesure()
    {
        const QString capture = qEnvironmentVariable("BANDEPASSANTE_CAPTURE");
        form->findChild<QPushButton *>(QStringLiteral("Command1"))->click();

        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, Protocole::Port);
        QVERIFY(client.waitForConnected(5000));
        // Blocks of the measurement stream, as fast as the connection takes
        // them, a quarter of a megabyte queued at most.
        const QByteArray bloc = Protocole::BlocMesure();
        const auto envoie = [&] {
            while (client.state() == QAbstractSocket::ConnectedState && client.bytesToWrite() < 256 * 1024)
                client.write(bloc);
        };
        connect(&client, &QTcpSocket::bytesWritten, this, envoie);
        envoie();

        QTRY_COMPARE(lignes().value(1), QStringLiteral("Connexion : 127.0.0.1"));
        QVERIFY(lignes().value(0).startsWith(QLatin1String("Mon IP : ")));
        QTRY_VERIFY_WITH_TIMEOUT(form->OctetsRecus() > 100 * 1000, 5000);

        const QRegularExpression debit(QStringLiteral("^Données reçues : \\d+,\\d [KMG]o/s$"));
        QTRY_VERIFY(debit.match(lignes().value(3)).hasMatch());
        QVERIFY2(QRegularExpression(QStringLiteral("^Données reçues : \\d+,\\d [KMG]b/s$")).match(lignes().value(4)).hasMatch(),
                 qPrintable(lignes().value(4)));
        QVERIFY(QRegularExpression(QStringLiteral("^Maximum : \\d+,\\d [KMG]b/s$")).match(lignes().value(5)).hasMatch());
        QVERIFY(QRegularExpression(QStringLiteral("^TaillePaquets : \\d+(,\\d [KMG]o| Octets)$")).match(lignes().value(6)).hasMatch());
        QVERIFY(form->TaillePaquets() > 0);

        // The newest closed sample is on the chart, below the top.
        const QImage vue = jauge->grab().toImage();
        int courbe = 0;
        for (int y = 0; y < vue.height(); ++y)
            courbe += (vue.pixel(vue.width() - 1, y) & 0xFFFFFF) == 0x00FF00;
        QVERIFY(courbe > 0);

        if (!capture.isEmpty()) {
            QElapsedTimer t;
            t.start();
            QTRY_VERIFY_WITH_TIMEOUT(t.hasExpired(12000), 15000);
            QVERIFY(form->grab().save(capture));
        }
        client.abort();
    }
};

BANDEPASSANTE_NETWORK_TEST_MAIN(TestPanneau)
#include "tst_panneau.moc"
