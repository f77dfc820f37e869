#include "jauge/Joge.h"
#include "jauge/JogeModele.h"

#include <QtTest>

namespace {

// Runs one tick and returns the value reported through the change event.
double tick(JogeModele &m, double ecrase = -1)
{
    double rapporte = -1;
    m.Tick([&](double &v) {
        rapporte = v;
        if (ecrase >= 0)
            v = ecrase;
    });
    return rapporte;
}

}

class TestJogeModele : public QObject
{
    Q_OBJECT

private slots:
    void modes_data()
    {
        QTest::addColumn<QString>("appels");
        QTest::addColumn<double>("rapporte");
        QTest::addColumn<double>("ouvertApres");

        QTest::newRow("accumulate") << "a100 a50" << 150.0 << 0.0;
        QTest::newRow("set") << "v7" << 7.0 << 7.0;
        QTest::newRow("add then set") << "a5 v3" << 3.0 << 3.0;
        QTest::newRow("set then add") << "v3 a2" << 5.0 << 0.0;
        QTest::newRow("nothing: set mode from the start") << "" << 0.0 << 0.0;
    }

    void modes()
    {
        QFETCH(QString, appels);
        QFETCH(double, rapporte);
        QFETCH(double, ouvertApres);
        JogeModele m;
        m.Redimensionne(10);
        for (const QString &appel : appels.split(' ', Qt::SkipEmptyParts)) {
            const double v = appel.mid(1).toDouble();
            if (appel.startsWith('a'))
                m.AjouteEchantillon(v);
            else
                m.Valeur(v);
        }
        QCOMPARE(tick(m), rapporte);
        QCOMPARE(m.Echantillons()[1], rapporte);
        QCOMPARE(m.Echantillons()[0], ouvertApres);
    }

    void modeValeurRepeteAChaqueTick()
    {
        JogeModele m;
        m.Redimensionne(5);
        m.Valeur(7);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(tick(m), 7.0);
        QCOMPARE(m.Echantillons(), std::vector<double>({7, 7, 7, 7, 0, 0}));
    }

    void echelleAutomatique_data()
    {
        QTest::addColumn<bool>("auto_");
        QTest::addColumn<QList<double>>("echantillons");
        QTest::addColumn<QList<double>>("maximums");

        QTest::newRow("widens, never narrows") << true << QList<double>{250, 275, 50} << QList<double>{275, 275, 275};
        QTest::newRow("equal changes nothing") << true << QList<double>{100} << QList<double>{100};
        QTest::newRow("off") << false << QList<double>{250, 1e9} << QList<double>{100, 100};
        QTest::newRow("beyond 2^31 bytes") << true << QList<double>{3e9} << QList<double>{3.3e9};
    }

    void echelleAutomatique()
    {
        QFETCH(bool, auto_);
        QFETCH(QList<double>, echantillons);
        QFETCH(QList<double>, maximums);
        JogeModele m;
        m.Redimensionne(3);
        m.AutoLignement = auto_;
        for (int i = 0; i < echantillons.size(); ++i) {
            m.Valeur(echantillons[i]);
            tick(m);
            QCOMPARE(m.maximum, maximums[i]);
        }
    }

    void lEvenementPeutRecrireLEchantillon()
    {
        JogeModele m;
        m.Redimensionne(3);
        m.AutoLignement = true;
        m.AjouteEchantillon(500);
        QCOMPARE(tick(m, 0), 500.0);
        QCOMPARE(m.Echantillons()[1], 0.0);
        QCOMPARE(m.maximum, 100.0);
    }

    void phaseDeLaGrille()
    {
        JogeModele m;
        QList<int> phases;
        for (int i = 0; i < 7; ++i) {
            tick(m);
            phases << m.DecalageGrille();
        }
        QCOMPARE(phases, (QList<int>{-2, -4, -6, -8, -10, 0, -2}));
    }

    void historiqueDUnSeulElement()
    {
        JogeModele m;
        m.Redimensionne(0);
        m.AutoLignement = true;
        m.AjouteEchantillon(300);
        QCOMPARE(tick(m), 300.0);
        QCOMPARE(m.maximum, 330.0);
        QCOMPARE(m.Echantillons().size(), size_t(1));
    }

    void redimensionnementGardeLesIndices()
    {
        JogeModele m;
        m.Redimensionne(200);
        for (int i = 1; i <= 200; ++i) {
            m.Valeur(i);
            tick(m);
        }
        // Index k holds the sample closed k - 1 ticks ago: 200 at 1, 1 at 200.
        QCOMPARE(m.Echantillons()[200], 1.0);
        m.Redimensionne(100);
        QCOMPARE(m.N(), 100);
        QCOMPARE(m.Echantillons()[100], 101.0);
        m.Redimensionne(200);
        QCOMPARE(m.Echantillons()[100], 101.0);
        for (int k = 101; k <= 200; ++k)
            QCOMPARE(m.Echantillons()[size_t(k)], 0.0);
    }

    void redimensionnementPendantLEvenementDiffere()
    {
        JogeModele m;
        m.Redimensionne(4);
        m.Valeur(9);
        m.Tick([&m](double &v) {
            m.Redimensionne(50);
            // The reference stays valid: the history was not re-dimensioned.
            QCOMPARE(m.N(), 4);
            v = 8;
        });
        QCOMPARE(m.N(), 50);
        QCOMPARE(m.Echantillons()[1], 8.0);
    }

    void valeursAvantLaPremiereTaille()
    {
        JogeModele m;
        m.AjouteEchantillon(42);
        m.Redimensionne(10);
        QCOMPARE(tick(m), 42.0);
        QCOMPARE(m.Echantillons()[1], 42.0);
    }

    void minuterieDuControle()
    {
        Joge j;
        QSignalSpy changements(&j, &Joge::ChangementValeur);
        QCOMPARE(j.periode(), 500);
        QVERIFY(!j.echantillonne());
        j.tempo(20.5); // halves to even
        QCOMPARE(j.periode(), 20);
        QVERIFY(j.echantillonne());
        QVERIFY(changements.wait(2000));
        j.ARRET();
        const qsizetype apresArret = changements.count();
        QVERIFY(!changements.wait(200));
        QCOMPARE(changements.count(), apresArret);
        j.DEMARRER();
        QCOMPARE(j.periode(), 20);
        QVERIFY(changements.wait(2000));
        j.tempo(-5);
        QVERIFY(j.periode() >= 1);
    }
};

QTEST_MAIN(TestJogeModele)
#include "tst_jogemodele.moc"
