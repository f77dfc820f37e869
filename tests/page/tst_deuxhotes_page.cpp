// The measuring page in a real browser: headless Chromium on host A
// measures the console receiver on host B across a link shaped to 100
// Mbit/s from A to B and 30 back, then the receiver window of this process
// over loopback, which records the run in its history.

#include "Chromium.h"
#include "HoteB.h"
#include "../console/OutilsConsole.h"
#include "../emetteur/OutilsEmetteur.h"
#include "SandboxGuard.h"
#include "historique/Historique.h"
#include "recepteur/Form1.h"

#include <QApplication>
#include <QPushButton>
#include <QtTest>

#include <algorithm>

namespace {

const QString AdresseB = QStringLiteral("10.45.0.2");
// What TCP carries of a shaped rate, in bytes per second.
constexpr double utile(double mbits) { return mbits * 1e6 / 8 * 1448 / 1514; }

double mediane(const QJsonValue &secondes)
{
    std::vector<double> v;
    for (const QJsonValue &s : secondes.toArray())
        v.push_back(s.toDouble());
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

bool pres(double mesure, double attendu)
{
    return std::abs(mesure / attendu - 1) < 0.03;
}

// A run of the page, `duree` seconds a phase, with this place; its results.
QJsonObject mesure(Chromium &c, int duree, const QString &lieu)
{
    c.evalue(QStringLiteral("document.getElementById('lieu').value = '%1';"
                            "document.getElementById('lieu').dispatchEvent(new Event('input'));")
                 .arg(lieu));
    return c.evalue(QStringLiteral("window.bandepassante.lance(%1).then(() => ({etat: window.bandepassante.etat, "
                                   "resultats: window.bandepassante.resultats}))")
                        .arg(duree),
                    (4 * duree + 30) * 1000)
        .toObject();
}

}

class TestDeuxHotesPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void navigateurVersConsole();
    void navigateurVersFenetre();

private:
    Chromium chromium_;
    QString captures_ = qEnvironmentVariable("BANDEPASSANTE_CAPTURE");
};

void TestDeuxHotesPage::initTestCase()
{
    QVERIFY(HoteB::Existe());
    QVERIFY(commandeReseau(QStringLiteral("tc"), QStringList{QStringLiteral("qdisc"), QStringLiteral("replace"),
                                                             QStringLiteral("dev"), QStringLiteral("bpa"), QStringLiteral("root"),
                                                             QStringLiteral("tbf"), QStringLiteral("rate"),
                                                             QStringLiteral("100mbit"), QStringLiteral("burst"),
                                                             QStringLiteral("64kb"), QStringLiteral("latency"),
                                                             QStringLiteral("50ms")}));
    QVERIFY(commandeReseau(QStringLiteral("nsenter"),
                           HoteB::Arguments(QStringLiteral("tc"),
                                            {QStringLiteral("qdisc"), QStringLiteral("replace"), QStringLiteral("dev"),
                                             QStringLiteral("bpb"), QStringLiteral("root"), QStringLiteral("tbf"),
                                             QStringLiteral("rate"), QStringLiteral("30mbit"), QStringLiteral("burst"),
                                             QStringLiteral("32kb"), QStringLiteral("latency"), QStringLiteral("50ms")})));
    QVERIFY(chromium_.demarre());
}

