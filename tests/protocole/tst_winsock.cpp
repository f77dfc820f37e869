#include "SandboxGuard.h"
#include "protocole/AdresseSocket.h"
#include "protocole/Protocole.h"
#include "protocole/TuyauEnvoi.h"
#include "protocole/Winsock.h"

#include <QApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <netinet/in.h>
#include <sys/socket.h>
#include <atomic>
#include <future>
#include <thread>
#include <unistd.h>

namespace {

constexpr int Port = 5555;

// A receiving end the way the receiver window uses the control: on a
// request, close the listening socket and accept on it.
struct Serveur
{
    Winsock w{Winsock::Genre::Tcp};
    qint64 recus = 0;
    qint64 gardes = 0;
    qint64 annonces = 0;
    bool jette = false;
    QByteArray tampon;

    explicit Serveur(int port)
    {
        w.setLocalPort(port);
        QObject::connect(&w, &Winsock::ConnectionRequest, &w, [this](qint32 id) {
            w.Close();
            w.Accept(id);
        });
        QObject::connect(&w, &Winsock::DataArrival, &w, [this](qint64 n) {
            annonces += n;
            recus += w.GetData(tampon);
            gardes += tampon.size();
            if (jette)
                w.JetteDonnees();
        });
    }
};

// A listening socket that accepts nothing and reads nothing, so that the
// sender's queue fills up.
int ecouteSansLire(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int oui = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &oui, sizeof oui);
    const int petit = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &petit, sizeof petit);
    const sockaddr_in a = AdresseSocket(INADDR_LOOPBACK, quint16(port));
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&a), sizeof a) != 0 || ::listen(fd, 1) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Connects `w` to the test port on loopback and waits for the connection.
bool connecte(Winsock &w)
{
    QSignalSpy connexions(&w, &Winsock::Connected);
    return w.Connect(QStringLiteral("127.0.0.1"), Port) && connexions.wait(5000);
}

}

class TestWinsock : public QObject
{
    Q_OBJECT

private slots:
    void adresseLocale()
    {
        // The sandbox's default route goes through 10.44.0.1.
        Winsock w(Winsock::Genre::Tcp);
        QCOMPARE(w.LocalIP(), QStringLiteral("10.44.0.1"));
        QVERIFY(w.Listen());
        QCOMPARE(w.LocalIP(), QStringLiteral("10.44.0.1"));
    }

    // Every byte is counted, whether kept, dropped by the system, or read
    // and forgotten where the system cannot drop them.
    void recoitToutEtCompte_data()
    {
        QTest::addColumn<bool>("jette");
        QTest::addColumn<bool>("copiee");
        QTest::newRow("kept") << false << false;
        QTest::newRow("dropped") << true << false;
        QTest::newRow("dropped after a copy") << true << true;
    }

