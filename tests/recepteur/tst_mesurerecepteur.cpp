#include "SandboxGuard.h"
#include "jauge/Joge.h"
#include "historique/ExportMesure.h"
#include "historique/FenetreHistorique.h"
#include "historique/FenetreResume.h"
#include "historique/GraphiqueHistorique.h"
#include "historique/Historique.h"
#include "historique/MenuMesure.h"
#include "historique/SuiviMesure.h"
#include "protocole/Protocole.h"
#include "recepteur/Etiquette.h"
#include "recepteur/Form1.h"
#include "outils/Evenements.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

namespace {

int finsDemandees = 0;

void noteFin()
{
    ++finsDemandees;
}

}

// The receiver window keeps its measurement: summary, menu, tooltip,
// history, and the measurement stored when the program ends.
class TestMesureRecepteur : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;
    // Set by ctest: where to save pictures of the windows for people to see.
    const QString captures = qEnvironmentVariable("BANDEPASSANTE_CAPTURES");

    void capture(QWidget *w, const QString &nom)
    {
        if (!captures.isEmpty())
            QVERIFY(w->grab().save(captures + QLatin1Char('/') + nom));
    }

    void demarre()
    {
        form->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    }

    // Sends 'A' blocks at `octetsParSeconde` from the connection on, held to
    // the rate by the clock (not by the timer's ticks), for `dureeMs`.
    static void envoieCadence(QTcpSocket &client, qint64 octetsParSeconde, qint64 dureeMs)
    {
        const QByteArray bloc(64 * 1024, 'A');
        QElapsedTimer horloge;
        horloge.start();
        qint64 envoye = 0;
        QTimer pas;
        pas.setTimerType(Qt::PreciseTimer);
        pas.setInterval(2);
        QEventLoop boucle;
        connect(&pas, &QTimer::timeout, &boucle, [&] {
            const qint64 ecoule = std::min(horloge.elapsed(), dureeMs);
            qint64 du = octetsParSeconde * ecoule / 1000 - envoye;
            while (du > 0) {
                const qint64 n = std::min<qint64>(du, bloc.size());
                client.write(bloc.constData(), n);
                envoye += n;
                du -= n;
            }
            if (ecoule >= dureeMs)
                boucle.quit();
        });
        pas.start();
        boucle.exec();
        client.disconnectFromHost();
    }

