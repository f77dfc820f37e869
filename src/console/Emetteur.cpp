#include "console/Emetteur.h"

Emetteur::Emetteur(const LigneCommande::Reglages &reglages, Sortie &sortie)
    : reglages_(reglages)
    , sortie_(sortie)
{
    flux_.role = reglages_.retour ? QStringLiteral("recepteur") : QStringLiteral("emetteur");
    flux_.sens = reglages_.retour ? QStringLiteral("descendant") : QStringLiteral("montant");
    connect(&session_, &Session::connexion, this, [this](const QString &adresse) {
        flux_.pair = adresse;
        const QString duree = reglages_.duree > 0 ? tr("pendant %1 s").arg(reglages_.duree) : tr("jusqu'à Ctrl-C");
        //: %1 the receiver, %2 the port, %3 what is measured ("envoi"...), %4 how long ("pendant 10 s"...)
        Sortie::diagnostic(tr("Connecté à %1, port TCP %2 : %3 %4.")
                               .arg(adresse)
                               .arg(reglages_.port)
                               .arg(reglages_.retour ? tr("réception des blocs en retour") : tr("envoi"), duree));
        Sortie::lien((reglages_.retour ? session_.descendant() : session_.montant()).mesure().lien());
    });
    connect(&session_, &Session::seconde, this,
            [this](bool montant, int numero, qint64 octets) {
                const Chronique &c = montant ? session_.montant() : session_.descendant();
                const std::optional<VueTcp> &vue = c.vueSeconde();
                sortie_.seconde(flux_, numero, octets, vue ? &*vue : nullptr, &c.mesure().lien());
            });
    connect(&session_, &Session::impossible, this, [this](const QString &raison) {
        Sortie::erreur(raison);
        termine(Impossible);
    });
    connect(&session_, &Session::terminee, this, &Emetteur::surFin);
}

void Emetteur::demarre()
{
    session_.demarre({reglages_.hote, reglages_.port, reglages_.attente, reglages_.duree,
                      reglages_.retour ? Session::Genre::Retour : Session::Genre::Flux});
}

void Emetteur::surFin(Session::Fin fin, const QString &remarque)
{
    if (fin == Session::Fin::Depart)
        Sortie::diagnostic(tr("Le récepteur %1 a mis fin à la mesure.").arg(flux_.pair));
    Sortie::phrase(remarque);
    const Chronique &chronique = reglages_.retour ? session_.descendant() : session_.montant();
    sortie_.resume(flux_, Session::motif(fin), chronique.mesure().resume(), chronique.mesure().lien());
    if (chronique.secondes() == 0 && (fin == Session::Fin::Depart || fin == Session::Fin::Coupure)) {
        Sortie::erreur(tr("le récepteur a mis fin à la connexion avant la première seconde, aucune mesure"));
        termine(Impossible);
        return;
    }
    termine(Termine);
}

void Emetteur::interromps()
{
    if (session_.connectee())
        Sortie::diagnostic(tr("Interrompu."));
    session_.interromps();
}
