#pragma once

class JogeModele;
class QPainter;

// Draws the gauge's chart onto `p`, over a surface of `W` × `H` pixels with
// its origin at the top-left corner: a black background, a #008000 grid of
// PasGrille-pixel squares whose vertical lines follow the grid phase
// DecalageGrille, and a #00FF00 line through the closed samples, the newest
// at x = W and each older one PasEchantillon pixels further left, a sample
// worth `maximum` on the top edge and a sample of 0 on y = H, just below the
// last row. Every line is a one-pixel aliased segment; nothing is drawn
// outside the surface. A scale that is not positive draws no curve.
void DessineJoge(QPainter &p, const JogeModele &modele, float W, float H);
