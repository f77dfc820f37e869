// The person's language: the English translation is whole (every text
// finished, keeping its placeholders and shortcuts), it is chosen from the
// environment only when English comes first, it changes nothing a program
// reads (the console's JSON is the same in both languages), and the
// windows in English cut none of their texts. This program itself runs as
// for a person who reads English.

#include "../console/OutilsConsole.h"
#include "../emetteur/OutilsEmetteur.h"
#include "emetteur/Bulle.h"
#include "historique/FenetreHistorique.h"
#include "historique/FenetreResume.h"
#include "historique/MenuMesure.h"
#include "historique/SuiviMesure.h"
#include "outils/Formatage.h"
#include "outils/Langue.h"
#include "protocole/RaisonEchec.h"
#include "recepteur/Etiquette.h"
#include "recepteur/FenetreTelephone.h"
#include "recepteur/Form1.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

// What a text must keep in any language: its placeholders, in any order,
// and its shortcut marks ("&&" is a plain ampersand, "&amp;" an entity).
QStringList Reperes(const QString &texte)
{
    static const QRegularExpression repere(QStringLiteral("%(?:\\d+|n)|&&|&(?![a-z]+;|#\\d+;)\\S"));
    QStringList trouves;
    for (auto it = repere.globalMatch(texte); it.hasNext();) {
        const QString r = it.next().captured();
        if (r != QLatin1String("&&"))
            trouves << (r.startsWith(QLatin1Char('&')) ? QStringLiteral("&") : r);
    }
    trouves.sort();
    return trouves;
}

// The JSON lines of a run with what changes from run to run (figures,
// times, grades) taken out, and repeated seconds told once.
QStringList Forme(const QStringList &lignes)
{
    static const QRegularExpression chiffres(QStringLiteral("[0-9]+(\\.[0-9]+)?|\"[A-F]\\+?\""));
    QStringList forme;
    for (QString ligne : lignes) {
        ligne.replace(chiffres, QStringLiteral("0"));
        if (forme.isEmpty() || forme.last() != ligne)
            forme << ligne;
    }
    return forme;
}

// The texts of `fenetre`'s labels and buttons that their widget cuts, each
// line measured in the widget's own font.
QStringList Coupes(const QWidget *fenetre)
{
    QStringList coupes;
    QList<const QWidget *> widgets{fenetre};
    for (const QWidget *w : fenetre->findChildren<QWidget *>())
        widgets << w;
    for (const QWidget *w : widgets) {
        if (!w->isVisible())
            continue;
        QString texte;
        int place = 0;
        if (const auto *l = qobject_cast<const QLabel *>(w); l && !l->wordWrap() && !Qt::mightBeRichText(l->text())) {
            texte = l->text();
            place = l->contentsRect().width() - 2 * l->margin();
        } else if (const auto *b = qobject_cast<const QAbstractButton *>(w)) {
            texte = QString(b->text()).remove(QRegularExpression(QStringLiteral("&(?!&)")));
            place = b->width() - 6;
        } else if (const auto *e = qobject_cast<const Etiquette *>(w)) {
            texte = QString(e->Caption()).replace(QLatin1Char('\r'), QLatin1Char('\n'));
            place = e->width();
        }
        for (const QString &ligne : texte.split(QLatin1Char('\n'))) {
            if (w->fontMetrics().horizontalAdvance(ligne) > place)
                coupes << QStringLiteral("%1 \"%2\" (%3 px in %4)")
                              .arg(w->objectName(), ligne)
                              .arg(w->fontMetrics().horizontalAdvance(ligne))
                              .arg(place);
        }
    }
    return coupes;
}

QProcessEnvironment Environnement(const QString &langue)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), langue);
    env.insert(QStringLiteral("LANGUAGE"), QString());
    return env;
}

}

class TestLangue : public QObject
{
    Q_OBJECT

public:
    explicit TestLangue(bool anglais)
        : anglais_(anglais)
    {
    }

private:
    // Where to save the pictures for people to look at, when set.
    const QString captures_ = qEnvironmentVariable("BANDEPASSANTE_CAPTURES");
    const bool anglais_;

