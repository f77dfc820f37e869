// The measuring port against what a browser, a transmitter and a hostile
// neighbour send it: how the first bytes are told apart, the browser's name,
// and clients that send too much, too slowly, malformed, or never read, none
// of which holds or crashes the receiver.

#include "../console/OutilsConsole.h"
#include "SandboxGuard.h"
#include "page/Accueil.h"
#include "page/ServeurPage.h"
#include "protocole/Protocole.h"

#include <QApplication>
#include <QTcpSocket>
#include <QWebSocket>
#include <QtTest>

#include <algorithm>

namespace {

// A GET on the receiver's port: the status line, or nothing when it closed
// without answering.
QByteArray get(const QByteArray &chemin)
{
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, Protocole::Port);
    if (!s.waitForConnected(5000))
        return {};
    s.write("GET " + chemin + " HTTP/1.1\r\nHost: 127.0.0.1:4444\r\n\r\n");
    QByteArray recu;
    while (!recu.contains("\r\n") && s.waitForReadyRead(5000))
        recu += s.readAll();
    return recu.left(recu.indexOf("\r\n"));
}

}

class TestPage : public QObject
{
    Q_OBJECT

private slots:
    void reconnaissance_data();
    void reconnaissance();
    void nomAppareil();
    void initTestCase();
    void hostiles_data();
    void hostiles();
    void foule();
    void fermeture();

private:
    Console recepteur_;
    int resumes_ = 0;
};

void TestPage::reconnaissance_data()
{
    QTest::addColumn<QByteArray>("debut");
    QTest::addColumn<int>("genre");
    using G = Accueil::Genre;
    QTest::newRow("the stream") << QByteArray("AAAA") << int(G::Transmetteur);
    QTest::newRow("a request line") << QByteArray("BandePassante 1 retour 10\r\n") << int(G::Transmetteur);
    QTest::newRow("nothing yet") << QByteArray() << int(G::Attente);
    QTest::newRow("the page") << QByteArray("GET / HTTP/1.1\r\n") << int(G::Http);
    QTest::newRow("a post") << QByteArray("POST /etat HTTP/1.1") << int(G::Http);
    QTest::newRow("half a method") << QByteArray("GE") << int(G::Attente);
    QTest::newRow("the measurement") << QByteArray("GET /ws HTTP/1.1") << int(G::WebSocket);
    QTest::newRow("the round trips") << QByteArray("GET /ws/latence HTTP") << int(G::WebSocket);
    QTest::newRow("maybe a WebSocket") << QByteArray("GET /w") << int(G::Attente);
    QTest::newRow("another page") << QByteArray("GET /wsx HTTP/1.1") << int(G::Http);
    QTest::newRow("a lowercase method") << QByteArray("get / HTTP/1.1") << int(G::Transmetteur);
}

void TestPage::reconnaissance()
{
    QFETCH(QByteArray, debut);
    QTEST(int(Accueil::Reconnait(debut)), "genre");
}

void TestPage::nomAppareil()
{
    QCOMPARE(ServeurPage::NomAppareil("Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) "
                                      "Chrome/131.0 Mobile Safari/537.36"),
             QStringLiteral("Chrome, Android"));
    QCOMPARE(ServeurPage::NomAppareil("Mozilla/5.0 (iPhone; CPU iPhone OS 17_5 like Mac OS X) AppleWebKit/605.1.15 "
                                      "(KHTML, like Gecko) Version/17.5 Mobile/15E148 Safari/604.1"),
             QStringLiteral("Safari, iPhone"));
    QCOMPARE(ServeurPage::NomAppareil("Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
                                      "Chrome/131.0 Safari/537.36 Edg/131.0"),
             QStringLiteral("Edge, Windows"));
    // Nothing of what came is kept but words of our own.
    QCOMPARE(ServeurPage::NomAppareil("\x1b]0;pwned\x07<script>"), QStringLiteral("navigateur"));
}

void TestPage::initTestCase()
{
    recepteur_.lance({QStringLiteral("recevoir"), QStringLiteral("--json")});
    QTRY_VERIFY_WITH_TIMEOUT(recepteur_.objets(QStringLiteral("page")).size() == 1, 10000);
    QCOMPARE(get("/"), QByteArray("HTTP/1.1 200 OK"));
}

