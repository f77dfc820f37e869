// The reasons the transmitter gives, for the errors that the window tests
// cannot easily bring about.

#include "transmitter/RaisonEchec.h"

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
            << QStringLiteral("recepteur:4444 ne répond pas : machine absente ou pare-feu");
        QTest::newRow("other error") << RaisonEchecConnexion(QStringLiteral("10.45.0.2"), EACCES, QStringLiteral("x"))
                                     << QStringLiteral("échec de la connexion à 10.45.0.2:4444 : x");
        QTest::newRow("blank box") << RaisonEchecConnexion(QStringLiteral("  "), EHOSTUNREACH, QStringLiteral("x"))
                                   << QStringLiteral("aucune adresse : choisissez un serveur dans la liste ou tapez "
                                                     "l'adresse du récepteur");
        QTest::newRow("lost, no answer")
            << RaisonPerte(QStringLiteral("10.45.0.2"), false, ETIMEDOUT, QString())
            << QStringLiteral("connexion perdue avec 10.45.0.2:4444 : il ne répond plus (machine éteinte ou réseau "
                              "coupé)");
        QTest::newRow("lost, broken pipe")
            << RaisonPerte(QStringLiteral("10.45.0.2"), false, EPIPE, QString())
            << QStringLiteral("connexion coupée par 10.45.0.2:4444 : la réception y a-t-elle été arrêtée ?");
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