private slots:
    void initTestCase()
    {
        DefinitFinProgramme(&noteFin);
        // Never the user's own history.
        QVERIFY(Historique::CheminParDefaut().startsWith(qEnvironmentVariable("XDG_DATA_HOME") + QLatin1Char('/')));
    }

    void init()
    {
        QFile::remove(Historique::CheminParDefaut());
        form = std::make_unique<Form1>();
        form->show();
        QVERIFY(form->historique()->disponible());
    }

    void cleanup() { form.reset(); }

    // A plain sender held to 2 MB/s for 10 s: the stored mean is that rate
    // within 1 %.
    void mesureCadencee()
    {
        demarre();
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, Protocole::Port);
        QVERIFY(client.waitForConnected(5000));
        constexpr qint64 Debit = 2000000;
        envoieCadence(client, Debit, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(form->historique()->fiches().size(), 1, 10000);

        const Historique::Fiche f = form->historique()->fiches().front();
        QCOMPARE(f.total, Debit * 10);
        QVERIFY2(qAbs(f.moyenne - Debit) <= Debit / 100, qPrintable(QString::number(f.moyenne)));
        QCOMPARE(f.emetteur, QStringLiteral("127.0.0.1"));
        QVERIFY(!f.inachevee);
        // The first and last seconds were cut: 9 or 10 complete ones, each
        // near the rate.
        const Mesure &m = form->suivi()->mesure();
        QVERIFY(m.secondes().size() >= 9 && m.secondes().size() <= 10);
        QVERIFY(f.maximum <= Debit * 11 / 10);

        FenetreResume *resume = form->menuMesure()->montreResume();
        QVERIFY(resume->texte().contains(QStringLiteral("Émetteur : 127.0.0.1")));
        // The decimal line gives the same mean, to the same 1 %.
        const QRegularExpressionMatch decimaux =
            QRegularExpression(QStringLiteral("soit (\\d+),(\\d) Mbit/s décimaux")).match(resume->texte());
        QVERIFY2(decimaux.hasMatch(), qPrintable(resume->texte()));
        const double mbits = decimaux.captured(1).toDouble() + decimaux.captured(2).toDouble() / 10;
        QVERIFY2(qAbs(mbits - 16.0) <= 0.16 + 0.05, qPrintable(resume->texte()));
        capture(resume, QStringLiteral("resume.png"));
        const QImage image = form->menuMesure()->image();
        QCOMPARE(image.width(), 2 * form->findChild<Joge *>()->width());
        if (!captures.isEmpty())
            QVERIFY(image.save(captures + QStringLiteral("/image.png")));
    }

    // Closing the window while a measurement runs stores it before the end.
    void fermetureEnCours()
    {
        demarre();
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, Protocole::Port);
        QVERIFY(client.waitForConnected(5000));
        client.write(QByteArray(1025, 'A'));
        QTRY_VERIFY_WITH_TIMEOUT(form->suivi()->mesure().resume().dureeMs() > SuiviMesure::DureeMinimaleMs, 10000);
        QCOMPARE(form->historique()->fiches().size(), 0);
        // The summary follows the measurement live, and the menu copies it.
        FenetreResume *resume = form->menuMesure()->montreResume();
        QVERIFY(resume->texte().contains(QStringLiteral(" (en cours)")));
        std::unique_ptr<QMenu> menu(form->menuMesure()->creeMenu(nullptr));
        menu->actions().at(1)->trigger();
        // Compared up to its duration, which goes on growing.
        const QString copie = QGuiApplication::clipboard()->text();
        const QString resumeTexte = TexteResume(form->suivi()->mesure());
        QCOMPARE(copie.section(QLatin1Char('\n'), 0, 1), resumeTexte.section(QLatin1Char('\n'), 0, 1));
        QVERIFY(copie.contains(QStringLiteral("Mbit/s décimaux")));

        const int fins = finsDemandees;
        form->close();
        QCOMPARE(finsDemandees, fins + 1);
        QVERIFY(!form->suivi()->mesure().enCours());
        QVERIFY(!resume->texte().contains(QStringLiteral(" (en cours)")));
        const QVector<Historique::Fiche> fiches = form->historique()->fiches();
        QCOMPARE(fiches.size(), 1);
        QCOMPARE(fiches.front().total, qint64(1025));
    }

    void menu_data()
    {
        QTest::addColumn<bool>("clavier");
        QTest::addColumn<QString>("cible");
        QTest::newRow("right click on the chart") << false << QStringLiteral("Joge");
        QTest::newRow("right click on the statistics") << false << QStringLiteral("infos");
        QTest::newRow("Menu key") << true << QString();
    }

    // The menu opens on the chart, on the label and with the Menu key; its
    // measurement entries are greyed out before any measurement.
    void menu()
    {
        QFETCH(bool, clavier);
        QFETCH(QString, cible);
        QWidget *w = cible.isEmpty() ? form.get() : form->findChild<QWidget *>(cible);
        QVERIFY(w);
        QContextMenuEvent e(clavier ? QContextMenuEvent::Keyboard : QContextMenuEvent::Mouse, QPoint(5, 5),
                            w->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(w, &e);
        QMenu *menu = form->findChild<QMenu *>(QStringLiteral("MenuMesure"));
        QVERIFY(menu);
        QTRY_VERIFY(menu->isVisible());
        QStringList textes;
        QList<bool> actifs;
        for (QAction *a : menu->actions()) {
            if (a->isSeparator())
                continue;
            textes << a->text();
            actifs << a->isEnabled();
        }
        QCOMPARE(textes, QStringList({QStringLiteral("Résumé de la mesure…"), QStringLiteral("Copier le résumé"),
                                      QStringLiteral("Enregistrer la mesure…"), QStringLiteral("Enregistrer l'image…"),
                                      QStringLiteral("Remettre l'échelle à zéro"), QStringLiteral("Historique…"),
                                      QStringLiteral("Mesurer depuis un téléphone…")}));
        QCOMPARE(actifs, QList<bool>({false, false, false, false, true, true, true}));
        if (clavier)
            capture(menu, QStringLiteral("menu.png"));
        menu->close();
    }

    // The tooltip names the sample under the pointer; the scale starts again.
    void infobulleEtEchelle()
    {
        Joge *jauge = form->findChild<Joge *>();
        demarre();
        QSignalSpy secondes(jauge, &Joge::ChangementValeur);
        QVERIFY(secondes.wait(3000));
        jauge->AjouteEchantillon(1250000);
        QVERIFY(secondes.wait(3000));
        const QString texte = form->menuMesure()->infobulle(jauge->width());
        QCOMPARE(texte, QStringLiteral("9,5 Mb/s (1,2 Mo/s)\nil y a 1 s"));
        QCOMPARE(form->menuMesure()->infobulle(-10), QString());
        QCOMPARE(jauge->maximum(), 1250000 * 1.1);
        form->menuMesure()->remetEchelle();
        QCOMPARE(jauge->maximum(), 100.0);
        // The line "Maximum" follows at once.
        QTRY_VERIFY(form->findChild<Etiquette *>()->Caption().contains(QStringLiteral("Maximum : 800 Bits/s")));
    }

    // Two stored measurements selected in the history are drawn together.
    void historiqueSuperpose()
    {
        Historique *h = form->historique();
        const QDateTime debut(QDate(2026, 12, 7), QTime(10, 15, 0));
        int numero = 0;
        for (qint64 niveau : {51000000, 12000000}) {
            Mesure m(QStringLiteral("10.44.0.%1").arg(2 + numero), QStringLiteral("10.44.0.1"),
                     debut.addSecs(600 * numero));
            for (int i = 0; i < 60; ++i) {
                const qint64 s = niveau + (i % 7) * niveau / 20 - (i % 3) * niveau / 15;
                m.ajouteSeconde(s);
                m.ajouteOctets(s);
            }
            m.termine(m.debut().addSecs(60));
            QVERIFY(h->enregistre(m, false));
            ++numero;
        }
        FenetreHistorique *fenetre = form->menuMesure()->montreHistorique();
        auto *table = fenetre->findChild<QTableWidget *>(QStringLiteral("table"));
        QCOMPARE(table->rowCount(), 2);
        // Lieu typed in place goes to the file.
        table->item(0, FenetreHistorique::ColLieu)->setText(QStringLiteral("Chambre"));
        table->item(1, FenetreHistorique::ColLieu)->setText(QStringLiteral("Salon, près de la box"));
        QStringList lieux;
        for (const Historique::Fiche &f : h->fiches())
            lieux << f.lieu;
        QCOMPARE(lieux, QStringList({QStringLiteral("Chambre"), QStringLiteral("Salon, près de la box")}));

        // A checkpoint or another copy's write reads the table again: the
        // selection stays.
        table->selectRow(1);
        const qint64 choisie = fenetre->selection().front().id;
        fenetre->recharge();
        QCOMPARE(fenetre->selection().size(), 1);
        QCOMPARE(fenetre->selection().front().id, choisie);

        table->sortItems(FenetreHistorique::ColMoyenne, Qt::DescendingOrder);
        QCOMPARE(table->item(0, FenetreHistorique::ColExtremites)->text(), QStringLiteral("10.44.0.2 → 10.44.0.1"));
        table->selectAll();
        QCOMPARE(fenetre->selection().size(), 2);
        auto *graphique = fenetre->findChild<GraphiqueHistorique *>();
        QCOMPARE(graphique->courbes().size(), 2);
        QVERIFY(graphique->courbes()[0].legende.startsWith(
            QStringLiteral("descendant — Salon, près de la box (10.44.0.2 → 10.44.0.1, 07/12 10:15)")));
        capture(fenetre, QStringLiteral("historique.png"));

        table->selectRow(0);
        QVERIFY(fenetre->supprimeSelection());
        QTRY_COMPARE(table->rowCount(), 1);
        QCOMPARE(h->fiches().front().lieu, QStringLiteral("Chambre"));
    }
};

BANDEPASSANTE_NETWORK_TEST_MAIN(TestMesureRecepteur)
#include "tst_mesurerecepteur.moc"
