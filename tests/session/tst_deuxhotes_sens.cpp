// Both directions from one seat, across a link shaped differently each way:
// 100 Mbit/s from host A (this process) to host B, 30 Mbit/s back. The
// console's test and reverse measurement, the windows' reverse action and
// complete test, and receivers that cannot or will not send back.

#include "HoteB.h"
#include "../console/OutilsConsole.h"
#include "../emetteur/OutilsEmetteur.h"
#include "SandboxGuard.h"
#include "historique/FenetreHistorique.h"
#include "historique/FenetreResume.h"
#include "historique/Historique.h"
#include "historique/MenuMesure.h"
#include "historique/SuiviMesure.h"
#include "recepteur/Form1.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

namespace {

const QString AdresseB = QStringLiteral("10.45.0.2");
// What TCP carries of a shaped rate: 1448 bytes of data in each 1514-byte
// frame, in bytes per second.
constexpr double utile(double mbits) { return mbits * 1e6 / 8 * 1448 / 1514; }
const double Montant = utile(100);
const double Descendant = utile(30);

bool pres(double mesure, double attendu)
{
    return std::abs(mesure / attendu - 1) < 0.02;
}

// The median second: the mean of a few seconds carries the first one, while
// the link's queue fills, and a busy machine's late reads.
double mediane(const QJsonValue &v)
{
    return v.toObject().value(QStringLiteral("mediane")).toDouble();
}

// "montant/recepteur": the direction, and the end whose count it is.
QString sens(const QJsonObject &o)
{
    return o.value(QStringLiteral("sens")).toString() + QLatin1Char('/') + o.value(QStringLiteral("role")).toString();
}

}

class TestDeuxHotesSens : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void console();
    void fenetres();
    void recepteursQuiNEnvoientPas_data();
    void recepteursQuiNEnvoientPas();

private:
    Console recepteurB_;
};

void TestDeuxHotesSens::initTestCase()
{
    QVERIFY(HoteB::Existe());
    const QStringList tbf{QStringLiteral("root"), QStringLiteral("tbf"), QStringLiteral("rate")};
    QVERIFY(commandeReseau(QStringLiteral("tc"), QStringList{QStringLiteral("qdisc"), QStringLiteral("replace"),
                                                             QStringLiteral("dev"), QStringLiteral("bpa")} +
                                                     tbf + QStringList{QStringLiteral("100mbit"), QStringLiteral("burst"),
                                                                       QStringLiteral("64kb"), QStringLiteral("latency"),
                                                                       QStringLiteral("50ms")}));
    QVERIFY(commandeReseau(QStringLiteral("nsenter"),
                           HoteB::Arguments(QStringLiteral("tc"),
                                            QStringList{QStringLiteral("qdisc"), QStringLiteral("replace"),
                                                        QStringLiteral("dev"), QStringLiteral("bpb")} +
                                                tbf + QStringList{QStringLiteral("30mbit"), QStringLiteral("burst"),
                                                                  QStringLiteral("32kb"), QStringLiteral("latency"),
                                                                  QStringLiteral("50ms")})));
    recepteurB_.lance({QStringLiteral("recevoir")}, true);
    QTRY_VERIFY_WITH_TIMEOUT(recepteurB_.erreurs().contains(QStringLiteral("Réception sur")), 10000);
}

// The console's complete test and reverse measurement give each direction's
// rate, the upload as the receiver counted it.
void TestDeuxHotesSens::console()
{
    Console test;
    test.lance({QStringLiteral("test"), AdresseB, QStringLiteral("--duree"), QStringLiteral("4"),
                QStringLiteral("--json")});
    QTRY_VERIFY_WITH_TIMEOUT(!test.enCours(), 60000);
    QCOMPARE(test.code(), 0);
    // The figures side by side, the upload as the receiver counted it.
    const QJsonObject t = test.objets(QStringLiteral("test")).value(0);
    const QJsonObject simultane = t.value(QStringLiteral("simultane")).toObject();
    QVERIFY2(pres(mediane(t.value(QStringLiteral("montant"))), Montant) &&
                 pres(mediane(t.value(QStringLiteral("descendant"))), Descendant) &&
                 // Both ways at once share the link with each other's
                 // acknowledgements.
                 mediane(simultane.value(QStringLiteral("montant"))) > 0.8 * Montant &&
                 mediane(simultane.value(QStringLiteral("descendant"))) > 0.8 * Descendant,
             qPrintable(test.lignes().join('\n')));
    for (const QJsonObject &r : test.objets(QStringLiteral("resume")))
        QVERIFY(!sens(r).startsWith(QStringLiteral("montant/")) || sens(r) == QStringLiteral("montant/recepteur"));
    // Each direction's latency, from the end that sent (the far end's report
    // for the download): at rest within the veth's fraction of a
    // millisecond, higher under load; and the link, a veth with no figures.
    for (const char *phase : {"montant", "descendant"}) {
        const QJsonObject p = t.value(QLatin1String(phase)).toObject();
        const qint64 repos = p.value(QStringLiteral("latence_repos_us")).toInteger();
        QVERIFY2(repos > 0 && repos < 1000 && p.value(QStringLiteral("latence_charge_us")).toInteger() > repos &&
                     !p.value(QStringLiteral("note_latence")).toString().isEmpty(),
                 qPrintable(QJsonDocument(p).toJson()));
    }
    QCOMPARE(t.value(QStringLiteral("lien")).toObject(),
             (QJsonObject{{QStringLiteral("interface"), QStringLiteral("bpa")}, {QStringLiteral("type"), QStringLiteral("autre")},
                          {QStringLiteral("genre"), QStringLiteral("veth")}}));

    Console retour;
    retour.lance({QStringLiteral("emettre"), AdresseB, QStringLiteral("--retour"), QStringLiteral("--duree"),
                  QStringLiteral("4"), QStringLiteral("--json")});
    QTRY_VERIFY_WITH_TIMEOUT(!retour.enCours(), 20000);
    QCOMPARE(retour.code(), 0);
    const QJsonObject r = retour.objets(QStringLiteral("resume")).value(0);
    QCOMPARE(sens(r), QStringLiteral("descendant/recepteur"));
    QVERIFY2(pres(mediane(r), Descendant), qPrintable(retour.lignes().join('\n')));
}

