#include "recepteur/Demarrage.h"

#include "outils/Langue.h"

#include <QCommandLineParser>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace Demarrage {

namespace {

QtMessageHandler gestionnairePrecedent = nullptr;

// The settings that chose the display, as they were given.
std::string Reglages()
{
    std::string texte;
    for (const char *variable : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"}) {
        const char *valeur = std::getenv(variable);
        if (valeur && *valeur)
            texte += std::string(texte.empty() ? "" : ", ") + variable + '=' + valeur;
    }
    return texte;
}

void SurMessage(QtMsgType type, const QMessageLogContext &contexte, const QString &message)
{
    if (type != QtFatalMsg) {
        gestionnairePrecedent(type, contexte, message);
        return;
    }
    //: %1: the settings that chose the display, such as DISPLAY=:0
    const QString texte = QCoreApplication::translate("Demarrage",
                                                      "bandepassante : l'affichage graphique ne s'ouvre pas (%1) ; "
                                                      "bandepassante-console mesure le débit sans affichage.");
    std::fprintf(stderr, "%s\n", qPrintable(texte.arg(QString::fromStdString(Reglages()))));
    std::_Exit(1);
}

void Nomme()
{
    QCoreApplication::setApplicationName(QStringLiteral("bandepassante"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BANDEPASSANTE_VERSION));
}

} // namespace

bool AffichageDisponible(int argc, char *argv[])
{
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char *valeur = std::getenv(variable);
        if (valeur && *valeur)
            return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

void LitLigneCommande(const QCoreApplication &app)
{
    Nomme();
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "Demarrage", "Mesure le débit TCP réel d'un lien de réseau local entre deux machines : "
                     "la fenêtre \"Récepteur\" reçoit sur le port 4444, la fenêtre \"Emetteur\" lui envoie."));
    // Qt's own option texts are English; these speak the program's language.
    const QCommandLineOption aide({QStringLiteral("h"), QStringLiteral("help")},
                                  QCoreApplication::translate("Demarrage", "Affiche cette aide et termine."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QCoreApplication::translate("Demarrage", "Affiche la version et termine."));
    parser.addOption(aide);
    parser.addOption(version);
    if (!parser.parse(app.arguments()) || !parser.positionalArguments().isEmpty()) {
        const QString erreur = parser.positionalArguments().isEmpty()
            ? parser.errorText()
            : QCoreApplication::translate("Demarrage", "argument inattendu : %1")
                  .arg(parser.positionalArguments().constFirst());
        //: %1: what is wrong on the command line
        const QString ligne = QCoreApplication::translate("Demarrage", "bandepassante : %1").arg(erreur);
        std::fprintf(stderr, "%s\n\n%s", qPrintable(ligne), qPrintable(parser.helpText()));
        std::exit(2);
    }
    if (parser.isSet(aide))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
}

void SurveilleOuverture()
{
    gestionnairePrecedent = qInstallMessageHandler(SurMessage);
}

void FinOuverture()
{
    qInstallMessageHandler(gestionnairePrecedent);
}

int SansAffichage(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Langue::Installe(app);
    LitLigneCommande(app);
    std::fprintf(stderr, "%s\n", qPrintable(QCoreApplication::translate("Demarrage", MessageSansAffichage)));
    return 1;
}

} // namespace Demarrage
