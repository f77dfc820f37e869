#pragma once

#include <QPixmap>
#include <QProxyStyle>

#include <vector>

// The application's style, except that a line edit's panel (its background
// and frame) is drawn once for each size, state and set of colours, then
// copied. The address box changes colour ten times a second while the
// transmitter works, and drawing its antialiased frame again each time was
// the largest part of the sending end's processor time that is not the
// network's. Meant for one box: it keeps the few panels that box shows.
class StyleBoite : public QProxyStyle
{
public:
    // Draws as the application's style of the moment, by its name.
    StyleBoite();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;

private:
    struct Panneau
    {
        QSize taille;
        qreal dpr;
        int etat;
        int direction;
        size_t couleurs;
        QPixmap image;
    };
    // At most a few: once full, the last one made gives way.
    mutable std::vector<Panneau> panneaux_;
};
