#include "jauge/JogeDessin.h"

#include "jauge/JogeModele.h"

#include <QLineF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const QColor Fond(0, 0, 0);
const QColor Grille(0, 128, 0);
const QColor Courbe(0, 255, 0);

// Cuts the segment (x1, y1)-(x2, y2) to the band ymin <= y <= ymax; false
// when nothing of it lies inside. Each end that lies beyond the band is moved
// along the segment to the band's edge, reckoning from the other end, so that
// an end millions of heights away loses no precision.
bool CoupeEnHauteur(double &x1, double &y1, double &x2, double &y2, double ymin, double ymax)
{
    if ((y1 < ymin && y2 < ymin) || (y1 > ymax && y2 > ymax))
        return false;
    const auto rameneAuBord = [&](double &xa, double &ya, double xb, double yb) {
        if (ya >= ymin && ya <= ymax)
            return;
        const double bord = ya < ymin ? ymin : ymax;
        xa = xb + (xa - xb) * ((bord - yb) / (ya - yb));
        ya = bord;
    };
    rameneAuBord(x1, y1, x2, y2);
    rameneAuBord(x2, y2, x1, y1);
    return true;
}

}

void DessineJoge(QPainter &p, const JogeModele &modele, float W, float H)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipRect(QRectF(0, 0, W, H));

    p.fillRect(QRectF(0, 0, W, H), Fond);

    // Cosmetic pens: one pixel whatever the transformation.
    QPen crayon(Grille, 0);
    p.setPen(crayon);

    // Vertical lines, shifted by the grid phase so that they scroll with the
    // curve; one more than the width needs, for the phase.
    std::vector<QLineF> lignes;
    const float decalage = modele.DecalageGrille();
    for (float i = 0; i <= W + JogeModele::PasGrille; i += JogeModele::PasGrille)
        lignes.emplace_back(i + decalage, 0.0f, i + decalage, H);
    // Horizontal lines, still.
    for (float i = 0; i <= H + JogeModele::PasGrille; i += JogeModele::PasGrille)
        lignes.emplace_back(0.0f, i, W, i);
    p.drawLines(lignes.data(), int(lignes.size()));

    const double maximum = modele.maximum;
    const std::vector<double> &e = modele.Echantillons();
    const int N = modele.N();
    if (N < 2 || !(maximum > 0)) {
        p.restore();
        return;
    }

    // Y(v) = H - H × v / maximum, in double, then as a single-precision
    // coordinate. Points far above or below the surface (samples far off
    // the scale) are brought back along their segment first, so that every
    // coordinate handed to the painter is finite and of a sensible size; x
    // stays within the history's width anyway.
    const auto Y = [&](double v) { return double(H) - double(H) * v / maximum; };
    const double marge = 4.0 * (double(W) + double(H)) + 16;
    lignes.clear();
    lignes.reserve(size_t(N));
    for (int i = 1; i <= N - 1; ++i) {
        double x1 = double(W) - JogeModele::PasEchantillon * double(i - 1);
        double x2 = double(W) - JogeModele::PasEchantillon * double(i);
        double y1 = Y(e[size_t(i)]);
        double y2 = Y(e[size_t(i) + 1]);
        if (std::isnan(y1) || std::isnan(y2))
            continue;
        // An infinite sample: a point so far up or down that the segment is
        // vertical wherever it crosses the surface.
        y1 = std::clamp(y1, -1e30, 1e30);
        y2 = std::clamp(y2, -1e30, 1e30);
        if (std::abs(y1) > marge || std::abs(y2) > marge) {
            if (!CoupeEnHauteur(x1, y1, x2, y2, -1, double(H) + 1))
                continue;
        }
        lignes.emplace_back(float(x1), float(y1), float(x2), float(y2));
    }
    crayon.setColor(Courbe);
    p.setPen(crayon);
    p.drawLines(lignes.data(), int(lignes.size()));
    p.restore();
}
