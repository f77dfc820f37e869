#pragma once

#include <QString>
#include <QStringView>

// Text that came from the network made harmless for a terminal and for one
// line of output: every control character (C0, DEL and C1: no escape
// sequence, no carriage return, no line break) is written as an escape
// ("\x1b"), and the backslash as "\\", so that what is printed says exactly
// what came. Anything else is kept as it is.
QString Neutralise(QStringView texte);
