// The console program as a person or a script meets it, on one host: its
// command line, its JSON against a stream of known pace, its faults and
// their exit codes, an interruption mid-measurement, the listing among junk
// datagrams, and a start with no display at all.

#include "../emetteur/OutilsEmetteur.h"
#include "OutilsConsole.h"
#include "Reinitialise.h"
#include "SandboxGuard.h"
#include "recepteur/Form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>

namespace {

// A client that sends the measurement stream to 127.0.0.1:4444 at exactly
// `octetsParSeconde`: every few milliseconds it sends what it owes since it
// connected, so a late tick is made up by the next one.
class Cadence : public QObject
{
public:
    explicit Cadence(qint64 octetsParSeconde)
        : debit_(octetsParSeconde)
    {
        connect(&socket_, &QTcpSocket::connected, this, [this] {
            depuis_.start();
            tic_.start(5);
        });
        connect(&tic_, &QTimer::timeout, this, [this] { envoie(); });
        socket_.connectToHost(QHostAddress::LocalHost, Protocole::Port);
    }
    qint64 envoyes() const { return envoyes_; }
    bool connecte() const { return socket_.state() == QAbstractSocket::ConnectedState; }
    // Stops sending; every byte sent is then on its way.
    void arrete()
    {
        tic_.stop();
        socket_.disconnectFromHost();
    }

private:
    void envoie()
    {
        const qint64 du = debit_ * depuis_.nsecsElapsed() / 1000000000 - envoyes_;
        QByteArray morceau(du, 'A');
        for (qint64 i = 0; i < du; ++i) {
            if ((envoyes_ + i) % Protocole::LongueurBloc == Protocole::LongueurBloc - 1)
                morceau[i] = '\r';
        }
        socket_.write(morceau);
        envoyes_ += du;
    }

    const qint64 debit_;
    QTcpSocket socket_;
    QTimer tic_;
    QElapsedTimer depuis_;
    qint64 envoyes_ = 0;
};

}

class TestConsole : public QObject
{
    Q_OBJECT

private slots:
    void ligneDeCommande_data();
    void ligneDeCommande();
    void connexionImpossible_data();
    void connexionImpossible();
    void portPris();
    void jsonDUnFluxCadence();
    void interruptionDuRecepteur();
    void interruptionDeLEmetteur_data();
    void interruptionDeLEmetteur();
    void coupures_data();
    void coupures();
    void emetteurQuiNEnvoieRien();
    void silencePuisPortGarde();
    void finVoulueParLeRecepteur_data();
    void finVoulueParLeRecepteur();
    void metriques();
    void sortieImpossible_data();
    void sortieImpossible();
    void serveursParmiDesDatagrammesQuelconques_data();
    void serveursParmiDesDatagrammesQuelconques();
    void sansAffichage();
};

void TestConsole::ligneDeCommande_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("sortie");
    QTest::addColumn<QString>("erreur");

    const QString usage = QStringLiteral("Utilisation :");
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << 0 << usage << QString();
    QTest::newRow("-h") << QStringList{QStringLiteral("-h")} << 0 << usage << QString();
    QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << 0
                               << QStringLiteral("bandepassante-console " BANDEPASSANTE_VERSION) << QString();
    QTest::newRow("-v") << QStringList{QStringLiteral("-v")} << 0 << QStringLiteral(BANDEPASSANTE_VERSION)
                        << QString();
    QTest::newRow("nothing") << QStringList{} << 2 << QString() << QStringLiteral("il manque la commande");
    QTest::newRow("unknown command") << QStringList{QStringLiteral("mesurer")} << 2 << QString()
                                     << QStringLiteral("commande inconnue « mesurer »");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("recevoir"), QStringLiteral("--vite")} << 2
                                    << QString() << QStringLiteral("option inconnue « --vite »");
    QTest::newRow("missing HOTE") << QStringList{QStringLiteral("send")} << 2 << QString()
                                  << QStringLiteral("il manque HOTE");
    QTest::newRow("one argument too many")
        << QStringList{QStringLiteral("list"), QStringLiteral("10.0.0.1")} << 2 << QString()
        << QStringLiteral("argument en trop « 10.0.0.1 »");
    QTest::newRow("option of another command")
        << QStringList{QStringLiteral("serveurs"), QStringLiteral("--once")} << 2 << QString()
        << QStringLiteral("--une-fois ne s'applique pas à serveurs");
    QTest::newRow("duration not a number")
        << QStringList{QStringLiteral("emettre"), QStringLiteral("10.44.0.2"), QStringLiteral("--time"),
                       QStringLiteral("dix")}
        << 2 << QString() << QStringLiteral("--duree veut un nombre entier de secondes");
    QTest::newRow("port out of range")
        << QStringList{QStringLiteral("receive"), QStringLiteral("--port"), QStringLiteral("70000")} << 2
        << QString() << QStringLiteral("--port veut un numéro de port");
    QTest::newRow("test duration not a number")
        << QStringList{QStringLiteral("test"), QStringLiteral("10.44.0.2"), QStringLiteral("--duree"),
                       QStringLiteral("abc")}
        << 2 << QString() << QStringLiteral("--duree veut un nombre entier de secondes de 1 à 60 avec test");
    QTest::newRow("IPv6 metrics without brackets")
        << QStringList{QStringLiteral("recevoir"), QStringLiteral("--metriques"), QStringLiteral("::1:9444")} << 2
        << QString() << QStringLiteral("[IPV6]:PORT");
    QTest::newRow("wait of zero")
        << QStringList{QStringLiteral("emettre"), QStringLiteral("10.44.0.2"), QStringLiteral("--wait=0")} << 2
        << QString() << QStringLiteral("--attente veut");
}

