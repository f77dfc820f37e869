#include "emetteur/StyleBoite.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyleOption>

StyleBoite::StyleBoite()
    : QProxyStyle(QApplication::style()->name())
{
}

void StyleBoite::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                               const QWidget *widget) const
{
    if (element != PE_PanelLineEdit || !option || option->rect.isEmpty() || !painter->device()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Every colour the style may read, so that a change of palette or theme
    // draws the panel again.
    size_t couleurs = 0;
    for (int role = 0; role < QPalette::NColorRoles; ++role)
        couleurs = couleurs * 31 + option->palette.color(QPalette::ColorRole(role)).rgba();
    const qreal dpr = painter->device()->devicePixelRatio();
    const QString cle = QStringLiteral("StyleBoite %1x%2 %3 %4 %5 %6")
                            .arg(option->rect.width())
                            .arg(option->rect.height())
                            .arg(dpr)
                            .arg(uint(option->state))
                            .arg(option->direction)
                            .arg(couleurs);
    QPixmap panneau;
    if (!QPixmapCache::find(cle, &panneau)) {
        panneau = QPixmap(option->rect.size() * dpr);
        panneau.setDevicePixelRatio(dpr);
        panneau.fill(Qt::transparent);
        QStyleOptionFrame ici;
        if (const auto *cadre = qstyleoption_cast<const QStyleOptionFrame *>(option))
            ici = *cadre;
        else
            static_cast<QStyleOption &>(ici) = *option;
        ici.rect = QRect(QPoint(), option->rect.size());
        QPainter p(&panneau);
        QProxyStyle::drawPrimitive(element, &ici, &p, widget);
        p.end();
        QPixmapCache::insert(cle, panneau);
    }
    painter->drawPixmap(option->rect.topLeft(), panneau);
}
