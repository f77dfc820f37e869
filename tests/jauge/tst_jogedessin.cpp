#include "jauge/Joge.h"
#include "jauge/JogeDessin.h"
#include "jauge/JogeModele.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

#include <limits>

namespace {

constexpr QRgb Noir = 0x000000;
constexpr QRgb Grille = 0x008000;
constexpr QRgb Courbe = 0x00FF00;

QRgb couleur(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

// The chart of `m` on a W × H image that starts magenta, so that a pixel
// the drawing forgot shows.
QImage dessine(const JogeModele &m, int W, int H)
{
    QImage image(W, H, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    QPainter p(&image);
    DessineJoge(p, m, float(W), float(H));
    p.end();
    return image;
}

// Closes `ticks` samples of value v (set mode).
void pousse(JogeModele &m, double v, int ticks)
{
    m.Valeur(v);
    for (int k = 0; k < ticks; ++k)
        m.Tick(nullptr);
}

// The columns of row y in the curve's colour.
QList<int> colonnesCourbe(const QImage &image, int y)
{
    QList<int> colonnes;
    for (int x = 0; x < image.width(); ++x) {
        if (couleur(image, x, y) == Courbe)
            colonnes << x;
    }
    return colonnes;
}

int pixelsCourbe(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        n += int(colonnesCourbe(image, y).size());
    return n;
}

}

class TestJogeDessin : public QObject
{
    Q_OBJECT

private slots:
    // Background and grid, with a history of zeros, which stays invisible:
    // every pixel is black, or grid green where a vertical line (x on the
    // phase, every 12 pixels) or a horizontal one (y a multiple of 12) lies.
    void grille_data()
    {
        QTest::addColumn<int>("W");
        QTest::addColumn<int>("H");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<int>("phase");
        QTest::addColumn<int>("lignesVerticales");

        QTest::newRow("120x60, phase 0") << 120 << 60 << 0 << 0 << 10;
        // Lines at -4, 8, ..., 116, 128: the first and last fall outside.
        QTest::newRow("120x60, phase -4") << 120 << 60 << 2 << -4 << 10;
        QTest::newRow("120x60, phase -10") << 120 << 60 << 5 << -10 << 10;
        QTest::newRow("six ticks, phase 0 again") << 120 << 60 << 6 << 0 << 10;
        QTest::newRow("320x240, phase -2") << 320 << 240 << 7 << -2 << 26;
        QTest::newRow("167x225, phase -6") << 167 << 225 << 3 << -6 << 14;
        QTest::newRow("one pixel wide: grid, no curve") << 1 << 60 << 4 << -8 << 0;
    }

    void grille()
    {
        QFETCH(int, W);
        QFETCH(int, H);
        QFETCH(int, ticks);
        QFETCH(int, phase);
        QFETCH(int, lignesVerticales);

        JogeModele m;
        m.Redimensionne(W);
        pousse(m, 0, ticks);
        QCOMPARE(int(m.DecalageGrille()), phase);

        const QImage image = dessine(m, W, H);
        int verticales = 0;
        for (int x = 0; x < W; ++x) {
            const bool surVerticale = (x - phase) % 12 == 0;
            verticales += surVerticale;
            for (int y = 0; y < H; ++y) {
                const QRgb attendu = surVerticale || y % 12 == 0 ? Grille : Noir;
                if (couleur(image, x, y) != attendu)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is #%3").arg(x).arg(y).arg(couleur(image, x, y), 6, 16, QLatin1Char('0'))));
            }
        }
        QCOMPARE(verticales, lignesVerticales);
    }

    // A flat history of one value draws one full row of curve, on
    // Y(v) = H - H v / maximum, and nothing else; at 0 (y = H) and above
    // the scale it is out of sight.
    void niveau_data()
    {
        QTest::addColumn<double>("maximum");
        QTest::addColumn<double>("valeur");
        QTest::addColumn<int>("ligne");

        QTest::newRow("maximum on the top row") << 100.0 << 100.0 << 0;
        QTest::newRow("half on the middle row") << 100.0 << 50.0 << 30;
        QTest::newRow("a quarter") << 100.0 << 25.0 << 45;
        QTest::newRow("0 invisible") << 100.0 << 0.0 << -1;
        QTest::newRow("above the scale, clipped") << 100.0 << 200.0 << -1;
        QTest::newRow("negative, clipped") << 100.0 << -10.0 << -1;
        QTest::newRow("huge, clipped") << 100.0 << 1e300 << -1;
        QTest::newRow("infinite, clipped") << 100.0 << std::numeric_limits<double>::infinity() << -1;
        QTest::newRow("widened scale: 1/1.1 of the height") << 1375000.0 << 1250000.0 << 5;
        QTest::newRow("no scale, no curve") << 0.0 << 50.0 << -1;
    }

    void niveau()
    {
        QFETCH(double, maximum);
        QFETCH(double, valeur);
        QFETCH(int, ligne);

        JogeModele m;
        m.maximum = maximum;
        m.Redimensionne(120);
        pousse(m, valeur, 121);
        const QImage image = dessine(m, 120, 60);

        QList<int> toutes;
        for (int x = 0; x < 120; ++x)
            toutes << x;
        if (ligne >= 0)
            QCOMPARE(colonnesCourbe(image, ligne), toutes);
        QCOMPARE(pixelsCourbe(image), ligne >= 0 ? 120 : 0);
    }

    // Closed sample k sits at x = W - 2 (k - 1): a peak at the top of the
    // scale among half-scale samples lights exactly one pixel of the top row.
    void positionDesEchantillons_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("colonne");

        QTest::newRow("2") << 2 << 118;
        QTest::newRow("10") << 10 << 102;
        QTest::newRow("60") << 60 << 2;
        QTest::newRow("61 at x = 0") << 61 << 0;
        QTest::newRow("62 at x = -2, clipped") << 62 << -1;
    }

    void positionDesEchantillons()
    {
        QFETCH(int, k);
        QFETCH(int, colonne);

        JogeModele m;
        m.Redimensionne(120);
        pousse(m, 100, 1);
        pousse(m, 50, k - 1);
        QCOMPARE(m.Echantillons()[size_t(k)], 100.0);

        const QImage image = dessine(m, 120, 60);
        QCOMPARE(colonnesCourbe(image, 0), colonne >= 0 ? QList<int>{colonne} : QList<int>{});
    }

    // A sample far above the scale is a spike cut at the top edge: sample 10
    // (x = 102) is out of sight, the sides from samples 9 and 11 (x = 104
    // and 100) run straight up out of the surface.
    void pointie_data()
    {
        QTest::addColumn<double>("pic");
        QTest::newRow("1e300") << 1e300;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
    }

    void pointie()
    {
        QFETCH(double, pic);
        JogeModele m;
        m.Redimensionne(120);
        pousse(m, pic, 1);
        pousse(m, 50, 9);
        const QImage image = dessine(m, 120, 60);
        for (int y = 0; y < 30; ++y)
            QCOMPARE(colonnesCourbe(image, y), (QList<int>{100, 104}));
    }

    // The newest closed sample is at the right edge, x = W: its segment
    // lights the last two columns.
    void plusRecentAuBordDroit()
    {
        JogeModele m;
        m.Redimensionne(120);
        pousse(m, 50, 2);
        const QImage image = dessine(m, 120, 60);
        QCOMPARE(couleur(image, 119, 30), Courbe);
        QCOMPARE(couleur(image, 118, 30), Courbe);
        QCOMPARE(couleur(image, 119, 29), Noir);
        QCOMPARE(couleur(image, 119, 31), Noir);
        // The open sample is never drawn: a new value shows only once closed.
        m.Valeur(100);
        QCOMPARE(colonnesCourbe(dessine(m, 120, 60), 0), QList<int>{});
    }

    // Shrinking the history to 100 and growing it back to 200 forgets the
    // samples 101 to 200: the half-scale row stops at sample 100, x = 2.
    void historiqueRedimensionne()
    {
        JogeModele m;
        m.Redimensionne(200);
        pousse(m, 50, 201);
        QCOMPARE(colonnesCourbe(dessine(m, 200, 60), 30).size(), 200);

        m.Redimensionne(100);
        m.Redimensionne(200);
        const QImage image = dessine(m, 200, 60);
        const QList<int> ligne = colonnesCourbe(image, 30);
        QCOMPARE(ligne.size(), 198);
        QCOMPARE(ligne.first(), 2);
        QCOMPARE(ligne.last(), 199);
        // From sample 100 at (2, 30) down to sample 101, a zero, at (0, 60).
        QCOMPARE(couleur(image, 1, 45), Courbe);
    }

    // The widget paints the drawing of its own model at its size in pixels,
    // and follows its size changes.
    void widget()
    {
        Joge jauge;
        jauge.setMaximum(100);
        jauge.resize(200, 60);
        jauge.show();
        QVERIFY(QTest::qWaitForWindowExposed(&jauge));
        QCOMPARE(jauge.modele().N(), 200);
        jauge.Valeur(50);
        int ticks = 0;
        connect(&jauge, &Joge::ChangementValeur, this, [&](double &) { ++ticks; });
        jauge.tempo(1);
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 201, 10000);
        jauge.ARRET();

        jauge.resize(100, 60);
        QCOMPARE(jauge.modele().N(), 100);
        jauge.resize(200, 60);
        QCOMPARE(jauge.modele().N(), 200);

        const QImage vu = jauge.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(vu.size(), QSize(200, 60));
        QCOMPARE(vu, dessine(jauge.modele(), 200, 60));
        QCOMPARE(colonnesCourbe(vu, 30).size(), 198);
    }
};

QTEST_MAIN(TestJogeDessin)
#include "tst_jogedessin.moc"
