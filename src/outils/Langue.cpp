#include "outils/Langue.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

QChar separateur = QLatin1Char(',');

// Installs `fichier` (a .qm, in `dossier`) for `locale` when it exists.
void Charge(QCoreApplication &app, const QLocale &locale, const QString &fichier, const QString &dossier)
{
    auto *traduction = new QTranslator(&app);
    if (traduction->load(locale, fichier, QStringLiteral("_"), dossier))
        QCoreApplication::installTranslator(traduction);
    else
        delete traduction;
}

}

bool Langue::Installe(QCoreApplication &app)
{
    const QStringList preferees = QLocale::system().uiLanguages();
    // Only the first preference counts: a person who prefers a language we
    // have no translation for reads the program's own French.
    const QLocale premiere(preferees.isEmpty() ? QStringLiteral("C") : preferees.front());
    const QString qt = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (premiere.language() == QLocale::French) {
        Charge(app, premiere, QStringLiteral("qtbase"), qt);
        return false;
    }
    if (premiere.language() != QLocale::English)
        return false;
    Charge(app, premiere, QStringLiteral("qtbase"), qt);
    Charge(app, premiere, QStringLiteral("bandepassante"), QStringLiteral(":/traductions"));
    separateur = QLocale::system().decimalPoint().front();
    return true;
}

QChar Langue::SeparateurDecimal()
{
    return separateur;
}
