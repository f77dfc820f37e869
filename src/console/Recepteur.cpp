#include "console/Recepteur.h"

#include "console/Sortie.h"
#include "page/CodeQr.h"
#include "protocole/Annonce.h"
#include "protocole/Protocole.h"
#include "protocole/RaisonEchec.h"

#include <QDateTime>
#include <QNetworkInterface>

#include <cstdio>
#include <unistd.h>

Recepteur::Recepteur(const LigneCommande::Reglages &reglages, Sortie &sortie)
    : reglages_(reglages)
    , sortie_(sortie)
    , chronique_(sortie, QStringLiteral("recepteur"))
{
    W.setLocalPort(reglages_.port);
    W.setSilenceMax(Protocole::SilenceMaxMs);
    service_.setSansRetour(reglages_.sansRetour);
    connect(&service_, &ServiceRecepteur::envoye, &chronique_, &ChroniqueMesure::ajoute);
    connect(&service_, &ServiceRecepteur::refus, this, [this](const QString &raison) {
        Sortie::diagnostic(tr("Demande de l'émetteur %1 refusée : %2.").arg(chronique_.pair(), raison));
        emetteurParti(ChroniqueMesure::Fin::Coupure, tr("la demande de l'émetteur a été refusée, aucune mesure"));
    });
    page_.definitSansPage(reglages_.sansPage);
    page_.definitSansRetour(reglages_.sansRetour);
    page_.definitOccupation([this] {
        return ServeurPage::Occupation{chronique_.enCours(), chronique_.pair(),
                                       chronique_.mesure().debut().msecsTo(QDateTime::currentDateTime())};
    });
    connect(&page_.accueil(), &Accueil::transmetteur, this, &Recepteur::Accueil_Transmetteur);
    connect(&page_, &ServeurPage::mesureCommencee, this, &Recepteur::suitPage);
    connect(&W, &Winsock::DataArrival, this, &Recepteur::W_DataArrival);
    connect(&W, &Winsock::Closed, this, &Recepteur::W_Close);
    connect(&W, &Winsock::Error, this, &Recepteur::W_Error);

    SSID.setInterval(Protocole::PremiereAnnonceMs);
    connect(&SSID, &QTimer::timeout, this, &Recepteur::SSID_Timer);
    duree_.setSingleShot(true);
    duree_.setTimerType(Qt::PreciseTimer);
    connect(&duree_, &QTimer::timeout, this, [this] { arrete(ChroniqueMesure::Fin::Duree); });
}

void Recepteur::demarre()
{
    if (!reglages_.metriques.isEmpty()) {
        QHostAddress adresse;
        quint16 port = 0;
        QString raison;
        Metriques::LitAdresse(reglages_.metriques, adresse, port);
        metriques_ = std::make_unique<Metriques>(chronique_, service_);
        if (!metriques_->ecoute(adresse, port, raison)) {
            //: %1 the address given, %2 the system's reason
            Sortie::erreur(tr("impossible de servir les métriques sur %1 : %2").arg(reglages_.metriques, raison));
            termine(Impossible);
            return;
        }
        //: %1 where the metrics are served
        Sortie::diagnostic(tr("Métriques sur %1.").arg(Metriques::Description(adresse, port)));
    }
    Accueil &accueil = page_.accueil();
    connect(&accueil, &EcouteHttp::descripteursEpuises, this, [](const QString &pourquoi) {
        //: %1 the system's reason (no descriptors left)
        Sortie::erreur(tr("plus de connexion possible sur le port de mesure (%1) ; nouvel essai chaque seconde")
                           .arg(pourquoi));
    });
    if (!page_.ecoute(QHostAddress::AnyIPv4, quint16(reglages_.port))) {
        Sortie::erreur(RaisonEcouteImpossible(reglages_.port, accueil.numeroErreur(), accueil.errorString()));
        termine(Impossible);
        return;
    }
    //: %1 the port, %2 the address announced
    Sortie::diagnostic(tr("Réception sur le port TCP %1 ; annonce de %2 sur le réseau local.")
                           .arg(reglages_.port)
                           .arg(W.LocalIP()));
    if (!reglages_.sansPage)
        ditPage();
    SSID.start();
    if (reglages_.duree > 0)
        duree_.start(reglages_.duree * 1000);
}