    // Checks that `w` cuts none of its texts, and keeps its picture.
    void regarde(QWidget *w, const QString &nom)
    {
        const QStringList coupes = Coupes(w);
        QVERIFY2(coupes.isEmpty(), qPrintable(nom + QStringLiteral(": ") + coupes.join(QStringLiteral("; "))));
        if (!captures_.isEmpty())
            QVERIFY(w->grab().save(captures_ + QStringLiteral("/en-") + nom + QStringLiteral(".png")));
    }

private slots:
    void traductionEntiere();
    void choix_data();
    void choix();
    void memeJson();
    void fenetres();
};

// Every message of the English file is finished and keeps what its source
// has; every fault is listed at once.
void TestLangue::traductionEntiere()
{
    QFile fichier(QStringLiteral(BANDEPASSANTE_TRADUCTIONS "/bandepassante_en.ts"));
    QVERIFY(fichier.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&fichier);
    QStringList fautes;
    int messages = 0;
    QString contexte, source;
    QStringList traductions;
    bool finie = true, pluriel = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            if (xml.isEndElement() && xml.name() == QLatin1String("message") && !source.isEmpty()) {
                ++messages;
                if (!finie || traductions.isEmpty() || traductions.contains(QString()))
                    fautes << QStringLiteral("unfinished: %1 \"%2\"").arg(contexte, source);
                for (const QString &t : traductions) {
                    if (Reperes(t) != Reperes(source))
                        fautes << QStringLiteral("placeholders or shortcut lost: %1 \"%2\" -> \"%3\"").arg(contexte, source, t);
                }
            }
            continue;
        }
        if (xml.name() == QLatin1String("name")) {
            contexte = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            pluriel = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
            source.clear();
            traductions.clear();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const auto type = xml.attributes().value(QLatin1String("type"));
            finie = type.isEmpty();
            if (type == QLatin1String("vanished") || type == QLatin1String("obsolete"))
                source.clear();
            if (!pluriel)
                traductions << xml.readElementText();
        } else if (xml.name() == QLatin1String("numerusform")) {
            traductions << xml.readElementText();
        } else if (xml.name() != QLatin1String("TS") && xml.name() != QLatin1String("context")) {
            xml.skipCurrentElement();
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY(messages > 200);
    QVERIFY2(fautes.isEmpty(), qPrintable(fautes.join(QLatin1Char('\n'))));
    qInfo("%d texts, each finished with its placeholders and shortcuts", messages);
}

// --help in the language that comes first, French when it is not English.
void TestLangue::choix_data()
{
    QTest::addColumn<QString>("lcAll");
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("anglais");
    QTest::newRow("C") << QStringLiteral("C") << QString() << false;
    QTest::newRow("POSIX") << QStringLiteral("POSIX") << QString() << false;
    QTest::newRow("French") << QStringLiteral("fr_FR.UTF-8") << QString() << false;
    QTest::newRow("German, no translation") << QStringLiteral("de_DE.UTF-8") << QString() << false;
    QTest::newRow("English") << QStringLiteral("en_US.UTF-8") << QString() << true;
    QTest::newRow("British English") << QStringLiteral("en_GB.UTF-8") << QString() << true;
    QTest::newRow("LANGUAGE puts English first") << QStringLiteral("fr_FR.UTF-8") << QStringLiteral("en:fr") << true;
    QTest::newRow("LANGUAGE puts German first") << QStringLiteral("en_US.UTF-8") << QStringLiteral("de:en") << false;
}

void TestLangue::choix()
{
    QFETCH(QString, lcAll);
    QFETCH(QString, language);
    QFETCH(bool, anglais);
    QProcessEnvironment env = Environnement(lcAll);
    env.insert(QStringLiteral("LANGUAGE"), language);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(BANDEPASSANTE_CONSOLE), {QStringLiteral("--help")});
    QVERIFY(p.waitForFinished(10000));
    const QString aide = QString::fromUtf8(p.readAllStandardOutput());
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(aide.startsWith(QStringLiteral("Usage:")), anglais);
    QCOMPARE(aide.contains(QStringLiteral("recevoir")), true);
}

