#include "receiver/Etiquette.h"

Etiquette::Etiquette(const QString &caption, QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setCaption(caption);
}

void Etiquette::setCaption(const QString &caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    QString affiche = caption;
    affiche.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    affiche.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setText(affiche);
}