// The windows: the reverse action measures and records what comes back; the
// complete test stores its three measurements as one test and shows them
// side by side.
void TestDeuxHotesSens::fenetres()
{
    Form1 form1;
    form1.show();
    Form2 *form2 = form1.form2();
    form2->findChild<QLineEdit *>(QStringLiteral("AdresseIP"))->setText(AdresseB);
    form2->findChild<QAction *>(QStringLiteral("autreSens"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(form1.suivi()->mesure().enCours(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!form1.suivi()->mesure().enCours(), 20000);
    QVERIFY2(pres(form1.suivi()->mesure().resume().mediane(), Descendant),
             qPrintable(QString::number(form1.suivi()->mesure().resume().mediane())));

    form2->findChild<QAction *>(QStringLiteral("testComplet"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(form1.findChild<FenetreResume *>() &&
                                 form1.findChild<FenetreResume *>()->findChild<QLabel *>(QStringLiteral("test"))->isVisible(),
                             60000);
    QMap<QString, double> medianes;
    qint64 test = 0;
    for (const Historique::Fiche &f : form1.historique()->fiches()) {
        medianes[f.sens] = f.mediane;
        test = f.sens == QLatin1String("montant") ? f.test : test;
    }
    QVERIFY(test != 0);
    QVERIFY2(pres(medianes.value(QStringLiteral("montant")), Montant),
             qPrintable(QString::number(medianes[QStringLiteral("montant")])));
    QVERIFY(pres(medianes.value(QStringLiteral("descendant")), Descendant));
    QVERIFY(medianes.value(QStringLiteral("simultane")) > Montant);
    // Pictures for the documentation: BANDEPASSANTE_CAPTURE=prefix.
    const QString prefixe = qEnvironmentVariable("BANDEPASSANTE_CAPTURE");
    if (!prefixe.isEmpty()) {
        // The windows have grown to their last texts.
        QCoreApplication::processEvents();
        QVERIFY(form1.findChild<FenetreResume *>()->grab().save(prefixe + QStringLiteral("-resume.png")));
        QWidget *historique = form1.menuMesure()->montreHistorique();
        historique->resize(1100, 420);
        QVERIFY(historique->grab().save(prefixe + QStringLiteral("-historique.png")));
    }
}

// A receiver built before requests counts the line as data and never sends;
// one started with --sans-retour closes at once. Either is said within 4 s.
void TestDeuxHotesSens::recepteursQuiNEnvoientPas_data()
{
    QTest::addColumn<QString>("hote");
    QTest::addColumn<QString>("raison");
    QTest::newRow("a plain counting sink") << QStringLiteral("127.0.0.1")
                                           << QStringLiteral("ce récepteur ne sait pas envoyer : lancez l'émetteur "
                                                             "sur l'autre machine");
    QTest::newRow("--sans-retour") << AdresseB << QStringLiteral("le récepteur refuse l'envoi vers cette machine");
}

void TestDeuxHotesSens::recepteursQuiNEnvoientPas()
{
    QFETCH(QString, hote);
    QFETCH(QString, raison);
    Puits puits;
    Console refus;
    refus.lance({QStringLiteral("recevoir"), QStringLiteral("--port"), QStringLiteral("4445"),
                 QStringLiteral("--sans-retour")},
                true);
    QTRY_VERIFY_WITH_TIMEOUT(refus.erreurs().contains(QStringLiteral("Réception sur")), 10000);
    Console c;
    QElapsedTimer duree;
    duree.start();
    c.lance({QStringLiteral("emettre"), hote, QStringLiteral("--retour"), QStringLiteral("--port"),
             hote == AdresseB ? QStringLiteral("4445") : QStringLiteral("4444")});
    QTRY_VERIFY_WITH_TIMEOUT(!c.enCours(), 10000);
    QCOMPARE(c.code(), 1);
    QVERIFY2(c.erreurs().contains(raison), qPrintable(c.erreurs()));
    QVERIFY2(duree.elapsed() < 4500, qPrintable(QString::number(duree.elapsed())));
}

BANDEPASSANTE_NETWORK_TEST_MAIN(TestDeuxHotesSens)
#include "tst_deuxhotes_sens.moc"
