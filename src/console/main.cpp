#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bandepassante-console"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BANDEPASSANTE_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Mesure du débit TCP d'un lien local, sans écran."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);
    std::fputs(qPrintable(parser.helpText()), stderr);
    return 2;
}
