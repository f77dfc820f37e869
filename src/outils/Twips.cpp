#include "outils/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace {

double twipsParPixel(double pointsParPouce)
{
    return pointsParPouce > 0 ? 1440.0 / pointsParPouce : 15.0;
}

QScreen *ecran()
{
    return QGuiApplication::primaryScreen();
}

}

double TwipsParPixelX()
{
    return twipsParPixel(ecran() ? ecran()->logicalDotsPerInchX() : 96.0);
}

double TwipsParPixelY()
{
    return twipsParPixel(ecran() ? ecran()->logicalDotsPerInchY() : 96.0);
}

int PixelsX(double twips)
{
    return int(std::lround(twips / TwipsParPixelX()));
}

int PixelsY(double twips)
{
    return int(std::lround(twips / TwipsParPixelY()));
}

double TwipsX(int pixels)
{
    return pixels * TwipsParPixelX();
}

double TwipsY(int pixels)
{
    return pixels * TwipsParPixelY();
}

QRect RectTwips(int gauche, int haut, int largeur, int hauteur)
{
    return QRect(PixelsX(gauche), PixelsY(haut), PixelsX(largeur), PixelsY(hauteur));
}

void PoliceCompacte(QWidget *w)
{
    QFont police = w->font();
    police.setFamilies({QStringLiteral("DejaVu Sans")});
    police.setStyleHint(QFont::SansSerif);
    police.setPixelSize(11);
    w->setFont(police);
}
