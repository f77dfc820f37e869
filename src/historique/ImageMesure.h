#pragma once

#include "jauge/JogeModele.h"
#include "mesure/Mesure.h"

#include <QImage>
#include <QSize>

#include <vector>

// The chart of a measurement as a picture that says what it shows when it
// is attached to a message: the chart as the gauge draws it at `taille`,
// scaled twice, above a band naming the date and time, "émetteur →
// récepteur", the mean and the maximum.
QImage ImageMesure(const JogeModele &modele, QSize taille, const Mesure &mesure);

// The gauge's data for a stored measurement drawn `largeur` pixels wide: its
// last seconds, the newest on the right, on a scale fitted to them.
JogeModele ModeleMesure(const std::vector<qint64> &secondes, int largeur);

// Writes the picture as PNG. Empty on success, otherwise the reason in
// French.
QString EnregistreImage(const QString &chemin, const QImage &image);
