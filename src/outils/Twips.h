#pragma once

#include <QRect>

class QWidget;

// Window geometry is laid out in twips (1440 to the inch); widgets take
// pixels. At the usual 96 dots per inch a pixel is 15 twips.
double TwipsParPixelX();
double TwipsParPixelY();
int PixelsX(double twips);
int PixelsY(double twips);
double TwipsX(int pixels);
double TwipsY(int pixels);

// A rectangle given in twips, in pixels.
QRect RectTwips(int gauche, int haut, int largeur, int hauteur);

// The windows' controls are small (a label of seven rows is 97 pixels high):
// gives `w` and its children DejaVu Sans at 11 pixels, which fits them.
void PoliceCompacte(QWidget *w);
