#pragma once

#include "jauge/JogeModele.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

// A strip chart of one quantity sampled at a fixed period. The host pushes
// values into the open sample (Valeur replaces it, AjouteEchantillon adds to
// it); on every tick of the gauge's own timer the sample is closed, reported
// through ChangementValeur, used to widen the scale, shifted into the
// history and drawn.
class Joge : public QWidget
{
    Q_OBJECT

public:
    explicit Joge(QWidget *parent = nullptr);

    double maximum() const { return modele_.maximum; }
    void setMaximum(double m) { modele_.maximum = m; }
    bool AutoLignement() const { return modele_.AutoLignement; }
    void setAutoLignement(bool a) { modele_.AutoLignement = a; }

    void redraw();
    void Valeur(double v);
    // Sets the sampling period in milliseconds (rounded, halves to even) and
    // starts sampling.
    void tempo(double T);
    void ARRET();
    void DEMARRER();
    void AjouteEchantillon(double Valeur);

    const JogeModele &modele() const { return modele_; }
    int periode() const { return Timer1.interval(); }
    bool echantillonne() const { return Timer1.isActive(); }
    // Milliseconds since the newest sample was closed, however long the
    // gauge has been stopped; -1 before the first.
    qint64 depuisDernierEchantillonMs() const { return dernier_.isValid() ? dernier_.elapsed() : -1; }

signals:
    // Raised on every tick with the sample being closed; a value written
    // through the reference replaces it for the rest of the tick.
    void ChangementValeur(double &Valeur);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void Timer1_Timer();

    JogeModele modele_;
    QTimer Timer1;
    QElapsedTimer dernier_;
};