// A measurement between two consoles, one English and one French, then the
// other way round: each side's JSON has the same shape in both languages,
// while its human lines are told in each.
void TestLangue::memeJson()
{
    QHash<QString, QStringList> formes;
    QHash<QString, QString> humains;
    for (const QString &recepteur : {QStringLiteral("en_US.UTF-8"), QStringLiteral("fr_FR.UTF-8")}) {
        const QString emetteur = recepteur.startsWith(QLatin1String("en")) ? QStringLiteral("fr_FR.UTF-8")
                                                                         : QStringLiteral("en_US.UTF-8");
        Console r, e;
        r.lance({QStringLiteral("recevoir"), QStringLiteral("--une-fois"), QStringLiteral("--json")}, false,
                Environnement(recepteur));
        QTRY_VERIFY_WITH_TIMEOUT(!r.objets(QStringLiteral("page")).isEmpty(), 10000);
        e.lance({QStringLiteral("emettre"), QStringLiteral("127.0.0.1"), QStringLiteral("--duree"), QStringLiteral("2"),
                 QStringLiteral("--json")},
                false, Environnement(emetteur));
        QTRY_VERIFY_WITH_TIMEOUT(!e.enCours() && !r.enCours(), 20000);
        QVERIFY(e.code() == 0 && r.code() == 0);
        QCOMPARE(r.fautesJson() + e.fautesJson(), 0);
        for (const auto &[role, c] : {std::pair{QStringLiteral("recevoir"), &r}, std::pair{QStringLiteral("emettre"), &e}}) {
            const QStringList forme = Forme(c->lignes());
            QVERIFY2(!formes.contains(role) || formes[role] == forme,
                     qPrintable(formes[role].join(QLatin1Char('\n')) + QStringLiteral("\n---\n") + forme.join(QLatin1Char('\n'))));
            formes[role] = forme;
        }
        humains[recepteur] = r.erreurs();
    }
    QVERIFY2(humains.value(QStringLiteral("fr_FR.UTF-8")).contains(QStringLiteral("Réception sur")), qPrintable(humains.value(QStringLiteral("fr_FR.UTF-8"))));
    QVERIFY2(!humains.value(QStringLiteral("en_US.UTF-8")).contains(QStringLiteral("Réception")), qPrintable(humains.value(QStringLiteral("en_US.UTF-8"))));
}

