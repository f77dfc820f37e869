#pragma once

#include <QCoreApplication>
#include <QLatin1String>

// The windowed program's start, before and around its windows: the command
// line (--help, --version, nothing else) and the check that a graphical
// display exists, made before QApplication is built because QApplication
// aborts the process when it finds none.
namespace Demarrage {

// The application's identifier: desktop entry, AppStream id, icon name.
inline constexpr QLatin1String IdentifiantApplication(BANDEPASSANTE_ID);

// The line printed when no display is found, in French; it is printed
// translated.
inline constexpr char MessageSansAffichage[] =
    QT_TRANSLATE_NOOP("Demarrage", "bandepassante : aucun affichage graphique trouvé (DISPLAY et WAYLAND_DISPLAY "
                                   "sont vides) ; bandepassante-console mesure le débit sans affichage.");

// True when Qt may find a display: DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM
// is set, or the command line names a platform.
bool AffichageDisponible(int argc, char *argv[]);

// Reads the command line of an application already built: --help and
// --version print and end the process with 0, an unknown option or an
// argument ends it with 2 and the usage text; otherwise it returns.
void LitLigneCommande(const QCoreApplication &app);

// Without a display: still answers --help and --version, then prints the
// line above and returns the exit code, 1.
int SansAffichage(int argc, char *argv[]);

// Around the building of QApplication, which aborts the process when the
// display it was given cannot be opened (a wrong DISPLAY or WAYLAND_DISPLAY,
// an unknown QT_QPA_PLATFORM): between these two calls, that abort becomes
// one line saying so and naming the console, and exit code 1. Qt's own
// warnings still come first.
void SurveilleOuverture();
void FinOuverture();

} // namespace Demarrage
