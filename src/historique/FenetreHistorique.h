#pragma once

#include "historique/Historique.h"

#include <QWidget>

class GraphiqueHistorique;
class QLabel;
class QPushButton;
class QTableWidget;

// "Historique": the stored measurements in a sortable table (date, lieu,
// transmitter, duration, mean, maximum) whose Lieu is edited in place. The
// selected rows are drawn over each other below the table; they can be
// deleted (after a confirmation) or exported as CSV, and one of them can be
// saved and pictured like the last measurement. When the history is
// unavailable the window says why, as soon as it becomes so, and stops
// saying it once it is available again.
class FenetreHistorique : public QWidget
{
    Q_OBJECT

public:
    enum Colonne {
        ColDate,
        ColLieu,
        // Both ends: "émetteur → récepteur".
        ColExtremites,
        ColSens,
        ColDuree,
        ColMoyenne,
        ColMaximum,
        ColLatence,
        ColLien,
        ColSignal,
        NbColonnes
    };

    explicit FenetreHistorique(Historique *historique, QWidget *parent = nullptr);

    // Reads the table again from the file.
    void recharge();
    // The measurements of the selected rows, in the table's order.
    QVector<Historique::Fiche> selection() const;
    // Deletes the selected rows without asking; false if the file refused.
    bool supprimeSelection();
    // What the window says above the table: why the history is
    // unavailable, or why a change was refused; empty when all is well.
    QString etat() const;

private:
    void demandeSuppression();
    void demandeExport();
    void lieuModifie(int ligne, int colonne);
    void selectionChangee();
    std::optional<Mesure> mesureChoisie();
    void dit(const QString &message);

    Historique *historique_;
    QLabel *etat_;
    QTableWidget *table_;
    QPushButton *supprimer_;
    QPushButton *exporter_;
    QPushButton *enregistrer_;
    QPushButton *image_;
    GraphiqueHistorique *graphique_;
    QVector<Historique::Fiche> fiches_;
    bool remplit_ = false;
};
