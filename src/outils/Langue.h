#pragma once

#include <QChar>

class QCoreApplication;

// The language a person reads. Every text is written in French, which stays
// the language unless the person's preferred languages (the system's, from
// LANGUAGE, LC_ALL, LC_MESSAGES and LANG) put English first: then the
// English translation of the program and Qt's own are installed, and
// quantities take the English locale's decimal separator. A French
// preference installs Qt's own French texts. What programs read (JSON,
// CSV, the wire, the metrics) never goes through a translation.
namespace Langue {

// Chooses and installs the translations on `app`, once, before any text is
// made. Returns true when English was chosen.
bool Installe(QCoreApplication &app);

// The decimal separator of quantities: "," unless English was chosen.
QChar SeparateurDecimal();

} // namespace Langue