    void recoitToutEtCompte()
    {
        QFETCH(bool, jette);
        QFETCH(bool, copiee);
        Winsock::ForceLectureCopiee(copiee);
        Serveur s(Port);
        s.jette = jette;
        QVERIFY(s.w.Listen());
        QCOMPARE(s.w.State(), int(Winsock::sckListening));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, Port);
        QVERIFY(client.waitForConnected(5000));
        const QByteArray donnees(3 * 1000 * 1000 + 17, 'x');
        client.write(donnees);
        QTRY_COMPARE_WITH_TIMEOUT(s.recus, qint64(donnees.size()), 10000);
        Winsock::ForceLectureCopiee(false);
        QCOMPARE(s.annonces, s.recus);
        // Only the first read's bytes are kept once the rest is dropped.
        QVERIFY(jette ? s.gardes < s.recus : s.gardes == s.recus);
        QCOMPARE(s.w.State(), int(Winsock::sckConnected));
        QCOMPARE(s.w.RemoteHostIP(), QStringLiteral("127.0.0.1"));
        // Reached over loopback, not on the default route's 10.44.0.1.
        QCOMPARE(s.w.AdresseLocaleConnexion(), QStringLiteral("127.0.0.1"));
    }

    void ecouteDeNouveauApresFermeture_data()
    {
        QTest::addColumn<bool>("fermetureLocale");
        QTest::newRow("peer closes") << false;
        // Closing our end first leaves the port in TIME_WAIT.
        QTest::newRow("we close") << true;
    }

    void ecouteDeNouveauApresFermeture()
    {
        QFETCH(bool, fermetureLocale);
        Serveur s(Port);
        QSignalSpy fermetures(&s.w, &Winsock::Closed);
        for (int tour = 0; tour < 3; ++tour) {
            QVERIFY2(s.w.Listen(), qPrintable(s.w.DerniereErreur()));
            QTcpSocket client;
            client.connectToHost(QHostAddress::LocalHost, Port);
            QVERIFY(client.waitForConnected(5000));
            QTRY_COMPARE(s.w.State(), int(Winsock::sckConnected));
            if (fermetureLocale) {
                s.w.Close();
                QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
            } else {
                client.disconnectFromHost();
                QVERIFY(fermetures.wait(5000));
                // Our side stays open for sending until we close it.
                QCOMPARE(s.w.State(), int(Winsock::sckClosing));
                s.w.Close();
                QCOMPARE(s.w.State(), int(Winsock::sckClosed));
            }
        }
    }

    void unSeulClientALaFois()
    {
        Serveur s(Port);
        QVERIFY(s.w.Listen());
        QTcpSocket premier;
        premier.connectToHost(QHostAddress::LocalHost, Port);
        QVERIFY(premier.waitForConnected(5000));
        QTRY_COMPARE(s.w.State(), int(Winsock::sckConnected));
        QTcpSocket second;
        second.connectToHost(QHostAddress::LocalHost, Port);
        QVERIFY(!second.waitForConnected(5000));
        QCOMPARE(second.error(), QAbstractSocket::ConnectionRefusedError);
    }

    void demandeNonAccepteeRefusee()
    {
        Winsock w(Winsock::Genre::Tcp);
        w.setLocalPort(Port);
        QSignalSpy demandes(&w, &Winsock::ConnectionRequest);
        QVERIFY(w.Listen());
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, Port);
        QVERIFY(demandes.wait(5000));
        QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
        QVERIFY(!w.Accept(demandes.first().first().toInt()));
        QVERIFY(!w.Accept(0));
    }

    void personneNEcoute()
    {
        Winsock w(Winsock::Genre::Tcp);
        QSignalSpy erreurs(&w, &Winsock::Error);
        QSignalSpy connexions(&w, &Winsock::Connected);
        QVERIFY(w.Connect(QStringLiteral("127.0.0.1"), Port));
        QVERIFY2(!w.Connect(QStringLiteral("127.0.0.1"), Port), "a second attempt while one is pending is refused");
        QVERIFY(erreurs.wait(5000));
        QCOMPARE(erreurs.count(), 1);
        QCOMPARE(connexions.count(), 0);
        QCOMPARE(w.State(), int(Winsock::sckClosed));
        QVERIFY(w.Connect(QStringLiteral("127.0.0.1"), Port));
        QVERIFY(erreurs.wait(5000));
    }

    void nomInconnu_data()
    {
        QTest::addColumn<QString>("hote");
        QTest::newRow("unknown name") << QStringLiteral("hote-inconnu.invalid");
        QTest::newRow("empty") << QString();
        QTest::newRow("not an address") << QStringLiteral("999.1.2.3");
    }

    void nomInconnu()
    {
        QFETCH(QString, hote);
        Winsock w(Winsock::Genre::Tcp);
        QSignalSpy erreurs(&w, &Winsock::Error);
        w.Connect(hote, Port);
        QVERIFY(erreurs.wait(15000));
        QCOMPARE(w.State(), int(Winsock::sckClosed));
    }

    // Runs of the same block leave by reference to their pages, through a
    // pipe or from their file, the rest by plain writes. The peer reads only
    // once the queue is full, so the system refuses part of what it is
    // offered: the bytes must still come in the order of the calls, and the
    // runs queued meanwhile must wait for the bytes of the first run still
    // held in the pipe.
    void connecteEtEnvoieDansLOrdre_data()
    {
        QTest::addColumn<bool>("fichier");
        QTest::newRow("pipe") << false;
        QTest::newRow("file") << true;
    }

    void connecteEtEnvoieDansLOrdre()
    {
        QFETCH(bool, fichier);
        TuyauEnvoi::ForceFichier(fichier);
        const int ecoute = ecouteSansLire(Port);
        QVERIFY(ecoute >= 0);
        Winsock w(Winsock::Genre::Tcp);
        QSignalSpy connexions(&w, &Winsock::Connected);
        QVERIFY(w.Connect(QStringLiteral("localhost"), Port));
        QVERIFY(connexions.wait(5000));
        QVERIFY(!w.Connect(QStringLiteral("127.0.0.1"), Port));
        const int pair = ::accept(ecoute, nullptr, nullptr);
        QVERIFY(pair >= 0);
        QByteArray blocs[2];
        for (int i = 0; i < Protocole::LongueurBloc; ++i)
            blocs[0] += char(i * 7), blocs[1] += char(i * 7 + 1);
        QList<QByteArray> morceaux;
        QByteArray attendu;
        for (int i = 0; i < 9000; ++i)
            attendu += morceaux.emplace_back(i % 1000 < 900 ? blocs[i % 1000 / 450] : QByteArray::number(i) + ';');
        QByteArray recu;
        std::promise<void> depart;
        std::thread lecteur([&, lis = depart.get_future()] {
            lis.wait();
            char morceau[4096];
            ssize_t n;
            while (recu.size() < attendu.size() && (n = ::read(pair, morceau, sizeof morceau)) > 0)
                recu.append(morceau, n);
            ::shutdown(pair, SHUT_WR);
        });
        // The peer starts reading once the queue is full, or everything is
        // queued.
        QTimer plein;
        auto lance = [&] {
            if (plein.isActive())
                plein.stop(), depart.set_value();
        };
        connect(&plein, &QTimer::timeout, this, [&] {
            if (w.EnAttenteEnvoi() + Protocole::LongueurBloc > Winsock::FileEnvoiMax)
                lance();
        });
        plein.start(1);
        QSignalSpy fermetures(&w, &Winsock::Closed);
        for (const QByteArray &morceau : morceaux)
            QVERIFY(w.SendData(morceau));
        lance();
        QVERIFY(fermetures.wait(10000));
        lecteur.join();
        TuyauEnvoi::ForceFichier(false);
        w.Close();
        ::close(pair);
        ::close(ecoute);
        QCOMPARE(recu.size(), attendu.size());
        QVERIFY(recu == attendu);
        QVERIFY(!w.SendData("x"));
    }

    void fileDEnvoiBornee()
    {
        const int ecoute = ecouteSansLire(Port);
        QVERIFY(ecoute >= 0);
        Winsock w(Winsock::Genre::Tcp);
        QVERIFY(connecte(w));

        // Nobody reads: the queue fills, and the SendData() that finds it full
        // waits there, processing events, until the socket is closed.
        qint64 plusGrandeFile = 0;
        bool fermeePendantLAttente = false;
        QTimer surveillant;
        surveillant.setInterval(1);
        connect(&surveillant, &QTimer::timeout, this, [&] {
            plusGrandeFile = qMax(plusGrandeFile, w.EnAttenteEnvoi());
            if (w.EnAttenteEnvoi() + Protocole::LongueurBloc > Winsock::FileEnvoiMax) {
                fermeePendantLAttente = true;
                w.Close();
            }
        });
        surveillant.start();
        const QByteArray bloc = Protocole::BlocMesure();
        qint64 envoyes = 0;
        QElapsedTimer garde;
        garde.start();
        while (w.SendData(bloc) && !garde.hasExpired(20000))
            envoyes += bloc.size();
        QVERIFY(fermeePendantLAttente);
        QVERIFY(plusGrandeFile <= Winsock::FileEnvoiMax);
        QVERIFY(envoyes > Winsock::FileEnvoiMax);
        QCOMPARE(w.State(), int(Winsock::sckClosed));
        ::close(ecoute);
    }

    // The peer reads only once we close or end the stream: by then the
    // system has taken part of some block, and more of the run waits in the
    // pipe; what arrives must still be whole blocks, then the last line when
    // the stream was ended with one.
    void fermetureNeCoupePasUnEnvoi_data()
    {
        QTest::addColumn<QByteArray>("dernier");
        QTest::newRow("close") << QByteArray();
        QTest::newRow("end of the stream") << QByteArray("fin\n");
    }

    void fermetureNeCoupePasUnEnvoi()
    {
        QFETCH(QByteArray, dernier);
        const int ecoute = ecouteSansLire(Port);
        QVERIFY(ecoute >= 0);
        Winsock w(Winsock::Genre::Tcp);
        QVERIFY(connecte(w));
        const int pair = ::accept(ecoute, nullptr, nullptr);
        QVERIFY(pair >= 0);
        const QByteArray bloc = Protocole::BlocMesure();
        for (int i = 0; i < 3000; ++i)
            QVERIFY(w.SendData(bloc));
        QTRY_VERIFY(w.EnAttenteEnvoi() > 0 && w.EnAttenteEnvoi() % bloc.size() != 0);

        QByteArray recu;
        std::atomic<bool> fini = false;
        std::thread lecteur([&] {
            char morceau[65536];
            ssize_t n;
            while ((n = ::read(pair, morceau, sizeof morceau)) > 0)
                recu.append(morceau, n);
            fini = true;
        });
        // The rest of the started block follows from the event loop.
        if (dernier.isEmpty()) {
            w.Close();
            QCOMPARE(w.State(), int(Winsock::sckClosed));
        } else
            QVERIFY(w.TermineEnvoi(dernier));
        QTRY_VERIFY_WITH_TIMEOUT(fini, 10000);
        lecteur.join();
        w.Close();
        ::close(pair);
        ::close(ecoute);
        QVERIFY(recu.endsWith(dernier));
        recu.chop(dernier.size());
        QVERIFY(recu.size() > 0);
        QCOMPARE(recu.size() % bloc.size(), 0);
        QCOMPARE(recu.count('\r'), recu.size() / bloc.size());
        QCOMPARE(recu.right(bloc.size()), bloc);
    }

    // The reader runs on the same thread, as when both windows share one
    // program: it can only read once the close lets events flow. Repeated
    // with two busy loops loading the machine.
    void fermetureDansUnProgrammeSousCharge()
    {
        std::atomic<bool> fin = false;
        auto occupe = [&fin] {
            while (!fin.load(std::memory_order_relaxed)) {
            }
        };
        std::thread charge1(occupe), charge2(occupe);
        const auto arret = qScopeGuard([&] {
            fin = true;
            charge1.join();
            charge2.join();
        });
        QTcpServer serveur;
        QVERIFY(serveur.listen(QHostAddress::LocalHost, Port));
        // Accepted connections inherit the small buffer: the system takes
        // little before the reader reads.
        const int petit = 4096;
        ::setsockopt(int(serveur.socketDescriptor()), SOL_SOCKET, SO_RCVBUF, &petit, sizeof petit);
        const QByteArray bloc = Protocole::BlocMesure();
        for (int tour = 0; tour < 10; ++tour) {
            Winsock w(Winsock::Genre::Tcp);
            QVERIFY(connecte(w));
            QTRY_VERIFY(serveur.hasPendingConnections());
            std::unique_ptr<QTcpSocket> pair(serveur.nextPendingConnection());
            // The reader takes little until the close, so the system's
            // buffers fill and stop inside a block.
            pair->setReadBufferSize(4096);
            for (int i = 0; i < 3000; ++i)
                QVERIFY(w.SendData(bloc));
            QTRY_VERIFY(w.EnAttenteEnvoi() > 0 && w.EnAttenteEnvoi() % bloc.size() != 0);

            w.Close();
            QByteArray recu;
            pair->setReadBufferSize(0);
            connect(pair.get(), &QTcpSocket::readyRead, pair.get(), [&] { recu += pair->readAll(); });
            recu += pair->readAll();
            QTRY_COMPARE_WITH_TIMEOUT(pair->state(), QAbstractSocket::UnconnectedState, 10000);
            recu += pair->readAll();
            QVERIFY(recu.size() > 0);
            QCOMPARE(recu.size() % bloc.size(), 0);
            QCOMPARE(recu.count('\r'), recu.size() / bloc.size());
        }
    }

    void diffusionEntendueParDeuxProgrammes()
    {
        Winsock premier(Winsock::Genre::Udp);
        Winsock second(Winsock::Genre::Udp);
        QVERIFY(premier.Bind(Protocole::Port));
        QVERIFY2(second.Bind(Protocole::Port), "two copies on one machine both bind the port");
        QSignalSpy arriveesPremier(&premier, &Winsock::DataArrival);
        QSignalSpy arriveesSecond(&second, &Winsock::DataArrival);

        Winsock emetteur(Winsock::Genre::Udp);
        emetteur.setRemoteHost(QStringLiteral("255.255.255.255"));
        emetteur.setRemotePort(Protocole::Port);
        const QByteArray datagramme = Protocole::DatagrammePresence("10.44.0.1");
        QVERIFY2(emetteur.SendData(datagramme), qPrintable(emetteur.DerniereErreur()));

        QTRY_VERIFY(arriveesPremier.count() >= 1 && arriveesSecond.count() >= 1);
        QCOMPARE(arriveesPremier.first().first().toLongLong(), qint64(datagramme.size()));
        QByteArray recu;
        premier.GetData(recu);
        QCOMPARE(recu, datagramme);
        second.GetData(recu);
        QCOMPARE(recu, datagramme);
    }

    void grosDatagramme()
    {
        Winsock recepteur(Winsock::Genre::Udp);
        QVERIFY(recepteur.Bind(Port));
        QSignalSpy arrivees(&recepteur, &Winsock::DataArrival);
        Winsock emetteur(Winsock::Genre::Udp);
        emetteur.setRemoteHost(QStringLiteral("127.0.0.1"));
        emetteur.setRemotePort(Port);
        QByteArray gros(65507, '\xff');
        gros[0] = '<';
        QVERIFY(emetteur.SendData(gros));
        QVERIFY(arrivees.wait(5000));
        QByteArray recu;
        recepteur.GetData(recu);
        QCOMPARE(recu, gros);
    }

    void appelsRefuses()
    {
        Winsock udp(Winsock::Genre::Udp);
        QVERIFY(!udp.Listen());
        QVERIFY(!udp.Connect(QStringLiteral("127.0.0.1"), Port));
        udp.setRemoteHost(QStringLiteral("pas une adresse"));
        QVERIFY(!udp.SendData("x"));
        Winsock tcp(Winsock::Genre::Tcp);
        QVERIFY(!tcp.Bind(Port));
        QVERIFY(!tcp.SendData("x"));
        tcp.Close();
        tcp.Close();
        QCOMPARE(tcp.State(), int(Winsock::sckClosed));
        QVERIFY(tcp.Listen());
        QVERIFY(!tcp.Listen());
    }
};

BANDEPASSANTE_NETWORK_TEST_MAIN(TestWinsock)
#include "tst_winsock.moc"
