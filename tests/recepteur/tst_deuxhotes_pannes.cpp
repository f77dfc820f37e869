// Peers that fail the receiver: one that vanishes in the middle of its stream
// (host B stops answering, its FIN never comes) and one that connects and
// says nothing. Either way the receiver gives the slot up by itself and a
// second transmitter is served in time.

#include "HoteB.h"
#include "SandboxGuard.h"
#include "protocole/Protocole.h"
#include "protocole/Winsock.h"
#include "recepteur/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTcpSocket>
#include <QtTest>

namespace {

const QString AdresseA = QStringLiteral("10.45.0.1");

// nsenter's arguments that run `script` with bash on host B.
QStringList surB(const QString &script)
{
    return HoteB::Arguments(QStringLiteral("bash"), {QStringLiteral("-c"), script});
}

}

class TestPannes : public QObject
{
    Q_OBJECT

private slots:
    void slotRendu_data();
    void slotRendu();
};

void TestPannes::slotRendu_data()
{
    QTest::addColumn<QString>("pair");
    QTest::addColumn<bool>("disparait");
    QTest::addColumn<int>("delaiMaxMs");
    const QString connexion = QStringLiteral("exec 3<>/dev/tcp/10.45.0.1/%1 && ").arg(Protocole::Port);
    QTest::newRow("vanishes mid-stream") << connexion + QStringLiteral("exec yes AAAA >&3") << true << 20000;
    QTest::newRow("says nothing") << connexion + QStringLiteral("exec sleep 600") << false
                                  << Form1::SilenceMaxMs + 2000;
}

void TestPannes::slotRendu()
{
    QFETCH(QString, pair);
    QFETCH(bool, disparait);
    QFETCH(int, delaiMaxMs);
    QVERIFY2(HoteB::Existe(), "host B is missing: run under scripts/sandbox --two-hosts");

    Form1 form1;
    auto *W = form1.findChild<Winsock *>(QStringLiteral("W"));
    form1.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    QTRY_COMPARE(form1.EtatReception(), int(Winsock::sckListening));

    QProcess b;
    b.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    b.start(QStringLiteral("nsenter"), surB(pair));
    QVERIFY(b.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(W->State(), int(Winsock::sckConnected), 10000);
    QCOMPARE(W->RemoteHostIP(), QStringLiteral("10.45.0.2"));

    if (disparait) {
        QTRY_VERIFY_WITH_TIMEOUT(form1.TaillePaquets() > 0, 10000);
        // From now on nothing from B reaches A: no data, no answer to a
        // probe, no FIN.
        QCOMPARE(QProcess::execute(QStringLiteral("nsenter"),
                                   surB(QStringLiteral("ip route add blackhole %1/32").arg(AdresseA))),
                 0);
    }
    QElapsedTimer panne;
    panne.start();
    QTRY_COMPARE_WITH_TIMEOUT(form1.EtatReception(), int(Winsock::sckListening), delaiMaxMs + 5000);
    const qint64 rendu = panne.elapsed();

    // A second transmitter, here on host A, is accepted and counted.
    QSignalSpy arrivees(W, &Winsock::DataArrival);
    QTcpSocket second;
    second.connectToHost(AdresseA, Protocole::Port);
    QVERIFY(second.waitForConnected(5000));
    second.write(Protocole::BlocMesure());
    QTRY_VERIFY_WITH_TIMEOUT(arrivees.count() > 0, 5000);
    const qint64 servi = panne.elapsed();
    QCOMPARE(W->RemoteHostIP(), AdresseA);
    QCOMPARE(W->State(), int(Winsock::sckConnected));

    qInfo("slot free after %lld ms, second transmitter served after %lld ms", rendu, servi);
    QVERIFY2(servi <= delaiMaxMs, qPrintable(QString::number(servi)));
    b.kill();
    b.waitForFinished();
    if (disparait)
        QProcess::execute(QStringLiteral("nsenter"), surB(QStringLiteral("ip route del blackhole %1/32").arg(AdresseA)));
}

BANDEPASSANTE_NETWORK_TEST_MAIN(TestPannes)
#include "tst_deuxhotes_pannes.moc"