// Each direction within 3 % of what the link carries, as the page shows it
// and as the receiver counted it; the receiver's JSON holds the run.
void TestDeuxHotesPage::navigateurVersConsole()
{
    Console recepteur;
    recepteur.lance({QStringLiteral("recevoir"), QStringLiteral("--json")}, true);
    QTRY_VERIFY_WITH_TIMEOUT(recepteur.objets(QStringLiteral("page")).size() == 1, 10000);
    QVERIFY(chromium_.taille(360, 740, true));
    QVERIFY(chromium_.ouvre(QStringLiteral("http://%1:4444/").arg(AdresseB), 10000));
    if (!captures_.isEmpty())
        QVERIFY(chromium_.capture(captures_ + QStringLiteral("-page-avant.png")));
    const QJsonObject fin = mesure(chromium_, 5, QStringLiteral("Salon"));
    QCOMPARE(fin.value(QStringLiteral("etat")).toString(), QStringLiteral("fini"));
    const QJsonObject r = fin.value(QStringLiteral("resultats")).toObject();
    const QJsonObject descendant = r.value(QStringLiteral("descendant")).toObject();
    const QJsonObject montant = r.value(QStringLiteral("montant")).toObject();
    const QByteArray detail = QJsonDocument(r).toJson();
    QVERIFY2(pres(mediane(descendant.value(QStringLiteral("secondes"))), utile(30)) &&
                 pres(mediane(descendant.value(QStringLiteral("page_secondes"))), utile(30)) &&
                 pres(mediane(montant.value(QStringLiteral("secondes"))), utile(100)),
             detail.constData());
    QVERIFY2(chromium_.erreurs().isEmpty(), qPrintable(chromium_.erreurs().join('\n')));

    QTRY_VERIFY_WITH_TIMEOUT(recepteur.objets(QStringLiteral("test")).size() == 1, 20000);
    const QJsonObject test = recepteur.objets(QStringLiteral("test")).front();
    QVERIFY2(test.value(QStringLiteral("appareil")).toString().startsWith(QStringLiteral("Chrome")) &&
                 test.value(QStringLiteral("lieu")).toString() == QLatin1String("Salon") &&
                 test.contains(QStringLiteral("montant")) && test.contains(QStringLiteral("descendant")) &&
                 test.contains(QStringLiteral("simultane")),
             QJsonDocument(test).toJson().constData());
    QCOMPARE(recepteur.fautesJson(), 0);
    if (!captures_.isEmpty()) {
        QVERIFY(chromium_.capture(captures_ + QStringLiteral("-page-apres.png")));
        QVERIFY(chromium_.taille(1280, 800, false));
        QVERIFY(chromium_.capture(captures_ + QStringLiteral("-page-bureau.png")));
    }
}

// The receiver window charts the browser's phases and keeps its run as one
// test, with the browser, its system and the place typed on the page.
void TestDeuxHotesPage::navigateurVersFenetre()
{
    QFile::remove(Historique::CheminParDefaut());
    Form1 form1;
    form1.show();
    form1.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    QTRY_COMPARE(form1.EtatReception(), int(Winsock::sckListening));
    QVERIFY(chromium_.ouvre(QStringLiteral("http://127.0.0.1:4444/"), 10000));
    if (!captures_.isEmpty())
        QTimer::singleShot(7000, this, [this] { chromium_.capture(captures_ + QStringLiteral("-page-pendant.png")); });
    QCOMPARE(mesure(chromium_, 5, QStringLiteral("Cuisine")).value(QStringLiteral("etat")).toString(),
             QStringLiteral("fini"));
    const auto lignes = [&form1] {
        QStringList l;
        for (const Historique::Fiche &f : form1.historique()->fiches())
            l << QStringLiteral("%1 %2 s").arg(f.sens).arg(f.debut.msecsTo(f.fin) / 1000.0);
        return l.join(QStringLiteral(", "));
    };
    QTRY_VERIFY2_WITH_TIMEOUT(form1.historique()->fiches().size() == 4, qPrintable(lignes()), 5000);
    QSet<QString> sens;
    for (const Historique::Fiche &f : form1.historique()->fiches()) {
        QVERIFY(f.test != 0 && f.lieu == QLatin1String("Cuisine") && f.appareil.startsWith(QStringLiteral("Chrome")));
        sens.insert(f.sens);
    }
    QCOMPARE(sens, (QSet<QString>{QStringLiteral("montant"), QStringLiteral("descendant"),
                                  QStringLiteral("simultane-montant"), QStringLiteral("simultane-descendant")}));
}

BANDEPASSANTE_NETWORK_TEST_MAIN(TestDeuxHotesPage)
#include "tst_deuxhotes_page.moc"
