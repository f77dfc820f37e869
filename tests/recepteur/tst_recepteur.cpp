#include "SandboxGuard.h"
#include "jauge/Joge.h"
#include "protocole/Protocole.h"
#include "protocole/Winsock.h"
#include "recepteur/Form1.h"
#include "outils/Evenements.h"
#include "emetteur/Form2.h"

#include <QApplication>
#include <QLabel>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

namespace {

int finsDemandees = 0;

void noteFin()
{
    ++finsDemandees;
}

}

// Drives the real receiver window, headless, inside the sandbox.
class TestRecepteur : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;
    QPushButton *bouton = nullptr;
    Joge *jauge = nullptr;
    QList<double> echantillons;

    // Everything the window has counted so far: the closed samples and the
    // open one.
    double compte() const
    {
        double total = jauge->modele().Echantillons()[0];
        for (double e : echantillons)
            total += e;
        return total;
    }

    QString legende() const { return bouton->text(); }

    bool connecte(QTcpSocket &client)
    {
        client.connectToHost(QHostAddress::LocalHost, Protocole::Port);
        return client.waitForConnected(5000);
    }

private slots:
    void initTestCase()
    {
        DefinitFinProgramme(&noteFin);
    }

    void init()
    {
        form = std::make_unique<Form1>();
        form->show();
        bouton = form->findChild<QPushButton *>(QStringLiteral("Command1"));
        jauge = form->findChild<Joge *>(QStringLiteral("Joge"));
        QVERIFY(bouton && jauge);
        echantillons.clear();
        connect(jauge, &Joge::ChangementValeur, this, [this](double &v) { echantillons << v; });
    }

    void cleanup()
    {
        form.reset();
    }

    void auDemarrage()
    {
        QCOMPARE(form->windowTitle(), QStringLiteral("Récepteur"));
        QCOMPARE(legende(), QStringLiteral("Démarrer RECEPTION"));
        QVERIFY(form->form2() && form->form2()->isVisible());
        QCOMPARE(form->form2()->windowTitle(), QStringLiteral("Emetteur"));
        // The transmitter window opens to the right of the receiver.
        QVERIFY(form->form2()->geometry().left() > form->geometry().right());
        QTcpSocket client;
        QVERIFY(!connecte(client));
        QVERIFY(!jauge->echantillonne());
    }

    void compteChaqueOctetParSeconde()
    {
        bouton->click();
        QCOMPARE(legende(), QStringLiteral("Arrêter Reception"));
        QVERIFY(jauge->echantillonne());
        QCOMPARE(jauge->periode(), 1000);
        QVERIFY(jauge->AutoLignement());

        QTcpSocket client;
        QVERIFY(connecte(client));
        const qint64 envoye = 5 * 1000 * 1000 + 3;
        client.write(QByteArray(envoye, '\x01'));
        // The first sample after a start is 100 higher than what arrived.
        QTRY_COMPARE_WITH_TIMEOUT(compte(), double(envoye + 100), 10000);

        // Once all of it is in closed samples, OctetsRecus holds the last one.
        QTRY_COMPARE_WITH_TIMEOUT(jauge->modele().Echantillons()[0], 0.0, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(!echantillons.isEmpty() && echantillons.last() == 0.0, 5000);
        double somme = 0;
        for (double e : echantillons)
            somme += e;
        QCOMPARE(somme, double(envoye + 100));
        QCOMPARE(form->OctetsRecus(), qint64(0));
        QVERIFY(jauge->maximum() >= 1.1 * *std::max_element(echantillons.begin(), echantillons.end()) - 1);

        // A lone write is one data arrival, and its size is the packet size.
        const double avant = compte();
        client.write(QByteArray(777, 'A'));
        QTRY_COMPARE(compte(), avant + 777);
        QCOMPARE(form->TaillePaquets(), qint64(777));
        QTRY_COMPARE_WITH_TIMEOUT(form->OctetsRecus(), qint64(777), 3000);
    }

    void arretFermeLaConnexion()
    {
        bouton->click();
        QTcpSocket client;
        QVERIFY(connecte(client));
        client.write(QByteArray(1000, 'A'));
        QTRY_COMPARE(compte(), 1100.0);
        bouton->click();
        QCOMPARE(legende(), QStringLiteral("Démarrer RECEPTION"));
        QVERIFY(!jauge->echantillonne());
        QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
        QTcpSocket autre;
        QVERIFY(!connecte(autre));
        // Stopping keeps the open sample: it counts in the next start's first sample.
        QCOMPARE(jauge->modele().Echantillons()[0], 1100.0);
    }

    void unEmetteurALaFois()
    {
        bouton->click();
        QTcpSocket premier;
        QVERIFY(connecte(premier));
        premier.write(QByteArray(1000, 'A'));
        QTRY_COMPARE(compte(), 1100.0);

        // A second waits while the first is measured, its bytes not counted,
        // and is measured as soon as the first leaves.
        QTcpSocket second;
        QVERIFY(connecte(second));
        second.write(QByteArray(2000, 'A'));
        QVERIFY(!QTest::qWaitFor([&] { return compte() != 1100.0; }, 500));
        premier.disconnectFromHost();
        QTRY_COMPARE(compte(), 3100.0);
        QCOMPARE(legende(), QStringLiteral("Arrêter Reception"));
    }

    void datagrammeDePresence()
    {
        QUdpSocket ecoute;
        QVERIFY(ecoute.bind(QHostAddress::AnyIPv4, Protocole::Port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
        QElapsedTimer depuis;
        depuis.start();
        // Announced whether reception runs or not, about a second after start.
        QTRY_VERIFY_WITH_TIMEOUT(ecoute.hasPendingDatagrams(), 5000);
        QVERIFY(depuis.elapsed() < 2500);
        QNetworkDatagram d = ecoute.receiveDatagram();
        QCOMPARE(d.data(), QByteArray("Trevalon Analyseur BandePassante : 10.44.0.1"));
        QCOMPARE(d.destinationPort(), int(Protocole::Port));
        // The next one comes 30 seconds later, not at the next second.
        QVERIFY(!QTest::qWaitFor([&] { return ecoute.hasPendingDatagrams(); }, 2500));
    }

    void portOccupeDitLeVrai()
    {
        QTcpServer intrus;
        QVERIFY(intrus.listen(QHostAddress::AnyIPv4, Protocole::Port));
        QLabel *alerte = form->findChild<QLabel *>(QStringLiteral("Alerte"));
        QVERIFY(alerte);
        QVERIFY(!alerte->isVisible());
        bouton->click();
        QCOMPARE(legende(), QStringLiteral("Arrêter Reception"));
        QVERIFY(alerte->isVisible());
        QVERIFY(alerte->text().contains(QStringLiteral("4444")));

        intrus.close();
        bouton->click();
        bouton->click();
        QVERIFY(!alerte->isVisible());
        QTcpSocket client;
        QVERIFY(connecte(client));
    }

    void portLibereEcouteDeNouveau_data()
    {
        QTest::addColumn<bool>("arretee");
        QTest::newRow("reception on") << false;
        QTest::newRow("reception stopped") << true;
    }

    // While reception is on and the port is taken, listening is tried again
    // every 2 s, and the banner goes by itself once it works; a stopped
    // receiver tries nothing.
    void portLibereEcouteDeNouveau()
    {
        QFETCH(bool, arretee);
        auto intrus = std::make_unique<QTcpServer>();
        QVERIFY(intrus->listen(QHostAddress::AnyIPv4, Protocole::Port));
        QLabel *alerte = form->findChild<QLabel *>(QStringLiteral("Alerte"));
        bouton->click();
        QVERIFY(alerte->isVisible());
        QTest::qWait(Form1::ReessaiEcouteMs + 500);
        QVERIFY(alerte->isVisible());
        if (arretee)
            bouton->click();

        intrus.reset();
        QElapsedTimer libre;
        libre.start();
        if (arretee) {
            QTest::qWait(Form1::ReessaiEcouteMs + 500);
            QTcpSocket client;
            QVERIFY(!connecte(client));
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(!alerte->isVisible(), Form1::ReessaiEcouteMs + 1000);
        qInfo("listening again %lld ms after the port was freed", libre.elapsed());
        QCOMPARE(legende(), QStringLiteral("Arrêter Reception"));
        QTcpSocket client;
        QVERIFY(connecte(client));
    }

    void fermerUneFenetreTermineLeProgramme_data()
    {
        QTest::addColumn<bool>("recepteur");
        QTest::newRow("receiver") << true;
        QTest::newRow("transmitter") << false;
    }

    void fermerUneFenetreTermineLeProgramme()
    {
        QFETCH(bool, recepteur);
        finsDemandees = 0;
        QWidget *fenetre = recepteur ? static_cast<QWidget *>(form.get()) : form->form2();
        fenetre->close();
        QCOMPARE(finsDemandees, 1);
    }
};

BANDEPASSANTE_NETWORK_TEST_MAIN(TestRecepteur)
#include "tst_recepteur.moc"
