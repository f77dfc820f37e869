#include "transmitter/Bulle.h"

#include <QRect>
#include <QToolTip>
#include <QWidget>

void Bulle::Montre(QWidget *controle, const QString &texte)
{
    controle->setToolTip(texte);
    QToolTip::showText(controle->mapToGlobal(QPoint(0, controle->height())), texte, controle, QRect(), DureeMs);
}

void Bulle::Retire(QWidget *controle)
{
    if (QToolTip::isVisible() && QToolTip::text() == controle->toolTip())
        QToolTip::hideText();
    controle->setToolTip(QString());
}
