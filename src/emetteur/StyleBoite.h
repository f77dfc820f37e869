#pragma once

#include <QProxyStyle>

// The application's style, except that a line edit's panel (its background
// and frame) is drawn once for each size, state and set of colours, then
// copied. The address box changes colour ten times a second while the
// transmitter works, and drawing its antialiased frame again each time was
// the largest part of the sending end's processor time that is not the
// network's.
class StyleBoite : public QProxyStyle
{
public:
    // Draws as the application's style of the moment, by its name.
    StyleBoite();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
};