// Both windows measuring each other over loopback, then every window the
// measurement opens, the menu and the balloons, in English: nothing cut,
// and English indeed.
void TestLangue::fenetres()
{
    QVERIFY(anglais_);
    QCOMPARE(FormateOctets(1536), QStringLiteral("1.5 KiB"));
    QCOMPARE(FormateBits(1536), QStringLiteral("12.0 Kibit"));
    Form1 form1;
    form1.show();
    Form2 *form2 = form1.form2();
    QVERIFY(QTest::qWaitForWindowExposed(&form1) && QTest::qWaitForWindowExposed(form2));
    const QString demarre = QCoreApplication::translate("Form2", Form2::CaptionDemarre);
    const QString connecte = QCoreApplication::translate("Form2", Form2::CaptionConnecte);
    QVERIFY(demarre != QString::fromUtf8(Form2::CaptionDemarre));
    QCOMPARE(legende(form2), demarre);
    regarde(&form1, QStringLiteral("recepteur"));
    regarde(form2, QStringLiteral("emetteur"));

    Scenario s;
    s.puis([&] { appuie(&form1); })
        .quand("receiver listening", [&] { return form1.EtatReception() == Winsock::sckListening; }, 2000,
               [&] { appuie(form2); })
        .quand("connected", [&] { return legende(form2) == connecte; }, 3000)
        .quand("five seconds measured", [&] { return form1.suivi()->mesure().secondes().size() >= 5; }, 8000,
               [&] {
                   regarde(&form1, QStringLiteral("recepteur-mesure"));
                   regarde(form2, QStringLiteral("emetteur-mesure"));
                   if (!captures_.isEmpty()) {
                       const QPixmap gauche = form1.grab(), droite = form2->grab();
                       QImage deux(gauche.width() + droite.width(), std::max(gauche.height(), droite.height()),
                                   QImage::Format_RGB32);
                       deux.fill(Qt::darkGray);
                       QPainter peintre(&deux);
                       peintre.drawPixmap(0, 0, gauche);
                       peintre.drawPixmap(gauche.width(), 0, droite);
                       peintre.end();
                       deux.save(captures_ + QStringLiteral("/en-mesure.png"));
                   }
                   appuie(form2);
               })
        .quand("transmitter idle", [&] { return legende(form2) == demarre; }, 2000);
    JOUE(s, form2, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!form1.suivi()->mesure().enCours() && !form1.historique()->fiches().isEmpty(), 10000);

    MenuMesure *menu = form1.menuMesure();
    FenetreResume *resume = menu->montreResume();
    QVERIFY(QTest::qWaitForWindowExposed(resume));
    QVERIFY2(!resume->texte().contains(QStringLiteral("Émetteur")), qPrintable(resume->texte()));
    regarde(resume, QStringLiteral("resume"));
    FenetreHistorique *historique = menu->montreHistorique();
    QVERIFY(QTest::qWaitForWindowExposed(historique));
    regarde(historique, QStringLiteral("historique"));
    FenetreTelephone *telephone = menu->montreTelephone();
    QVERIFY(QTest::qWaitForWindowExposed(telephone));
    regarde(telephone, QStringLiteral("telephone"));
    std::unique_ptr<QMenu> contextuel(menu->creeMenu(&form1));
    contextuel->popup(form1.mapToGlobal(QPoint(20, 20)));
    QVERIFY(QTest::qWaitForWindowExposed(contextuel.get()));
    regarde(contextuel.get(), QStringLiteral("menu"));
    contextuel->close();
    auto *menuEmetteur = form2->findChild<QMenu *>();
    emit form2->customContextMenuRequested(QPoint(20, 20));
    QVERIFY(QTest::qWaitForWindowExposed(menuEmetteur));
    regarde(menuEmetteur, QStringLiteral("menu-emetteur"));
    menuEmetteur->close();
    if (!captures_.isEmpty())
        QVERIFY(menu->image().save(captures_ + QStringLiteral("/en-image.png")));

    // Each kind of balloon, under the transmitter's address box.
    auto *adresse = form2->findChild<QLineEdit *>(QStringLiteral("AdresseIP"));
    const QString cible = QStringLiteral("192.168.100.200");
    const QStringList raisons{RaisonSansReponse(cible), RaisonIpv6(QStringLiteral("[fe80::1]")),
                              RaisonPerte(cible, true, 0, QString()),
                              RaisonEcouteImpossible(4444, 98, QStringLiteral("Address already in use"))};
    for (int i = 0; i < raisons.size(); ++i) {
        Bulle::Montre(adresse, raisons[i]);
        auto *vue = form2->findChild<QLabel *>(QStringLiteral("Bulle"));
        QVERIFY(vue && QTest::qWaitForWindowExposed(vue));
        QVERIFY2(!Bulle::Texte().contains(QStringLiteral("é")), qPrintable(Bulle::Texte()));
        QVERIFY2(vue->width() <= vue->screen()->availableGeometry().width(), qPrintable(Bulle::Texte()));
        regarde(vue, QStringLiteral("bulle-%1").arg(i));
    }
    Bulle::Retire(adresse);
}

int main(int argc, char *argv[])
{
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANGUAGE", "");
    QApplication app(argc, argv);
    const bool anglais = Langue::Installe(app);
    TestLangue test(anglais);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_langue.moc"
