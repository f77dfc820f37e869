#pragma once

#include "mesure/Mesure.h"

#include <QImage>

// The chart of a measurement as a picture that says what it shows when it
// is attached to a message, the same from the receiver window and from the
// history: its seconds across the whole width, on a scale that holds them,
// at twice the size of the receiver's chart, above a band naming the date
// and time, the direction and "émetteur → récepteur", the mean, the maximum,
// the latency and the link, each line whole (wrapped, never cut).
QImage ImageMesure(const Mesure &mesure);

// Writes the picture as PNG. Empty on success, otherwise the reason, to be
// shown to the person.
QString EnregistreImage(const QString &chemin, const QImage &image);