void TestConsole::ligneDeCommande()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, sortie);
    QFETCH(QString, erreur);

    Console c;
    c.lance(arguments);
    QTRY_VERIFY_WITH_TIMEOUT(!c.enCours(), 10000);
    QCOMPARE(c.code(), code);
    if (!sortie.isEmpty())
        QVERIFY2(c.lignes().join(u'\n').contains(sortie), qPrintable(c.lignes().join(u'\n')));
    if (code == 2) {
        // What is wrong, then the usage, and nothing on standard output.
        QVERIFY2(c.erreurs().contains(erreur), qPrintable(c.erreurs()));
        QVERIFY(c.erreurs().contains(QStringLiteral("Utilisation :")));
        QVERIFY(c.lignes().isEmpty());
    }
}

void TestConsole::connexionImpossible_data()
{
    QTest::addColumn<QString>("hote");
    QTest::addColumn<QString>("preparation");
    QTest::addColumn<QStringList>("attendu");
    QTest::addColumn<int>("maxMs");

    const QString causes = QStringLiteral("la réception n'est pas démarrée sur cette machine, ou un pare-feu ferme "
                                          "le port TCP 4444");
    // Nobody listens on port 4444 of loopback: asked again until --attente.
    QTest::newRow("refused") << QStringLiteral("127.0.0.1") << QString()
                             << QStringList{QStringLiteral("connexion à 127.0.0.1, port TCP 4444, en 2 s"),
                                            QStringLiteral("connexion refusée"), causes}
                             << 6000;
    // An address of the sandbox's own link that nobody holds: the system
    // gives up on its neighbour lookup after about 3 s, after --attente.
    QTest::newRow("unanswered") << QStringLiteral("10.44.0.99") << QString()
                                << QStringList{QStringLiteral("connexion à 10.44.0.99, port TCP 4444, en 2 s"),
                                               QStringLiteral("aucune réponse"), causes}
                                << 6000;
    QTest::newRow("name that does not resolve")
        << QStringLiteral("nulle-part.invalid") << QString()
        << QStringList{QStringLiteral("« nulle-part.invalid » ne donne aucune adresse IPv4")} << 6000;
    QTest::newRow("IPv6") << QStringLiteral("[::1]") << QString()
                          << QStringList{QStringLiteral("« [::1] » est une adresse IPv6 : BandePassante mesure en IPv4")}
                          << 1500;
    // The system's resolver waits 5 s per try for a server that never
    // answers: the program leaves at --attente all the same.
    QTest::newRow("silent name server")
        << QStringLiteral("recepteur.example") << QStringLiteral("dns")
        << QStringList{QStringLiteral("« recepteur.example » ne s'est pas résolu en 2 s")} << 4000;
    // Errors that asking again cannot mend are told at once, with their cause.
    QTest::newRow("broadcast address")
        << QStringLiteral("255.255.255.255") << QString()
        << QStringList{QStringLiteral("255.255.255.255 est une adresse de diffusion")} << 1500;
    QTest::newRow("no route") << QStringLiteral("10.98.0.1") << QStringLiteral("unreachable")
                              << QStringList{QStringLiteral("10.98.0.1:4444 est injoignable")} << 1500;
    QTest::newRow("forbidden by this machine")
        << QStringLiteral("10.97.0.1") << QStringLiteral("prohibit")
        << QStringList{QStringLiteral("cette machine interdit la connexion à 10.97.0.1:4444")} << 1500;
}

void TestConsole::connexionImpossible()
{
    QFETCH(QString, hote);
    QFETCH(QString, preparation);
    QFETCH(QStringList, attendu);
    QFETCH(int, maxMs);

    // A name server that reads every question and answers none.
    QUdpSocket serveurDeNoms;
    if (preparation == QLatin1String("dns"))
        QVERIFY(serveurDeNoms.bind(QHostAddress::LocalHost, 53));
    else if (!preparation.isEmpty())
        QVERIFY(commandeReseau(QStringLiteral("ip"), {QStringLiteral("route"), QStringLiteral("replace"), preparation,
                                                      hote + QStringLiteral("/32")}));
    Console c;
    QElapsedTimer duree;
    duree.start();
    c.lance({QStringLiteral("emettre"), hote, QStringLiteral("--attente"), QStringLiteral("2"),
             QStringLiteral("--json")});
    QTRY_VERIFY_WITH_TIMEOUT(!c.enCours(), 15000);
    QCOMPARE(c.code(), 1);
    for (const QString &texte : attendu)
        QVERIFY2(c.erreurs().contains(texte), qPrintable(c.erreurs()));
    QVERIFY(c.lignes().isEmpty());
    // It waits --attente at most, not the system's minutes of retries, and
    // not at all for what asking again cannot mend.
    QVERIFY2(duree.elapsed() < maxMs, qPrintable(QString::number(duree.elapsed())));
}

