#pragma once

#include <QWidget>

class QLabel;
class SuiviMesure;

// "Résumé de la mesure": a small window, not modal, with the summary of the
// measurement running or of the last one, rewritten whenever it changes.
class FenetreResume : public QWidget
{
    Q_OBJECT

public:
    explicit FenetreResume(const SuiviMesure *suivi, QWidget *parent = nullptr);

    QString texte() const;

private:
    void actualise();

    const SuiviMesure *suivi_;
    QLabel *texte_;
    // A complete test's three means side by side, after it.
    QLabel *test_;
};
