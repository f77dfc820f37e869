#pragma once

#include "mesure/Mesure.h"

#include <QImage>

class QWidget;

// The file dialogs behind "Enregistrer la mesure…" and "Enregistrer
// l'image…", for the measurement running and for a stored one alike. They
// propose a name from the measurement's start in the user's documents
// folder, and say in a message why a file could not be written; the
// measurement itself is untouched either way.
void DemandeEnregistrementMesure(QWidget *parent, const Mesure &mesure);
void DemandeEnregistrementImage(QWidget *parent, const QImage &image, const Mesure &mesure);