void TestConsole::portPris()
{
    QTcpServer autre;
    QVERIFY(autre.listen(QHostAddress::Any, Protocole::Port));
    Console c;
    c.lance({QStringLiteral("recevoir")});
    QTRY_VERIFY_WITH_TIMEOUT(!c.enCours(), 10000);
    QCOMPARE(c.code(), 1);
    QVERIFY2(c.erreurs().contains(QStringLiteral("impossible d'écouter le port TCP 4444")), qPrintable(c.erreurs()));
}

// The per-second objects and the summary of a stream whose pace is known:
// 2,000,000 bytes a second for four seconds and a bit.
void TestConsole::jsonDUnFluxCadence()
{
    constexpr qint64 Debit = 2000000;
    Console c;
    c.lance({QStringLiteral("recevoir"), QStringLiteral("--json"), QStringLiteral("--une-fois")});
    QTRY_VERIFY_WITH_TIMEOUT(c.erreurs().contains(QStringLiteral("Réception sur le port TCP 4444")), 10000);

    Cadence flux(Debit);
    QTRY_VERIFY_WITH_TIMEOUT(c.objets(QStringLiteral("seconde")).size() == 4, 15000);
    QTest::qWait(300);
    flux.arrete();
    QTRY_VERIFY_WITH_TIMEOUT(!c.enCours(), 10000);
    QCOMPARE(c.code(), 0);
    QCOMPARE(c.fautesJson(), 0);

    const QList<QJsonObject> secondes = c.objets(QStringLiteral("seconde"));
    QCOMPARE(secondes.size(), 4);
    qint64 somme = 0;
    for (int i = 0; i < secondes.size(); ++i) {
        const QJsonObject &s = secondes[i];
        QCOMPARE(s.value(QStringLiteral("seconde")).toInteger(), i + 1);
        QCOMPARE(s.value(QStringLiteral("role")).toString(), QStringLiteral("recepteur"));
        QCOMPARE(s.value(QStringLiteral("pair")).toString(), QStringLiteral("127.0.0.1"));
        const qint64 octets = s.value(QStringLiteral("octets")).toInteger();
        QCOMPARE(s.value(QStringLiteral("bits")).toInteger(), octets * 8);
        // The first second starts at the console's accept, a moment before
        // our first byte; later ones hold what we owed, give or take a
        // timer that a loaded machine serves late.
        QVERIFY2(octets - Debit < Debit * 15 / 100, qPrintable(QString::number(octets)));
        if (i > 0)
            QVERIFY2(Debit - octets < Debit * 15 / 100, qPrintable(QString::number(octets)));
        somme += octets;
    }

    const QList<QJsonObject> resumes = c.objets(QStringLiteral("resume"));
    QCOMPARE(resumes.size(), 1);
    const QJsonObject r = resumes.first();
    // The summary comes last.
    QCOMPARE(QJsonDocument::fromJson(c.lignes().last().toUtf8()).object(), r);
    QCOMPARE(r.value(QStringLiteral("motif")).toString(), QStringLiteral("depart"));
    QCOMPARE(r.value(QStringLiteral("pair")).toString(), QStringLiteral("127.0.0.1"));
    // Every byte sent, counted once.
    QCOMPARE(r.value(QStringLiteral("octets")).toInteger(), flux.envoyes());
    QVERIFY(r.value(QStringLiteral("octets")).toInteger() > somme);
    QCOMPARE(r.value(QStringLiteral("secondes")).toInteger(), 4);
    const qint64 dureeMs = r.value(QStringLiteral("duree_ms")).toInteger();
    QVERIFY2(dureeMs >= 4000 && dureeMs < 6000, qPrintable(QString::number(dureeMs)));
    const double moyenne = r.value(QStringLiteral("moyenne")).toDouble();
    QVERIFY(qAbs(moyenne - double(flux.envoyes()) * 1000.0 / double(dureeMs)) < 1.0);
    QVERIFY2(qAbs(moyenne - Debit) < Debit / 10, qPrintable(QString::number(moyenne)));
    const QDateTime debut = QDateTime::fromString(r.value(QStringLiteral("debut")).toString(), Qt::ISODateWithMs);
    const QDateTime fin = QDateTime::fromString(r.value(QStringLiteral("fin")).toString(), Qt::ISODateWithMs);
    QVERIFY(debut.isValid() && fin.isValid());
    QCOMPARE(debut.msecsTo(fin), dureeMs);

    std::vector<qint64> tries;
    for (const QJsonObject &s : secondes)
        tries.push_back(s.value(QStringLiteral("octets")).toInteger());
    std::sort(tries.begin(), tries.end());
    QCOMPARE(r.value(QStringLiteral("minimum")).toInteger(), tries.front());
    QCOMPARE(r.value(QStringLiteral("maximum")).toInteger(), tries.back());
    QCOMPARE(r.value(QStringLiteral("mediane")).toDouble(), (double(tries[1]) + double(tries[2])) / 2.0);
    QCOMPARE(r.value(QStringLiteral("centile90")).toInteger(), tries.back());
}