// The page at each of this machine's LAN addresses; on a terminal, the code
// of the first to scan; in JSON, one object.
void Recepteur::ditPage()
{
    QStringList adresses;
    const QString principale = W.LocalIP();
    for (const QHostAddress &a : QNetworkInterface::allAddresses()) {
        if (a.protocol() == QHostAddress::IPv4Protocol && !a.isLoopback())
            adresses << QStringLiteral("http://%1:%2/").arg(a.toString()).arg(reglages_.port);
    }
    // The default route's address first: it is the one a phone reaches.
    const QString url = QStringLiteral("http://%1:%2/").arg(principale).arg(reglages_.port);
    adresses.removeAll(url);
    adresses.prepend(url);
    sortie_.page(adresses);
    //: %1 the page's addresses
    Sortie::diagnostic(tr("Page de mesure pour un téléphone ou un ordinateur : %1")
                           .arg(adresses.join(QStringLiteral(" , "))));
    if (::isatty(STDERR_FILENO)) {
        if (const std::optional<CodeQr> code = FaitCodeQr(url.toUtf8()))
            Sortie::diagnostic(CodeQrEnTexte(*code).chopped(1));
    }
}

// A transmitter's connection, while nothing else is measured: the control
// becomes that connection, and a second transmitter is turned away until
// this one leaves.
void Recepteur::Accueil_Transmetteur(int descripteur)
{
    W.Close();
    if (!W.Adopte(descripteur))
        return;
    Sortie::diagnostic(tr("Emetteur %1 connecté.").arg(W.RemoteHostIP()));
    service_.commence();
    chronique_.definitVueTcp(nullptr);
    chronique_.definitReleve(nullptr);
    chronique_.commence(W.RemoteHostIP(), QStringLiteral("recepteur"));
    chronique_.decritLien(QHostAddress(W.RemoteHostIP()));
}

void Recepteur::W_DataArrival(qint64)
{
    const bool attente = !service_.demande();
    const qint64 donnees = service_.lit();
    if (attente && service_.demande()) {
        const Demande &d = *service_.demande();
        //: %2 the request as the protocol names it ("retour", "simultane"...), %3 its seconds
        Sortie::diagnostic(tr("L'émetteur %1 demande « %2 » pendant %3 s.")
                               .arg(chronique_.pair(), QString::fromLatin1(Demande::nom(d.genre)))
                               .arg(d.secondes));
        // The blocks back are what this end measures, and it sees TCP's view.
        if (service_.envoieSeulement()) {
            chronique_.definitVueTcp([this] { return W.EtatTcp(); });
            chronique_.definitReleve([this] { service_.releve(); });
            chronique_.commence(chronique_.pair(), QStringLiteral("emetteur"));
        }
    }
    chronique_.ajoute(donnees);
}

void Recepteur::W_Close()
{
    service_.finDuPair(chronique_.mesure());
    Sortie::diagnostic(tr("L'émetteur %1 est parti.").arg(chronique_.pair()));
    emetteurParti(ChroniqueMesure::Fin::Depart);
}

void Recepteur::W_Error(int number, const QString &description)
{
    if (!chronique_.enCours())
        return;
    // Nothing moved either way: a requester served the blocks back has
    // stopped reading them.
    if (number == Winsock::ErreurSilence)
        Sortie::diagnostic((service_.envoyes() > 0
                                //: A requester served the blocks back
                                ? tr("Le demandeur %1 ne lit plus rien depuis %2 s : connexion fermée.")
                                : tr("L'émetteur %1 n'a rien envoyé depuis %2 s : connexion fermée."))
                               .arg(chronique_.pair())
                               .arg(Protocole::SilenceMaxMs / 1000));
    else
        Sortie::diagnostic(tr("Connexion avec l'émetteur %1 coupée : %2.").arg(chronique_.pair(), description));
    emetteurParti(ChroniqueMesure::Fin::Coupure);
}

