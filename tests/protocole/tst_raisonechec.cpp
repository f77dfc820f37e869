// The reasons the programs give, for the errors that the window and console
// tests cannot easily bring about.

#include "protocole/RaisonEchec.h"

#include <QtTest>

#include <cerrno>
#include <cstring>

class TestRaisonEchec : public QObject
{
    Q_OBJECT

private slots:
    void raisons_data()
    {
        QTest::addColumn<QString>("raison");
        QTest::addColumn<QString>("attendue");
        const QString systeme = QString::fromLocal8Bit(std::strerror(EHOSTUNREACH));
        QTest::newRow("no route")
            << RaisonEchecConnexion(QStringLiteral("10.45.0.2"), ENETUNREACH, QString())
            << QStringLiteral("10.45.0.2:4444 est hors d'atteinte : aucun réseau de cette machine n'y mène (câble ou "
                              "Wi-Fi ?)");
        QTest::newRow("a name whose machine does not answer")
            << RaisonEchecConnexion(QStringLiteral("recepteur"), EHOSTUNREACH, systeme)
            << QStringLiteral("recepteur:4444 est injoignable : aucune machine n'y répond, ou aucune route n'y mène");
        QTest::newRow("the broadcast address")
            << RaisonEchecConnexion(QStringLiteral("255.255.255.255"), ENETUNREACH, QString())
            << QStringLiteral("255.255.255.255 est une adresse de diffusion ou de groupe, qui désigne plusieurs "
                              "machines : donnez l'adresse d'un récepteur");
        QTest::newRow("refused by this machine's firewall, on another port")
            << RaisonEchecConnexion(QStringLiteral("10.45.0.2"), EPERM, QString(), 5000)
            << QStringLiteral("cette machine interdit la connexion à 10.45.0.2:5000 : son pare-feu ou une route "
                              "d'interdiction la bloque");
        QTest::newRow("other error")
            << RaisonEchecConnexion(QStringLiteral("10.45.0.2"), EADDRNOTAVAIL, QStringLiteral("x"))
            << QStringLiteral("échec de la connexion à 10.45.0.2:4444 : x");
        QTest::newRow("port taken") << RaisonEcouteImpossible(4444, EADDRINUSE, QString())
                                    << QStringLiteral("impossible d'écouter le port TCP 4444 : un autre programme le "
                                                      "tient déjà (une autre réception ?)");
        QTest::newRow("reserved port") << RaisonEcouteImpossible(80, EACCES, QString())
                                       << QStringLiteral("impossible d'écouter le port TCP 80 : les ports en dessous "
                                                         "de 1024 sont réservés à l'administrateur, choisissez-en un "
                                                         "de 1024 ou plus");
        QTest::newRow("blank box") << RaisonEchecConnexion(QStringLiteral("  "), EHOSTUNREACH, QStringLiteral("x"))
                                   << QStringLiteral("aucune adresse : choisissez un serveur dans la liste ou tapez "
                                                     "l'adresse du récepteur");
        QTest::newRow("lost, no answer")
            << RaisonPerte(QStringLiteral("10.45.0.2"), false, ETIMEDOUT, QString())
            << QStringLiteral("connexion perdue avec 10.45.0.2:4444 : il ne répond plus (machine éteinte ou réseau "
                              "coupé)");
        QTest::newRow("lost, broken pipe")
            << RaisonPerte(QStringLiteral("10.45.0.2"), false, EPIPE, QString())
            << QStringLiteral("connexion coupée par 10.45.0.2:4444 : le récepteur s'est arrêté brusquement "
                              "(programme fermé ?)");
        QTest::newRow("lost, other") << RaisonPerte(QStringLiteral("10.45.0.2"), false, EACCES, QStringLiteral("x"))
                                     << QStringLiteral("connexion perdue avec 10.45.0.2:4444 : x");
        QTest::newRow("turned away whatever the error")
            << RaisonPerte(QStringLiteral("10.45.0.2"), true, ECONNRESET, QString())
            << QStringLiteral("10.45.0.2:4444 a accepté puis fermé la connexion : le récepteur sert sans doute déjà "
                              "un autre émetteur");
    }

    void raisons()
    {
        QFETCH(QString, raison);
        QFETCH(QString, attendue);
        QCOMPARE(raison, attendue);
    }
};

QTEST_GUILESS_MAIN(TestRaisonEchec)
#include "tst_raisonechec.moc"
