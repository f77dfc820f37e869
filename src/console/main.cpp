// bandepassante-console: the receiver and the transmitter without windows,
// for machines without a screen and for scripts.
#include "console/Emetteur.h"
#include "console/LigneCommande.h"
#include "console/Recepteur.h"
#include "console/Serveurs.h"
#include "console/Signaux.h"
#include "console/Sortie.h"
#include "protocol/FinConnexion.h"

#include <QCoreApplication>
#include <QTimer>

#include <memory>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bandepassante-console"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BANDEPASSANTE_VERSION));

    const LigneCommande ligne(QCoreApplication::arguments());
    if (!ligne.valide())
        return ligne.code();
    const LigneCommande::Reglages &reglages = ligne.reglages();

    Sortie sortie(reglages.json);
    std::unique_ptr<Commande> commande;
    switch (reglages.mode) {
    case LigneCommande::Mode::Recevoir:
        commande = std::make_unique<Recepteur>(reglages, sortie);
        break;
    case LigneCommande::Mode::Emettre:
        commande = std::make_unique<Emetteur>(reglages, sortie);
        break;
    case LigneCommande::Mode::Serveurs:
        commande = std::make_unique<Serveurs>(reglages, sortie);
        break;
    }
    Signaux signaux;
    QObject::connect(&signaux, &Signaux::interruption, commande.get(), &Commande::interromps);
    QObject::connect(commande.get(), &Commande::fini, &app, &QCoreApplication::exit, Qt::QueuedConnection);
    // Started from the loop, so that a command that ends at once still
    // reaches the loop's exit.
    QTimer::singleShot(0, commande.get(), &Commande::demarre);
    const int code = QCoreApplication::exec();
    // A close hands the rest of a started block over from the event loop:
    // it leaves before the process ends, and nothing of the command runs
    // meanwhile.
    commande.reset();
    FinConnexion::AttendTout();
    return code;
}
