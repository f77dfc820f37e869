#include "protocole/Demande.h"
#include "protocole/Protocole.h"

#include <QtTest>

class TestDemande : public QObject
{
    Q_OBJECT

private slots:
    // The first bytes of a connection, fed in pieces of `morceau` bytes.
    void lecture_data()
    {
        QTest::addColumn<QByteArray>("debut");
        QTest::addColumn<int>("etat");
        QTest::addColumn<QByteArray>("donnees");
        using E = LectureDemande::Etat;
        const QByteArray bloc = Protocole::BlocMesure();
        QTest::newRow("a stream") << bloc << int(E::Flux) << bloc;
        QTest::newRow("a stream of one byte") << QByteArray("A") << int(E::Flux) << QByteArray("A");
        QTest::newRow("retour") << QByteArray("BandePassante 1 retour 10\r\nxyz") << int(E::Demande)
                                << QByteArray("xyz");
        QTest::newRow("envoi then data") << QByteArray("BandePassante 1 envoi 60\r\n") + bloc << int(E::Demande)
                                         << bloc;
        QTest::newRow("simultane, 1 s") << QByteArray("BandePassante 1 simultane 1\r\n") << int(E::Demande)
                                        << QByteArray();
        QTest::newRow("incomplete") << QByteArray("BandePassante 1 retour 1") << int(E::Attente) << QByteArray();
        QTest::newRow("another version counts as data")
            << QByteArray("BandePassante 2 retour 10\r\n") << int(E::Flux) << QByteArray("BandePassante 2 retour 10\r\n");
        for (const char *faute : {"BandePassante 1 retour 0\r\n", "BandePassante 1 retour 61\r\n",
                                  "BandePassante 1 retour +5\r\n", "BandePassante 1 retour 10 \r\n",
                                  "BandePassante 1 RETOUR 10\r\n", "BandePassante 1 retour\r\n",
                                  "BandePassante 1 retour 1\n\r\n",
                                  // Past 2^63, and past 2^64 back to 1, were they wrapped.
                                  "BandePassante 1 retour 9999999999999999999\r\n",
                                  "BandePassante 1 retour 18446744073709551617\r\n"})
            QTest::newRow(QByteArray(faute).replace("\r", "\\r").replace("\n", "\\n").constData())
                << QByteArray(faute) << int(E::Invalide) << QByteArray();
        QTest::newRow("no line end in 64 bytes")
            << QByteArray("BandePassante 1 retour ") + QByteArray(41, '1') << int(E::Invalide) << QByteArray();
    }

    void lecture()
    {
        QFETCH(QByteArray, debut);
        QFETCH(int, etat);
        QFETCH(QByteArray, donnees);
        for (const int morceau : {1, 7, 1000}) {
            LectureDemande l;
            for (qsizetype i = 0; i < debut.size() && l.etat() == LectureDemande::Etat::Attente; i += morceau)
                l.ajoute(QByteArrayView(debut).sliced(i, std::min<qsizetype>(morceau, debut.size() - i)));
            QCOMPARE(int(l.etat()), etat);
            if (etat == int(LectureDemande::Etat::Demande)) {
                QCOMPARE(l.demande().ligne(), debut.left(debut.indexOf('\n') + 1));
                // What came with the last piece after the line.
                QVERIFY(donnees.startsWith(l.donnees()));
            } else if (etat == int(LectureDemande::Etat::Flux)) {
                QVERIFY(donnees.startsWith(l.donnees()) && !l.donnees().isEmpty());
            }
        }
    }

    // Blocks back, then a report, cut anywhere: every stream byte counted,
    // the report read whole.
    void retour()
    {
        const Rapport envoye{123456789, 10004, {1000, 2000, 3000}, {{12300, 400, 210, 2, 65536}}};
        const std::optional<Rapport> lu = Rapport::lit(envoye.ligne());
        QVERIFY(lu && lu->secondes == envoye.secondes && lu->tcp.size() == 1);
        QCOMPARE(lu->tcp[0].texte(), QByteArray("12300/400/210/2/65536"));
        QCOMPARE(Rapport::lit("BandePassante 1 rapport 12 5 - -\r\n")->octets, 12);
        for (const char *faux : {"BandePassante 1 rapport 12\r\n", "BandePassante 1 rapport 12 5 x -\r\n",
                                 "BandePassante 1 rapport 12 5 - 1/2/3/4\r\n", "BandePassante 1 rapport 12 5 1,,2 -\r\n",
                                 // Figures that overflow, or are beyond any link or TCP's own bounds.
                                 "BandePassante 1 rapport 9999999999999999999 5 - -\r\n",
                                 "BandePassante 1 rapport 12 5 18446744073709551617 -\r\n",
                                 "BandePassante 1 rapport 12 5 - 9223372036854775807/0/0/0/0\r\n",
                                 "BandePassante 1 rapport 12 5 - 1/2/3/4/-5\r\n"})
            QVERIFY2(!Rapport::lit(faux), faux);
        const QByteArray flux = Protocole::BlocMesure().repeated(3);
        for (const int morceau : {1, 100, 5000}) {
            for (const QByteArray &suite : {envoye.ligne(), QByteArray("BandePassante 1 autre\r\n"), QByteArray()}) {
                const QByteArray tout = flux + suite;
                LectureRetour l;
                qint64 comptes = 0;
                for (qsizetype i = 0; i < tout.size(); i += morceau)
                    comptes += l.ajoute(QByteArrayView(tout).sliced(i, std::min<qsizetype>(morceau, tout.size() - i)));
                QCOMPARE(comptes, flux.size());
                QCOMPARE(l.rapport().has_value(), suite == envoye.ligne());
                QCOMPARE(l.fautif(), suite.startsWith("BandePassante 1 autre"));
                if (l.rapport())
                    QCOMPARE(l.rapport()->octets, envoye.octets);
            }
        }
    }

    // A report is believed only when it can be true of the connection: the
    // seat sent 20 MB over 10.3 s.
    void croyable_data()
    {
        QTest::addColumn<QByteArray>("ligne");
        QTest::addColumn<bool>("croyable");
        const QByteArray dix = QByteArray("1900000,").repeated(9) + "1900000";
        QTest::newRow("what arrived") << "19000000 10100 " + dix + " -" << true;
        QTest::newRow("every byte sent") << "20000000 10200 " + dix + " -" << true;
        QTest::newRow("ten times what was sent") << "200000000 10100 " + dix + " -" << false;
        QTest::newRow("seconds beyond the total") << "1000 10100 " + dix + " -" << false;
        QTest::newRow("600 seconds in 10") << "19000000 10100 " + QByteArray("1,").repeated(599) + "1 -" << false;
        QTest::newRow("longer than the connection") << "19000000 60000 " + dix + " -" << false;
        QTest::newRow("a view a second")
            << "19000000 10100 " + dix + ' ' + QByteArray("5000/1/200/0/65536,").repeated(10) + "5000/1/200/0/65536"
            << true;
        QTest::newRow("views beyond the seconds")
            << "19000000 10100 " + dix + ' ' + QByteArray("5000/1/200/0/65536,").repeated(40) + "5000/1/200/0/65536"
            << false;
    }

    void croyable()
    {
        QFETCH(QByteArray, ligne);
        const std::optional<Rapport> r = Rapport::lit("BandePassante 1 rapport " + ligne + "\r\n");
        QVERIFY(r);
        QTEST(r->croyable(20000000, 10300), "croyable");
    }
};

QTEST_GUILESS_MAIN(TestDemande)
#include "tst_demande.moc"