// SIGTERM while a transmitter sends: the human lines so far, the summary,
// code 0.
void TestConsole::interruptionDuRecepteur()
{
    Console c;
    c.lance({QStringLiteral("receive")});
    QTRY_VERIFY_WITH_TIMEOUT(c.erreurs().contains(QStringLiteral("Réception sur le port TCP 4444")), 10000);
    Cadence flux(1500000);
    QTRY_VERIFY_WITH_TIMEOUT(c.lignes().size() >= 2, 15000);
    c.signale(SIGTERM);
    QTRY_VERIFY_WITH_TIMEOUT(!c.enCours(), 10000);
    QCOMPARE(c.code(), 0);
    QVERIFY(c.erreurs().contains(QStringLiteral("Interrompu.")));

    // "2  1,4 Mo/s  11,4 Mb/s", then the summary, its five rates, the
    // latency (unknown here: the far end sent) and the link.
    const QRegularExpression seconde(QStringLiteral("^\\d+  \\d+(,\\d+)? (Octets|Ko|Mo|Go)/s  "
                                                    "\\d+(,\\d+)? (Bits|Kb|Mb|Gb)/s$"));
    const QStringList lignes = c.lignes();
    QVERIFY2(lignes.size() >= 8, qPrintable(lignes.join(u'\n')));
    const int resume = int(lignes.size()) - 8;
    for (int i = 0; i < resume; ++i) {
        QVERIFY2(seconde.match(lignes[i]).hasMatch(), qPrintable(lignes[i]));
        QVERIFY(lignes[i].startsWith(QString::number(i + 1) + QStringLiteral("  ")));
        QVERIFY2(lignes[i].contains(QStringLiteral(" Mo/s  ")), qPrintable(lignes[i]));
    }
    QVERIFY2(lignes[resume].startsWith(QStringLiteral("Résumé (127.0.0.1) : ")), qPrintable(lignes[resume]));
    QVERIFY(lignes[resume].contains(QStringLiteral(" reçus, %1 secondes complètes").arg(resume)));
    const QStringList noms{QStringLiteral("moyenne"), QStringLiteral("minimum"), QStringLiteral("médiane"),
                           QStringLiteral("90e centile"), QStringLiteral("maximum"), QStringLiteral("latence"),
                           QStringLiteral("lien")};
    for (int i = 0; i < noms.size(); ++i)
        QVERIFY2(lignes[resume + 1 + i].trimmed().startsWith(noms[i]), qPrintable(lignes[resume + 1 + i]));
}

// Ctrl-C while sending: the transmitter closes cleanly, after whole blocks,
// and its summary counts no byte that did not leave. When the receiver takes
// nothing at that moment, the program waits for it to take the rest of the
// block before it ends.
void TestConsole::interruptionDeLEmetteur_data()
{
    QTest::addColumn<bool>("enPause");
    QTest::newRow("receiver reading") << false;
    QTest::newRow("receiver full") << true;
}

