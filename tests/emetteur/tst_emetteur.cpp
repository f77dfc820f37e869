// The transmitter window's connection control: the caption as state, the
// connect wait and the send loop inside the click, the blinking address box,
// and the exact stream it writes.

#include "OutilsEmetteur.h"
#include "Reinitialise.h"
#include "SandboxGuard.h"

#include <QApplication>
#include <QListWidget>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

namespace {

const QString Repos = QString::fromUtf8(Form2::CaptionDemarre);
const QString Connexion = QString::fromUtf8(Form2::CaptionConnexion);
const QString Connecte = QString::fromUtf8(Form2::CaptionConnecte);

}

class TestEmetteur : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Form2> f;
    Winsock *W = nullptr;
    QLineEdit *AdresseIP = nullptr;

private slots:
    void init()
    {
        f = std::make_unique<Form2>();
        W = f->findChild<Winsock *>(QStringLiteral("W"));
        AdresseIP = f->findChild<QLineEdit *>(QStringLiteral("AdresseIP"));
    }
    void cleanup() { f.reset(); }

    void clignotement_data();
    void clignotement();
    void fluxExact();
    void echecDeConnexion_data();
    void echecDeConnexion();
    void pressionPendantConnexion();
    void pairFerme_data();
    void pairFerme();
};

void TestEmetteur::clignotement_data()
{
    QTest::addColumn<QString>("etat");
    QTest::addColumn<QRgb>("avant");
    QTest::addColumn<QRgb>("apres");
    const QRgb rouge = qRgb(255, 0, 0);
    const QRgb jauneTranslucide = qRgba(255, 255, 128, 128);
    QTest::newRow("idle, yellow") << Repos << Form2::FondJaune << Form2::FondBlanc;
    QTest::newRow("idle, red") << Repos << rouge << Form2::FondBlanc;
    QTest::newRow("connecting, white") << Connexion << Form2::FondBlanc << Form2::FondJaune;
    QTest::newRow("connecting, yellow") << Connexion << Form2::FondJaune << Form2::FondBlanc;
    QTest::newRow("connecting, red") << Connexion << rouge << Form2::FondJaune;
    QTest::newRow("connecting, translucent yellow") << Connexion << jauneTranslucide << Form2::FondJaune;
    QTest::newRow("connected, white") << Connecte << Form2::FondBlanc << Form2::FondJaune;
    QTest::newRow("connected, yellow") << Connecte << Form2::FondJaune << Form2::FondBlanc;
    QTest::newRow("idle caption in other case") << QStringLiteral("démarre emetteur") << Form2::FondBlanc
                                                << Form2::FondJaune;
}