// Each client is ended, within its bound, and the receiver goes on serving
// the page and measuring a transmitter.
void TestPage::hostiles_data()
{
    QTest::addColumn<QByteArray>("debut");
    // Sent once the receiver has answered the first part, as a browser waits
    // for the WebSocket's handshake.
    QTest::addColumn<QByteArray>("suite");
    QTest::addColumn<int>("finMs");
    const QByteArray poignee("GET /ws HTTP/1.1\r\nHost: 127.0.0.1:4444\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                             "Origin: http://127.0.0.1:4444\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                             "Sec-WebSocket-Version: 13\r\n\r\n");
    // A masked client frame (mask 0), as RFC 6455 asks of a client.
    const auto trame = [](quint8 code, const QByteArray &charge) {
        QByteArray t(1, char(0x80 | code));
        if (charge.size() < 126) {
            t += char(0x80 | charge.size());
        } else {
            t += char(0x80 | 127);
            for (int i = 7; i >= 0; --i)
                t += char((quint64(charge.size()) >> (8 * i)) & 0xff);
        }
        return t + QByteArray(4, '\0') + charge;
    };
    const QByteArray phase(R"({"type":"phase","sens":"descendant","duree":2,"test":"1","lieu":""})");
    QTest::newRow("a request over 64 KiB")
        << "GET / HTTP/1.1\r\nX: " + QByteArray(100 * 1024, 'x') + "\r\n\r\n" << QByteArray() << 5000;
    QTest::newRow("a request that never ends") << QByteArray("GET / HTTP/1.1\r\nX: y") << QByteArray() << 15000;
    QTest::newRow("a message over 1 MiB") << poignee << trame(2, QByteArray(2 * 1024 * 1024, 'A')) << 5000;
    QTest::newRow("a malformed frame") << poignee << QByteArray("\xff\xff\xff\xff\xff\xff", 6) << 5000;
    QTest::newRow("a download never read") << poignee << trame(1, phase) << 20000;
    QTest::newRow("an echo too long") << QByteArray(poignee).replace("/ws ", "/ws/latence ")
                                      << trame(1, QByteArray(65, '7')) << 5000;
}

void TestPage::hostiles()
{
    QFETCH(QByteArray, debut);
    QFETCH(QByteArray, suite);
    QFETCH(int, finMs);
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, Protocole::Port);
    QVERIFY(s.waitForConnected(5000));
    s.write(debut);
    if (!suite.isEmpty()) {
        QVERIFY(s.waitForReadyRead(5000));
        QVERIFY(s.readAll().startsWith("HTTP/1.1 101"));
        s.write(suite);
    }
    // A client that reads nothing of the download: only the systems'
    // buffers fill, and the receiver ends the phase, then the connection.
    const bool lit = QByteArray(QTest::currentDataTag()) != "a download never read";
    if (lit)
        connect(&s, &QTcpSocket::readyRead, &s, [&s] { s.readAll(); });
    else
        s.setReadBufferSize(1);
    QTRY_VERIFY2_WITH_TIMEOUT(lit ? s.state() == QAbstractSocket::UnconnectedState
                                  : recepteur_.objets(QStringLiteral("resume")).size() > resumes_,
                              qPrintable(recepteur_.erreurs()), finMs);
    resumes_ = int(recepteur_.objets(QStringLiteral("resume")).size());
    QVERIFY(recepteur_.enCours());
    QCOMPARE(get("/etat"), QByteArray("HTTP/1.1 200 OK"));
}

// A dozen connections at once from one address are all it may hold: one
// more is closed as it comes, and the page is served once they are gone.
void TestPage::foule()
{
    {
        std::vector<std::unique_ptr<QTcpSocket>> foule(13);
        for (auto &f : foule) {
            f = std::make_unique<QTcpSocket>();
            f->connectToHost(QHostAddress::LocalHost, Protocole::Port);
            QVERIFY(f->waitForConnected(5000));
            f->write("GET / HTTP/1.1\r\n");
        }
        // Which one is the thirteenth depends on the order the receiver
        // took them in.
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(foule.begin(), foule.end(),
                                             [](const auto &f) { return f->state() == QAbstractSocket::UnconnectedState; }),
                                 5000);
    }
    QTRY_COMPARE_WITH_TIMEOUT(get("/etat"), QByteArray("HTTP/1.1 200 OK"), 5000);
}

// A receiver closed while a page's WebSocket is still opening lets it go.
void TestPage::fermeture()
{
    const quint16 port = Protocole::Port + 1;
    auto serveur = std::make_unique<ServeurPage>();
    QVERIFY(serveur->ecoute(QHostAddress::LocalHost, port));
    QSignalSpy ouverts(&serveur->accueil(), &Accueil::webSocket);
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(s.waitForConnected(5000));
    s.write("GET /ws HTTP/1.1\r\nUpgrade: websocket\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(ouverts.size(), 1, 5000);
    serveur.reset();
    QTRY_COMPARE_WITH_TIMEOUT(s.state(), QAbstractSocket::UnconnectedState, 5000);
}

BANDEPASSANTE_NETWORK_TEST_MAIN(TestPage)
#include "tst_page.moc"