void TestConsole::interruptionDeLEmetteur()
{
    QFETCH(bool, enPause);
    Puits puits;
    QVERIFY(puits.enEcoute());
    Console c;
    c.lance({QStringLiteral("send"), QStringLiteral("127.0.0.1"), QStringLiteral("--time"), QStringLiteral("0"),
             QStringLiteral("--json")});
    QTRY_VERIFY_WITH_TIMEOUT(c.objets(QStringLiteral("seconde")).size() >= 1, 15000);
    if (enPause) {
        puits.pause(true);
        QTRY_VERIFY_WITH_TIMEOUT(c.objets(QStringLiteral("seconde")).last().value(QStringLiteral("octets")).toInteger() == 0,
                                 10000);
    }
    c.signale(SIGINT);
    if (enPause) {
        // When the rest of the block the system had started to take cannot
        // go yet, the program stays until the receiver takes it; one that
        // ended at once would have cut it.
        QTRY_COMPARE_WITH_TIMEOUT(c.objets(QStringLiteral("resume")).size(), 1, 10000);
        static_cast<void>(QTest::qWaitFor([&] { return !c.enCours(); }, 2000));
        puits.pause(false);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!c.enCours(), 10000);
    QCOMPARE(c.code(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(puits.ferme(), 5000);
    QVERIFY(puits.conforme());
    QCOMPARE(puits.recus() % Protocole::LongueurBloc, 0);

    const QList<QJsonObject> resumes = c.objets(QStringLiteral("resume"));
    QCOMPARE(resumes.size(), 1);
    QCOMPARE(resumes.first().value(QStringLiteral("motif")).toString(), QStringLiteral("interruption"));
    QCOMPARE(resumes.first().value(QStringLiteral("role")).toString(), QStringLiteral("emetteur"));
    const qint64 octets = resumes.first().value(QStringLiteral("octets")).toInteger();
    QVERIFY(octets > 0);
    QVERIFY2(octets <= puits.recus(), qPrintable(QStringLiteral("%1 > %2").arg(octets).arg(puits.recus())));
}

// A peer that cuts the connection: before the first second there is no
// measurement (code 1); after it, the measurement stands (code 0).
void TestConsole::coupures_data()
{
    QTest::addColumn<bool>("recepteur");
    QTest::addColumn<int>("apresMs");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("erreur");

    QTest::newRow("receiver resets at once")
        << true << 0 << 1 << QStringLiteral("le récepteur a mis fin à la connexion avant la première seconde");
    QTest::newRow("receiver resets mid-stream")
        << true << 2500 << 0 << QStringLiteral("Connexion coupée par 127.0.0.1:4444");
    QTest::newRow("transmitter resets before a byte")
        << false << 0 << 1 << QStringLiteral("la connexion a été coupée avant le premier octet");
}

void TestConsole::coupures()
{
    QFETCH(bool, recepteur);
    QFETCH(int, apresMs);
    QFETCH(int, code);
    QFETCH(QString, erreur);

    Console c;
    QTcpServer serveur;
    QTcpSocket client;
    if (recepteur) {
        // The test is the receiver; it reads, then resets.
        QVERIFY(serveur.listen(QHostAddress::LocalHost, Protocole::Port));
        connect(&serveur, &QTcpServer::newConnection, this, [&] {
            QTcpSocket *s = serveur.nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, s, [s] { s->readAll(); });
            QTimer::singleShot(apresMs, s, [s] { reinitialise(s); });
        });
        c.lance({QStringLiteral("emettre"), QStringLiteral("127.0.0.1"), QStringLiteral("--json")});
    } else {
        c.lance({QStringLiteral("recevoir"), QStringLiteral("--une-fois"), QStringLiteral("--json")});
        QTRY_VERIFY_WITH_TIMEOUT(c.erreurs().contains(QStringLiteral("Réception sur le port TCP 4444")), 10000);
        client.connectToHost(QHostAddress::LocalHost, Protocole::Port);
        QTRY_VERIFY_WITH_TIMEOUT(c.erreurs().contains(QStringLiteral("Emetteur 127.0.0.1 connecté.")), 10000);
        reinitialise(&client);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!c.enCours(), 15000);
    QCOMPARE(c.code(), code);
    QVERIFY2(c.erreurs().contains(erreur), qPrintable(c.erreurs()));
    // Whatever happened, the measurement that began is summarised.
    const QList<QJsonObject> resumes = c.objets(QStringLiteral("resume"));
    QCOMPARE(resumes.size(), 1);
    QCOMPARE(resumes.first().value(QStringLiteral("motif")).toString(), QStringLiteral("coupure"));
    QCOMPARE(resumes.first().value(QStringLiteral("secondes")).toInteger() > 0, code == 0);
}

// A transmitter that connects and sends nothing is served like any other:
// seconds of nothing, then a summary of nothing when it leaves.
void TestConsole::emetteurQuiNEnvoieRien()
{
    Console c;
    c.lance({QStringLiteral("recevoir"), QStringLiteral("--once"), QStringLiteral("--json")});
    QTRY_VERIFY_WITH_TIMEOUT(c.erreurs().contains(QStringLiteral("Réception sur le port TCP 4444")), 10000);
    QTcpSocket muet;
    muet.connectToHost(QHostAddress::LocalHost, Protocole::Port);
    QTRY_VERIFY_WITH_TIMEOUT(c.objets(QStringLiteral("seconde")).size() == 2, 10000);
    muet.disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(!c.enCours(), 10000);
    QCOMPARE(c.code(), 0);
    for (const QJsonObject &s : c.objets(QStringLiteral("seconde")))
        QCOMPARE(s.value(QStringLiteral("octets")).toInteger(), 0);
    const QJsonObject r = c.objets(QStringLiteral("resume")).value(0);
    QCOMPARE(r.value(QStringLiteral("motif")).toString(), QStringLiteral("depart"));
    QCOMPARE(r.value(QStringLiteral("octets")).toInteger(), 0);
    QCOMPARE(r.value(QStringLiteral("secondes")).toInteger(), 2);
    QVERIFY(c.erreurs().contains(QStringLiteral("L'émetteur 127.0.0.1 est parti.")));
}

// A peer that sends nothing loses the only slot after 30 s; the receiver
// keeps its port all along, and serves the next transmitter.
void TestConsole::silencePuisPortGarde()
{
    Console c;
    c.lance({QStringLiteral("recevoir")});
    QTRY_VERIFY_WITH_TIMEOUT(c.erreurs().contains(QStringLiteral("Réception sur le port TCP 4444")), 10000);
    QTcpSocket muet;
    muet.connectToHost(QHostAddress::LocalHost, Protocole::Port);
    QTRY_VERIFY_WITH_TIMEOUT(c.erreurs().contains(QStringLiteral("Emetteur 127.0.0.1 connecté.")), 10000);
    QTcpServer autre;
    QVERIFY(!autre.listen(QHostAddress::Any, Protocole::Port));

    QTRY_VERIFY_WITH_TIMEOUT(muet.state() == QAbstractSocket::UnconnectedState, Protocole::SilenceMaxMs + 5000);
    QVERIFY2(c.erreurs().contains(QStringLiteral("L'émetteur 127.0.0.1 n'a rien envoyé depuis 30 s")),
             qPrintable(c.erreurs()));
    Cadence flux(1000000);
    QTRY_COMPARE_WITH_TIMEOUT(c.erreurs().count(QStringLiteral("Emetteur 127.0.0.1 connecté.")), 2, 5000);
}

// A receiver that ends the measurement on purpose (its window's button,
// Ctrl-C) ends the connection in order, and its transmitter, window or
// console, says that the receiver ended it: not that the connection was cut.
void TestConsole::finVoulueParLeRecepteur_data()
{
    QTest::addColumn<bool>("recepteurFenetre");
    QTest::addColumn<bool>("emetteurFenetre");
    QTest::newRow("window to window") << true << true;
    QTest::newRow("console to window") << true << false;
    QTest::newRow("window to console") << false << true;
    QTest::newRow("console to console") << false << false;
}

void TestConsole::finVoulueParLeRecepteur()
{
    QFETCH(bool, recepteurFenetre);
    QFETCH(bool, emetteurFenetre);
    Form1 form1;
    Form2 *form2 = form1.form2();
    Console recepteur;
    Console emetteur;
    QElapsedTimer depuisEmetteur;
    const auto pret = [&] {
        return recepteurFenetre ? form1.EtatReception() == Winsock::sckListening
                                : recepteur.erreurs().contains(QStringLiteral("Réception sur"));
    };
    // Measuring, past the moment when an end means a busy receiver.
    const auto mesure = [&] {
        return depuisEmetteur.hasExpired(Form2::RefusOccupeMs + 1500) &&
               (recepteurFenetre ? form1.OctetsRecus() > 0 : !recepteur.lignes().isEmpty());
    };
    Scenario s;
    s.puis([&] { recepteurFenetre ? appuie(&form1) : recepteur.lance({QStringLiteral("recevoir")}); })
        .quand("receiver ready", pret, 10000,
               [&] {
                   depuisEmetteur.start();
                   emetteurFenetre ? appuie(form2)
                                   : emetteur.lance({QStringLiteral("send"), QStringLiteral("127.0.0.1"),
                                                     QStringLiteral("--time"), QStringLiteral("0"),
                                                     QStringLiteral("--json")});
               })
        .quand("measuring", mesure, 10000,
               [&] { recepteurFenetre ? appuie(&form1) : recepteur.signale(SIGINT); })
        .quand("transmitter done", [&] { return legende(form2) == QString::fromUtf8(Form2::CaptionDemarre) &&
                                                !emetteur.enCours(); }, 5000);
    JOUE(s, form2, 30000);

    if (emetteurFenetre)
        QCOMPARE(bulle(), QStringLiteral("fin de la mesure : 127.0.0.1:4444 a arrêté la réception"));
    else
        QVERIFY2(emetteur.code() == 0 && emetteur.erreurs().contains(QStringLiteral("a mis fin à la mesure.")) &&
                     emetteur.lignes().last().contains(QStringLiteral("\"motif\":\"depart\"")),
                 qPrintable(emetteur.erreurs()));
    QTRY_VERIFY_WITH_TIMEOUT(!recepteur.enCours(), 5000);
}

namespace {

// An HTTP exchange with the receiver's endpoint: the answer's status line and
// body; empty when the server closed without answering.
QByteArray http(const QByteArray &requete, QByteArray *corps = nullptr)
{
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, 9444);
    if (!s.waitForConnected(5000))
        return {};
    s.write(requete);
    QByteArray recu;
    while (s.state() == QAbstractSocket::ConnectedState && s.waitForReadyRead(6000)) {
        recu += s.readAll();
        const qsizetype fin = recu.indexOf("\r\n\r\n");
        const QRegularExpressionMatch l =
            QRegularExpression(QStringLiteral("Content-Length: (\\d+)"), QRegularExpression::CaseInsensitiveOption)
                .match(QString::fromLatin1(recu));
        if (fin >= 0 && l.hasMatch() && recu.size() >= fin + 4 + l.captured(1).toLongLong())
            break;
    }
    if (corps)
        *corps = recu.mid(recu.indexOf("\r\n\r\n") + 4);
    return recu.left(recu.indexOf("\r\n"));
}

bool promtool(const QByteArray &exposition)
{
    QProcess p;
    p.start(QStringLiteral("promtool"), {QStringLiteral("check"), QStringLiteral("metrics")});
    p.write(exposition);
    p.closeWriteChannel();
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

}

// The receiver's Prometheus endpoint: valid exposition before, during and
// after a measurement; the last second as the console prints it; anything
// but GET /metrics gets 404, and a client that sends too much is dropped
// while the measurement goes on; pipelined requests are all answered; a
// flood that exhausts the process's descriptors holds it only while it lasts.
void TestConsole::metriques()
{
    Console c;
    c.lance({QStringLiteral("recevoir"), QStringLiteral("--json"), QStringLiteral("--metriques"),
             QStringLiteral("127.0.0.1:9444")},
            false, QProcessEnvironment::systemEnvironment(), 40);
    QTRY_VERIFY_WITH_TIMEOUT(c.erreurs().contains(QStringLiteral("Réception sur")), 10000);
    const QByteArray get("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
    QByteArray corps;
    QCOMPARE(http(get, &corps), QByteArray("HTTP/1.1 200 OK"));
    QVERIFY2(promtool(corps), corps.constData());

    QTcpSocket enFile;
    enFile.connectToHost(QHostAddress::LocalHost, 9444);
    QVERIFY(enFile.waitForConnected(5000));
    enFile.write(get.repeated(100));
    QByteArray reponses;
    QTRY_VERIFY_WITH_TIMEOUT((reponses += enFile.readAll()).count("HTTP/1.1 200 OK") == 100, 5000);

    {
        std::vector<std::unique_ptr<QTcpSocket>> flot(100);
        for (auto &f : flot) {
            f = std::make_unique<QTcpSocket>();
            f->connectToHost(QHostAddress::LocalHost, 9444);
        }
        QTRY_VERIFY2_WITH_TIMEOUT(c.erreurs().contains(QStringLiteral("métriques : plus de connexion possible")),
                                  qPrintable(c.erreurs()), 5000);
    }
    QTRY_VERIFY2_WITH_TIMEOUT(http(get) == "HTTP/1.1 200 OK", qPrintable(c.erreurs()), 10000);
    QCOMPARE(c.erreurs().count(QStringLiteral("plus de connexion possible")), 1);

    Cadence flux(2000000);
    QTRY_VERIFY_WITH_TIMEOUT(c.objets(QStringLiteral("seconde")).size() >= 2, 10000);
    QCOMPARE(http(get, &corps), QByteArray("HTTP/1.1 200 OK"));
    QVERIFY2(promtool(corps), corps.constData());
    const qint64 gauge = QRegularExpression(QStringLiteral("\nbandepassante_last_second_bytes_per_second (\\d+)"))
                             .match(QString::fromUtf8(corps)).captured(1).toLongLong();
    const int vues = int(c.objets(QStringLiteral("seconde")).size());
    QTRY_VERIFY_WITH_TIMEOUT(c.objets(QStringLiteral("seconde")).size() > vues, 5000);
    bool trouvee = false;
    for (const QJsonObject &o : c.objets(QStringLiteral("seconde")))
        trouvee = trouvee || o.value(QStringLiteral("octets")).toInteger() == gauge;
    QVERIFY2(trouvee, qPrintable(QString::number(gauge)));

    QCOMPARE(http("POST /metrics HTTP/1.1\r\nHost: x\r\nContent-Length: 1\r\n\r\nx"),
             QByteArray("HTTP/1.1 404 Not Found"));
    QCOMPARE(http("GET /autre HTTP/1.1\r\nHost: x\r\n\r\n"), QByteArray("HTTP/1.1 404 Not Found"));
    QCOMPARE(http("POST /metrics HTTP/1.1\r\nHost: x\r\nContent-Length: 10000000\r\n\r\n" +
                  QByteArray(10000000, 'x')),
             QByteArray());
    flux.arrete();
    QTRY_COMPARE_WITH_TIMEOUT(c.objets(QStringLiteral("resume")).size(), 1, 10000);
    QCOMPARE(c.objets(QStringLiteral("resume"))[0].value(QStringLiteral("octets")).toInteger(), flux.envoyes());
    QCOMPARE(http(get, &corps), QByteArray("HTTP/1.1 200 OK"));
    QVERIFY2(promtool(corps) && corps.contains("bandepassante_measurements_total{end=\"depart\"} 1"), corps.constData());
    QVERIFY2(!c.erreurs().contains(QStringLiteral("QIODevice")), qPrintable(c.erreurs()));
}

// What cannot be written is an error, said on standard error with code 1;
// a reader that closed the pipe (head) ends the program quietly with the
// same code, never by a signal.
void TestConsole::sortieImpossible_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("tubeFerme");
    QTest::newRow("version, disk full") << QStringList{QStringLiteral("--version")} << false;
    QTest::newRow("JSON, disk full") << QStringList{QStringLiteral("send"), QStringLiteral("127.0.0.1"),
                                                    QStringLiteral("--json")} << false;
    QTest::newRow("into head -n 1") << QStringList{QStringLiteral("send"), QStringLiteral("127.0.0.1")} << true;
}

void TestConsole::sortieImpossible()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, tubeFerme);
    Puits puits;
    QProcess console;
    QProcess tete;
    if (tubeFerme)
        console.setStandardOutputProcess(&tete);
    else
        console.setStandardOutputFile(QStringLiteral("/dev/full"));
    console.start(QStringLiteral(BANDEPASSANTE_CONSOLE), arguments);
    if (tubeFerme)
        tete.start(QStringLiteral("head"), {QStringLiteral("-n"), QStringLiteral("1")});
    QTRY_VERIFY_WITH_TIMEOUT(console.state() == QProcess::NotRunning, 15000);
    QCOMPARE(console.exitStatus(), QProcess::NormalExit);
    QCOMPARE(console.exitCode(), 1);
    const QString erreurs = QString::fromUtf8(console.readAllStandardError());
    QVERIFY2(erreurs.contains(QStringLiteral("impossible d'écrire sur la sortie standard")) != tubeFerme &&
                 !erreurs.contains(QStringLiteral("Interrompu")),
             qPrintable(erreurs));
}

