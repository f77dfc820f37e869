#pragma once

#include <QWidget>

class QLabel;
class SuiviMesure;

// "Résumé de la mesure": a small window, not modal, with the summary of the
// measurement running or of the last one, rewritten whenever it changes.
// After a complete test, the test's table comes first, and the summary
// below it is headed by the measurement of the table it details.
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
    // A complete test's measurements side by side, after it, and the
    // heading of the one detailed below.
    QLabel *test_;
    QLabel *titre_;
};
