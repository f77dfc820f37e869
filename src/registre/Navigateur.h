#pragma once

#include "registre/RegistryStore.h"

#include <QLatin1String>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

// Opening the maker's web page in the default browser: the browser's command
// comes from the registry, is cleaned of its placeholders, gets the address
// appended and is started as a program. None of these functions lets an error
// reach the user; the opener tells its caller whether a program started.

// The maker's web page, opened by the maker's button of the transmitter window.
inline constexpr QLatin1String AdresseFabricant("https://trevalon.example/");

// Where the desktop names the command that opens web pages (its unnamed value).
inline constexpr QLatin1String CheminCommandeNavigateur("HKEY_CLASSES_ROOT\\htmlfile\\shell\\open\\command");

// Starts a program with its arguments, detached, without waiting for it;
// true when it started.
using Demarreur = std::function<bool(const QString &programme, const QStringList &arguments)>;

// The platform's start: QProcess::startDetached, never through a shell.
bool DemarreDetache(const QString &programme, const QStringList &arguments);

// The program at the head of a command line and its arguments, first the
// program. The program path may be in double quotes; the arguments are split
// on blanks, double quotes keeping blanks together and "" standing for an
// empty argument. A line that starts with a blank names no program ("").
QStringList DecoupeLigne(const QString &sLigne);

// Starts the program that a command line names, with the rest of the line as
// its arguments; false, with nothing started, when the line names no program.
bool DemarreProgramme(const QString &sLigne, const Demarreur &demarre = DemarreDetache);

// Opens sAdresse with the browser command of the program's registry. Any step
// that fails is skipped; a missing command starts nothing. True when a
// program was started, so that the caller can say when none could be.
bool OuvreNavigateur(const QString &sAdresse, const Demarreur &demarre = DemarreDetache);

// The value sNomValeur ("" for the unnamed one) of the key at the full path
// sChemin, which starts with a root name in any letter case
// ("HKEY_CLASSES_ROOT\htmlfile\shell\open\command"); "" when there is none.
QString LitRegistre(const QString &sChemin, const QString &sNomValeur,
                    RegistryStore &store = RegistryStore::system());

// sTexte with every occurrence of sCherche, in any letter case, replaced by
// sRemplacement; a replacement is never searched again. Positions are 16-bit:
// an occurrence or a restart position past 32,767 throws std::overflow_error.
// An empty sCherche leaves the text as it is.
QString Remplace(const QString &sTexte, const QString &sCherche, const QString &sRemplacement);

// vSiVrai when vCondition holds, else vSiFaux. A boolean stands for itself, a
// number (or a text of one) holds when not 0, the texts "True" and "False"
// in any case hold as they say, and an absent (null) condition does not hold.
// A condition that cannot be read as a boolean gives vSiVrai.
QVariant SiVrai(const QVariant &vCondition, const QVariant &vSiVrai, const QVariant &vSiFaux);