// Only presence datagrams count, each receiver once, in the order heard; an
// announcement full of terminal controls is listed harmless for a person
// and exact in JSON.
void TestConsole::serveursParmiDesDatagrammesQuelconques_data()
{
    QTest::addColumn<bool>("json");
    QTest::newRow("JSON") << true;
    QTest::newRow("for a person") << false;
}

void TestConsole::serveursParmiDesDatagrammesQuelconques()
{
    QFETCH(bool, json);
    Console c;
    QStringList arguments{QStringLiteral("serveurs"), QStringLiteral("--duree"), QStringLiteral("0")};
    if (json)
        arguments << QStringLiteral("--json");
    c.lance(arguments);
    QTRY_VERIFY_WITH_TIMEOUT(c.enCours(), 5000);
    QUdpSocket udp;
    const QByteArray prefixe(Protocole::PrefixePresence);
    const QByteArray hostile("\x1b]0;titre\x07\n10.6.6.6\x9b");
    const QList<QByteArray> datagrammes{
        "bonjour", prefixe, prefixe.toLower() + "10.9.9.9", " " + prefixe + "10.9.9.8", prefixe + "10.1.2.3",
        QByteArray(3000, 'x'), prefixe + QByteArray(256, 'y'), prefixe + "10.1.2.3", prefixe + "10.1.2.4",
        prefixe + hostile,
    };
    const auto entendus = [&] { return json ? c.objets(QStringLiteral("serveur")).size() : c.lignes().size(); };
    // Until the console has bound its port, datagrams are lost: send again
    // until every receiver is listed.
    QElapsedTimer depuis;
    depuis.start();
    while (entendus() < 3 && !depuis.hasExpired(10000)) {
        for (const QByteArray &d : datagrammes)
            udp.writeDatagram(d, QHostAddress::LocalHost, Protocole::Port);
        QTest::qWait(100);
    }
    c.signale(SIGTERM);
    QTRY_VERIFY_WITH_TIMEOUT(!c.enCours(), 10000);
    QCOMPARE(c.code(), 0);
    QVERIFY2(c.erreurs().contains(QStringLiteral("ignoré(s) sur le port UDP 4444")), qPrintable(c.erreurs()));
    if (!json) {
        QCOMPARE(c.lignes(), (QStringList{QStringLiteral("10.1.2.3"), QStringLiteral("10.1.2.4"),
                                          QStringLiteral("\\x1b]0;titre\\x07\\x0a10.6.6.6\\x9b")}));
        return;
    }
    QCOMPARE(c.fautesJson(), 0);
    const QList<QJsonObject> serveurs = c.objets(QStringLiteral("serveur"));
    QCOMPARE(serveurs.size(), 3);
    QCOMPARE(serveurs[0].value(QStringLiteral("adresse")).toString(), QStringLiteral("10.1.2.3"));
    QCOMPARE(serveurs[1].value(QStringLiteral("adresse")).toString(), QStringLiteral("10.1.2.4"));
    QCOMPARE(serveurs[2].value(QStringLiteral("adresse")).toString(), QString::fromLatin1(hostile));
    QVERIFY(serveurs[0].value(QStringLiteral("ms")).toInteger() <= serveurs[1].value(QStringLiteral("ms")).toInteger());
}

