#include "emetteur/StyleBoite.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

#include <algorithm>

namespace {

// A blink shows two panels; focus and hover add a few more.
constexpr size_t PanneauxMax = 8;

}

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
    const QSize taille = option->rect.size();
    const int etat = int(option->state);
    const auto pareil = [&](const Panneau &p) {
        return p.taille == taille && p.dpr == dpr && p.etat == etat && p.direction == option->direction &&
               p.couleurs == couleurs;
    };
    auto trouve = std::find_if(panneaux_.begin(), panneaux_.end(), pareil);
    if (trouve == panneaux_.end()) {
        QPixmap image(taille * dpr);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        QStyleOptionFrame ici;
        if (const auto *cadre = qstyleoption_cast<const QStyleOptionFrame *>(option))
            ici = *cadre;
        else
            static_cast<QStyleOption &>(ici) = *option;
        ici.rect = QRect(QPoint(), taille);
        QPainter p(&image);
        QProxyStyle::drawPrimitive(element, &ici, &p, widget);
        p.end();
        if (panneaux_.size() == PanneauxMax)
            panneaux_.pop_back();
        panneaux_.push_back({taille, dpr, etat, int(option->direction), couleurs, image});
        trouve = panneaux_.end() - 1;
    }
    painter->drawPixmap(option->rect.topLeft(), trouve->image);
}
