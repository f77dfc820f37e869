#pragma once

#include <QString>

class QWidget;

// A balloon: a small window in the tool tips' look, shown just below a
// control for about six seconds, to tell what went wrong where the person
// looks, without a dialog and without moving anything in the window. It is
// a window of its own, not Qt's tool tip, which any click or change of focus
// in the program hides at once: shown as a menu closes, it stays. The text
// also stays the control's own tool tip, shown again when the pointer rests
// on it, until it is withdrawn. A text "reason : likely cause" is shown on
// two lines, broken after the first " : " (after the first ": " of a text in
// English, "reason: likely cause"), so that the balloon stays near the width
// of the window.
namespace Bulle {

constexpr int DureeMs = 6000;

void Montre(QWidget *controle, const QString &texte);

// Hides the balloon if it is the control's, and clears the control's tool tip.
void Retire(QWidget *controle);

// The text of the balloon on show, as shown; empty when none is.
QString Texte();

}
