#include "console/Serveurs.h"

#include "console/Sortie.h"
#include "protocole/Protocole.h"

#include <optional>

Serveurs::Serveurs(const LigneCommande::Reglages &reglages, Sortie &sortie)
    : reglages_(reglages)
    , sortie_(sortie)
{
    connect(&WssidReceptor, &Winsock::DataArrival, this, &Serveurs::WssidReceptor_DataArrival);
    duree_.setSingleShot(true);
    duree_.setTimerType(Qt::PreciseTimer);
    connect(&duree_, &QTimer::timeout, this, &Serveurs::arrete);
}

void Serveurs::demarre()
{
    if (!WssidReceptor.Bind(Protocole::Port)) {
        //: %1 the port, %2 the system's reason
        Sortie::erreur(tr("impossible d'écouter le port UDP %1 (%2)")
                           .arg(Protocole::Port)
                           .arg(WssidReceptor.DerniereErreur()));
        termine(Impossible);
        return;
    }
    depuis_.start();
    if (reglages_.duree > 0)
        duree_.start(reglages_.duree * 1000);
    Sortie::diagnostic(reglages_.duree > 0
                           ? tr("Écoute des annonces de récepteurs sur le port UDP %1 pendant %2 s.")
                                 .arg(Protocole::Port)
                                 .arg(reglages_.duree)
                           : tr("Écoute des annonces de récepteurs sur le port UDP %1 jusqu'à Ctrl-C.")
                                 .arg(Protocole::Port));
}

void Serveurs::WssidReceptor_DataArrival(qint64)
{
    WssidReceptor.GetData(datagramme_);
    if (!Protocole::AdresseAnnoncee(datagramme_)) {
        ++ignores_;
        return;
    }
    const std::optional<QString> serveur = entendus_.Nouveau(datagramme_);
    if (!serveur)
        return;
    sortie_.serveur(*serveur, depuis_.elapsed());
}

void Serveurs::arrete()
{
    WssidReceptor.Close();
    if (ignores_ > 0)
        //: %n the datagrams, %1 the port
        Sortie::diagnostic(tr("%n datagramme(s) ignoré(s) sur le port UDP %1 : ce n'étaient pas des annonces de "
                              "récepteur.",
                              nullptr, ignores_)
                               .arg(Protocole::Port));
    if (entendus_.count() == 0)
        Sortie::diagnostic(tr("Aucun récepteur entendu en %1 s. Un récepteur s'annonce environ 1 s après son "
                              "démarrage puis toutes les 30 s.")
                               .arg(qRound(double(depuis_.elapsed()) / 1000.0)));
    termine(Termine);
}

void Serveurs::interromps()
{
    arrete();
}
