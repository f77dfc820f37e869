#include "outils/Langue.h"
#include "recepteur/Demarrage.h"
#include "recepteur/Form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (!Demarrage::AffichageDisponible(argc, argv))
        return Demarrage::SansAffichage(argc, argv);
    Demarrage::SurveilleOuverture();
    QApplication app(argc, argv);
    Demarrage::FinOuverture();
    Langue::Installe(app);
    Demarrage::LitLigneCommande(app);
    QGuiApplication::setDesktopFileName(Demarrage::IdentifiantApplication);
    Form1 form1;
    form1.show();
    return app.exec();
}