// No display, no platform plugin: the console neither needs nor loads one.
void TestConsole::sansAffichage()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *nom : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(nom));
    Console c;
    c.lance({QStringLiteral("list"), QStringLiteral("--time"), QStringLiteral("1")}, false, env);
    QTRY_VERIFY_WITH_TIMEOUT(!c.enCours(), 10000);
    QCOMPARE(c.code(), 0);
    QVERIFY2(c.erreurs().contains(QStringLiteral("Aucun récepteur entendu en 1 s.")), qPrintable(c.erreurs()));
    QVERIFY2(!c.erreurs().contains(QStringLiteral("qt.qpa")), qPrintable(c.erreurs()));

    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QStringLiteral(BANDEPASSANTE_CONSOLE)});
    QVERIFY(ldd.waitForFinished(10000));
    const QString bibliotheques = QString::fromUtf8(ldd.readAllStandardOutput());
    QVERIFY(bibliotheques.contains(QStringLiteral("libQt6Network")));
    QVERIFY2(!bibliotheques.contains(QStringLiteral("libQt6Gui")), qPrintable(bibliotheques));
    QVERIFY2(!bibliotheques.contains(QStringLiteral("libQt6Widgets")), qPrintable(bibliotheques));
}

BANDEPASSANTE_NETWORK_TEST_MAIN(TestConsole)
#include "tst_console.moc"
