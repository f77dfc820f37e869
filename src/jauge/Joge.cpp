#include "jauge/Joge.h"

#include "jauge/JogeDessin.h"
#include "outils/Arrondi.h"

#include <QPainter>


Joge::Joge(QWidget *parent)
    : QWidget(parent)
{
    // Each tick closes one period's sample: the period must not drift by the
    // slack Qt allows coarse timers.
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(500);
    connect(&Timer1, &QTimer::timeout, this, &Joge::Timer1_Timer);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Joge::redraw()
{
    update();
}

void Joge::Valeur(double v)
{
    modele_.Valeur(v);
}

void Joge::tempo(double T)
{
    // Periods below a millisecond would make the timer spin.
    const qint32 periode = ArrondiPair32(T);
    Timer1.setInterval(qMax(periode, 1));
    Timer1.start();
}

void Joge::ARRET()
{
    Timer1.stop();
}

void Joge::DEMARRER()
{
    Timer1.start();
}

void Joge::AjouteEchantillon(double Valeur)
{
    modele_.AjouteEchantillon(Valeur);
}

void Joge::Timer1_Timer()
{
    modele_.Tick([this](double &v) { emit ChangementValeur(v); });
    dernier_.start();
    redraw();
}

void Joge::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    modele_.Redimensionne(width());
}

void Joge::paintEvent(QPaintEvent *)
{
    // The whole chart, every time: a few hundred lines.
    QPainter p(this);
    DessineJoge(p, modele_, float(width()), float(height()));
}
