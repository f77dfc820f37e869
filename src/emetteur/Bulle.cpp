#include "emetteur/Bulle.h"

#include <QRect>
#include <QToolTip>
#include <QWidget>

void Bulle::Montre(QWidget *controle, const QString &texte)
{
    QString lignes = texte;
    const qsizetype deuxPoints = lignes.indexOf(QLatin1String(" : "));
    if (deuxPoints >= 0)
        lignes.replace(deuxPoints + 2, 1, QLatin1Char('\n'));
    controle->setToolTip(lignes);
    QToolTip::showText(controle->mapToGlobal(QPoint(0, controle->height())), lignes, controle, QRect(), DureeMs);
}

void Bulle::Retire(QWidget *controle)
{
    if (QToolTip::isVisible() && QToolTip::text() == controle->toolTip())
        QToolTip::hideText();
    controle->setToolTip(QString());
}