void Recepteur::compteFin(ChroniqueMesure::Fin fin)
{
    if (!chronique_.enCours())
        return;
    chronique_.termine(fin);
    if (metriques_)
        metriques_->fin(Session::motif(fin));
}

void Recepteur::emetteurParti(ChroniqueMesure::Fin fin, const QString &sansMesure)
{
    const bool rienRecu = chronique_.total() == 0;
    compteFin(fin);
    W.Close();
    if (!reglages_.uneFois)
        return;
    if (fin == ChroniqueMesure::Fin::Coupure && rienRecu) {
        Sortie::erreur(sansMesure);
        termine(Impossible);
        return;
    }
    termine(Termine);
}

void Recepteur::arrete(ChroniqueMesure::Fin fin)
{
    page_.accueil().ferme();
    W.Close();
    compteFin(fin);
    SSID.stop();
    termine(Termine);
}

void Recepteur::interromps()
{
    Sortie::diagnostic(tr("Interrompu."));
    arrete(ChroniqueMesure::Fin::Interruption);
}

void Recepteur::SSID_Timer()
{
    AnnoncePresence(SSID, Wssid, W.LocalIP());
}

// A browser measures from the page: each second of each direction printed as
// the console prints a test's, each phase summarised, the run as a test
// once the page has ended.
void Recepteur::suitPage(MesurePage *mesure)
{
    //: %1 the device's address, %2 its browser and system
    Sortie::diagnostic(tr("L'appareil %1 (%2) mesure depuis la page.")
                           .arg(mesure->pair(), mesure->appareil()));
    // From the browser's side, as its page names them: it is the seat.
    const auto flux = [mesure](bool recue, const QString &phase) {
        const bool simultane = phase == QLatin1String("simultane");
        const QString sens = simultane ? QStringLiteral("simultane")
                             : recue   ? QStringLiteral("montant")
                                       : QStringLiteral("descendant");
        return Sortie::Flux{recue ? QStringLiteral("recepteur") : QStringLiteral("emetteur"), mesure->pair(), sens,
                            Sortie::etiquette(recue, simultane, true)};
    };
    connect(mesure, &MesurePage::seconde, this, [this, mesure, flux](bool recue, int numero, qint64 octets) {
        const Chronique &c = recue ? mesure->recue() : mesure->envoyee();
        const std::optional<VueTcp> &vue = c.vueSeconde();
        sortie_.seconde(flux(recue, mesure->sens()), numero, octets, vue ? &*vue : nullptr, &c.mesure().lien());
    });
    connect(mesure, &MesurePage::phaseTerminee, this, [this, mesure, flux](const QString &sens, Session::Fin fin) {
        const auto resume = [&](bool recue) {
            const Mesure &m = (recue ? mesure->recue() : mesure->envoyee()).mesure();
            sortie_.resume(flux(recue, sens), Session::motif(fin), m.resume(), m.lien());
            if (metriques_)
                metriques_->compte(recue ? m.total() : 0, recue ? 0 : m.total(), Session::motif(fin));
        };
        if (sens != QLatin1String("descendant"))
            resume(true);
        if (sens != QLatin1String("montant"))
            resume(false);
    });
    connect(mesure, &MesurePage::fermee, this, [this, mesure] {
        if (mesure->mesures().empty())
            return;
        // The seat is the browser: its upload is what this receiver received.
        std::optional<ResumeMesure> figures[4];
        const char *const sens[] = {"descendant", "montant", "simultane-descendant", "simultane-montant"};
        for (const Mesure &m : mesure->mesures()) {
            for (int i = 0; i < 4; ++i) {
                if (m.sens() == QLatin1String(sens[i]))
                    figures[i] = m.resume();
            }
        }
        const auto ou = [&](int i) { return figures[i] ? &*figures[i] : nullptr; };
        sortie_.test({mesure->pair(), mesure->appareil(), mesure->lieu()}, mesure->mesures().front().lien(),
                     Session::motif(Session::Fin::Duree), ou(0), ou(1), ou(2), ou(3));
        if (reglages_.uneFois)
            arrete(ChroniqueMesure::Fin::Depart);
    });
}