// One tick of the blink timer, whatever the box held before.
void TestEmetteur::clignotement()
{
    QFETCH(QString, etat);
    QFETCH(QRgb, avant);
    QFETCH(QRgb, apres);
    QCOMPARE(fond(f.get()), Form2::FondBlanc);

    auto *Clignotement = f->findChild<QTimer *>(QStringLiteral("Clignotement"));
    QVERIFY(Clignotement && Clignotement->isActive());
    QCOMPARE(Clignotement->interval(), 100);
    f->findChild<QPushButton *>(QStringLiteral("Command1"))->setText(etat);
    QPalette palette = AdresseIP->palette();
    palette.setColor(QPalette::Base, QColor::fromRgba(avant));
    AdresseIP->setPalette(palette);

    QSignalSpy tic(Clignotement, &QTimer::timeout);
    QVERIFY(tic.wait(1000));
    QCOMPARE(QColor::fromRgba(fond(f.get())), QColor::fromRgba(apres));

    // The box looks as the application's style draws it, in either colour
    // (its panel is drawn once and then copied): at most a step of rounding
    // at the antialiased corners.
    const QImage vue = AdresseIP->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    AdresseIP->setStyle(nullptr);
    const QImage attendue = AdresseIP->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(vue.size(), attendue.size());
    int ecartMax = 0;
    for (int y = 0; y < vue.height(); ++y) {
        for (int x = 0; x < vue.width(); ++x) {
            const QRgb a = vue.pixel(x, y), b = attendue.pixel(x, y);
            ecartMax = std::max({ecartMax, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                 std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
        }
    }
    QVERIFY2(ecartMax <= 2, qPrintable(QStringLiteral("differs by %1").arg(ecartMax)));
}

// A press against a plain TCP receiver: exact blocks, a bounded queue while
// the receiver stalls, the list still filling, and the press that ends it.
void TestEmetteur::fluxExact()
{
    Puits puits;
    QVERIFY(puits.enEcoute());
    QUdpSocket annonceur;
    QSignalSpy tics(f->findChild<QTimer *>(QStringLiteral("Clignotement")), &QTimer::timeout);
    auto *ListeServeur = f->findChild<QListWidget *>(QStringLiteral("ListeServeur"));
    qint64 fileMax = 0;
    qint64 recusALaPause = 0;
    QString etatApresChoix;

    Scenario s;
    s.puis([&] { appuie(f.get()); })
        .quand("connected", [&] { return legende(f.get()) == Connecte && puits.connexions() == 1; }, 3000)
        .quand("over 1000 blocks", [&] { return puits.recus() > 1100 * Protocole::LongueurBloc; }, 20000,
               [&] {
                   puits.pause(true);
                   recusALaPause = puits.recus();
                   tics.clear();
               })
        .quand("queue full while the receiver stalls",
               [&] {
                   fileMax = std::max(fileMax, W->EnAttenteEnvoi());
                   return W->EnAttenteEnvoi() > Winsock::FileEnvoiMax - Protocole::LongueurBloc;
               },
               20000,
               [&] {
                   annonceur.writeDatagram(Protocole::DatagrammePresence("127.0.0.3"), QHostAddress::LocalHost,
                                           Protocole::Port);
               })
        .quand("list fills and the box blinks while SendData waits",
               [&] {
                   fileMax = std::max(fileMax, W->EnAttenteEnvoi());
                   return ListeServeur->count() == 1 && tics.count() >= 3;
               },
               3000, [&] { ListeServeur->setCurrentRow(0); })
        .quand("the box holds the chosen entry", [&] { return AdresseIP->text() == QStringLiteral("127.0.0.3"); },
               1000,
               [&] {
                   etatApresChoix = legende(f.get());
                   puits.pause(false);
               })
        .quand("receiver reads again", [&] { return puits.recus() > recusALaPause + 8 * 1024 * 1024; }, 20000,
               [&] { appuie(f.get()); })
        .quand("idle at once", [&] { return legende(f.get()) == Repos; }, 500)
        .quand("receiver sees the close", [&] { return puits.ferme(); }, 5000);
    JOUE(s, f.get(), 90000);

    QCOMPARE(etatApresChoix, Connecte);
    QVERIFY2(fileMax <= Winsock::FileEnvoiMax, qPrintable(QString::number(fileMax)));
    QVERIFY(puits.conforme());
    QCOMPARE(puits.recus() % Protocole::LongueurBloc, 0);
    QVERIFY(puits.recus() / Protocole::LongueurBloc > 1000);
    QCOMPARE(puits.connexions(), 1);
    QCOMPARE(W->State(), int(Winsock::sckClosed));
    QCOMPARE(legende(f.get()), Repos);
}

void TestEmetteur::echecDeConnexion_data()
{
    QTest::addColumn<QString>("adresse");
    QTest::newRow("nobody listening") << QStringLiteral("127.0.0.1");
    QTest::newRow("unknown name") << QStringLiteral("hote-inconnu.invalid");
    QTest::newRow("empty text") << QString();
}

// The attempt fails: idle again, the box white within a tick, then the one
// request that ends the wait pass fails too, and nothing else follows.
void TestEmetteur::echecDeConnexion()
{
    QFETCH(QString, adresse);
    AdresseIP->setText(adresse);
    QPalette palette = AdresseIP->palette();
    palette.setColor(QPalette::Base, QColor::fromRgba(Form2::FondJaune));
    AdresseIP->setPalette(palette);
    QSignalSpy erreurs(W, &Winsock::Error);
    QString etatApresErreur;

    Scenario s;
    s.puis([&] { appuie(f.get()); })
        .quand("error event", [&] { return erreurs.count() == 1; }, 3000,
               [&] { etatApresErreur = legende(f.get()); })
        .quand("box white", [&] { return fond(f.get()) == Form2::FondBlanc; }, 500)
        .quand("second error, from the end of the wait pass", [&] { return erreurs.count() == 2; }, 3000);
    JOUE(s, f.get(), 10000);

    QCOMPARE(etatApresErreur, Repos);
    QCOMPARE(legende(f.get()), Repos);
    QCOMPARE(W->State(), int(Winsock::sckClosed));
    QTest::qWait(1200);
    QCOMPARE(erreurs.count(), 2);
}

// Pressed while an attempt hangs, the button restarts it with the text the
// box holds now; the run it interrupted ends without sending.
void TestEmetteur::pressionPendantConnexion()
{
    Sourd sourd("127.0.0.2");
    QVERIFY(sourd.pret());
    Puits puits;
    QVERIFY(puits.enEcoute());
    AdresseIP->setText(QStringLiteral("127.0.0.2"));
    QElapsedTimer duree;
    bool attendaitEncore = false;

    Scenario s;
    s.puis([&] { appuie(f.get()); })
        .quand("connecting", [&] { return legende(f.get()) == Connexion && W->State() == Winsock::sckConnecting; },
               1000, [&] { duree.start(); })
        .quand("a wait pass later", [&] { return duree.hasExpired(1500); }, 2000,
               [&] {
                   attendaitEncore = legende(f.get()) == Connexion && W->State() == Winsock::sckConnecting &&
                                     puits.connexions() == 0;
                   AdresseIP->setText(QStringLiteral("127.0.0.1"));
                   appuie(f.get());
               })
        .quand("attempt restarted towards the new text", [&] { return puits.connexions() == 1; }, 1000)
        .quand("streaming", [&] { return legende(f.get()) == Connecte && puits.recus() > 100 * 1025; }, 3000,
               [&] {
                   // The interrupted run still ends its pass with a connect
                   // request: let it find nobody.
                   puits.arreteDEcouter();
                   appuie(f.get());
               })
        .quand("idle", [&] { return legende(f.get()) == Repos && puits.ferme(); }, 3000);
    JOUE(s, f.get(), 20000);

    QVERIFY(attendaitEncore);
    QVERIFY(puits.conforme());
    QCOMPARE(puits.recus() % Protocole::LongueurBloc, 0);
    QCOMPARE(puits.connexions(), 1);
    QTRY_COMPARE(W->State(), int(Winsock::sckClosed));
    QCOMPARE(legende(f.get()), Repos);
}

void TestEmetteur::pairFerme_data()
{
    QTest::addColumn<bool>("abandon");
    QTest::addColumn<QString>("raison");
    QTest::newRow("end of stream") << false
                                   << QStringLiteral("fin de la mesure : 127.0.0.1:4444 a arrêté la réception");
    QTest::newRow("reset") << true
                           << QStringLiteral("connexion coupée par 127.0.0.1:4444 : le récepteur s'est arrêté "
                                             "brusquement (programme fermé ?)");
}

// The receiver closing mid-stream ends the sending, says so, and nothing
// retries.
void TestEmetteur::pairFerme()
{
    QFETCH(bool, abandon);
    QFETCH(QString, raison);
    Puits puits;
    QVERIFY(puits.enEcoute());
    QElapsedTimer connecte;
    QElapsedTimer duree;

    Scenario s;
    s.puis([&] { appuie(f.get()); })
        .quand("connected", [&] { return legende(f.get()) == Connecte; }, 3000, [&] { connecte.start(); })
        // Past the moment when a close means a receiver that turns us away.
        .quand("streaming",
               [&] {
                   return puits.recus() > 200 * Protocole::LongueurBloc &&
                          connecte.hasExpired(Form2::RefusOccupeMs + 200);
               },
               5000,
               [&] {
                   duree.start();
                   if (abandon)
                       reinitialise(puits.client());
                   else
                       ::shutdown(int(puits.client()->socketDescriptor()), SHUT_WR);
               })
        .quand("idle", [&] { return legende(f.get()) == Repos; }, 3000);
    JOUE(s, f.get(), 15000);

    qInfo("told after %lld ms", duree.elapsed());
    QCOMPARE(bulle(), raison);
    QCOMPARE(enLigne(AdresseIP->toolTip()), raison);
    QCOMPARE(W->State(), int(Winsock::sckClosed));
    QTest::qWait(1200);
    QCOMPARE(puits.connexions(), 1);
    QCOMPARE(legende(f.get()), Repos);
}

BANDEPASSANTE_NETWORK_TEST_MAIN(TestEmetteur)
#include "tst_emetteur.moc"
