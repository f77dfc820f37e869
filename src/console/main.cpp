// bandepassante-console: the receiver and the transmitter without windows,
// for machines without a screen and for scripts.
#include "console/Emetteur.h"
#include "console/LigneCommande.h"
#include "console/Recepteur.h"
#include "console/Serveurs.h"
#include "console/Signaux.h"
#include "console/Sortie.h"
#include "console/CommandeTest.h"
#include "outils/Langue.h"
#include "protocole/FinConnexion.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char *argv[])
{
    // A reader that closes the pipe (`| head -1`) makes the next write fail,
    // which ends the program with its code, rather than a signal killing it.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("bandepassante-console"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BANDEPASSANTE_VERSION));
    Langue::Installe(app);

    const LigneCommande ligne(QCoreApplication::arguments());
    if (!ligne.valide())
        return Sortie::Confirme() ? ligne.code() : int(Commande::Impossible);
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
    case LigneCommande::Mode::Test:
        commande = std::make_unique<CommandeTest>(reglages, sortie);
        break;
    }
    // Nobody reads what is measured any more: the command stops as on an
    // interruption, from the loop rather than from inside the failed write.
    sortie.siEchec([&commande] {
        QMetaObject::invokeMethod(
            commande.get(),
            [c = commande.get()] {
                if (!c->estFini())
                    c->interromps();
            },
            Qt::QueuedConnection);
    });
    Signaux signaux;
    QObject::connect(&signaux, &Signaux::interruption, commande.get(), &Commande::interromps);
    QObject::connect(commande.get(), &Commande::fini, &app, &QCoreApplication::exit, Qt::QueuedConnection);
    // Started from the loop, so that a command that ends at once still
    // reaches the loop's exit.
    QTimer::singleShot(0, commande.get(), &Commande::demarre);
    int code = QCoreApplication::exec();
    const bool recherche = commande->rechercheEnCours();
    // A close hands the rest of a started block over and ends the connection
    // in order from the event loop: it finishes before the process ends, and
    // nothing of the command runs meanwhile.
    commande.reset();
    FinConnexion::AttendTout();
    if (!Sortie::Confirme() || sortie.enEchec())
        code = Commande::Impossible;
    // The system's resolver cannot be cut short, and the normal way out would
    // wait for the lookup still running, past --attente or Ctrl-C.
    if (recherche) {
        std::fflush(stderr);
        std::_Exit(code);
    }
    return code;
}
