#pragma once

#include "mesure/Mesure.h"

#include <QImage>
#include <QStandardPaths>

class QWidget;

// The file dialogs behind "Enregistrer la mesure…" and "Enregistrer
// l'image…", for the measurement running and for a stored one alike. They
// propose a name from the measurement's start in the folder last used, at
// first the user's documents (or pictures) folder, and say in a message why
// a file could not be written; the measurement itself is untouched either way.
void DemandeEnregistrementMesure(QWidget *parent, const Mesure &mesure);
void DemandeEnregistrementImage(QWidget *parent, const QImage &image, const Mesure &mesure);

// Where a file dialog opens: the folder of the last file chosen in one of
// them, else the user's folder of that kind; and what was chosen, to come
// back to it.
QString DossierPropose(QStandardPaths::StandardLocation parDefaut);
void RetientDossier(const QString &chemin);
