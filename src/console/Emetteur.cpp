#include "console/Emetteur.h"

#include "console/Sortie.h"
#include "protocol/Protocole.h"
#include "protocol/RaisonEchec.h"
#include "support/Neutralise.h"
#include "support/Evenements.h"

#include <QHostAddress>
#include <QHostInfo>

#include <cerrno>

namespace {

// Blocks per SendData() call: the wire sees the same blocks back to back,
// and the program makes one call where it would make 64.
constexpr int BlocsParPaquet = 64;

QByteArray paquet()
{
    const QByteArray bloc = Protocole::BlocMesure();
    QByteArray p;
    p.reserve(bloc.size() * BlocsParPaquet);
    for (int i = 0; i < BlocsParPaquet; ++i)
        p += bloc;
    return p;
}

}

Emetteur::Emetteur(const LigneCommande::Reglages &reglages, Sortie &sortie)
    : reglages_(reglages)
    , chronique_(sortie, QStringLiteral("emetteur"))
    , paquet_(paquet())
{
    connect(&W, &Winsock::Connected, this, &Emetteur::W_Connect);
    connect(&W, &Winsock::Closed, this, &Emetteur::W_Close);
    connect(&W, &Winsock::Error, this, &Emetteur::W_Error);

    attente_.setSingleShot(true);
    connect(&attente_, &QTimer::timeout, this, &Emetteur::finAttente);
    nouvelEssai_.setSingleShot(true);
    connect(&nouvelEssai_, &QTimer::timeout, this, &Emetteur::essaie);

    chronique_.definitReleve([this] { releve(); });
    connect(&chronique_, &ChroniqueMesure::seconde, this, [this](int numero) {
        if (reglages_.duree > 0 && numero >= reglages_.duree)
            fin(ChroniqueMesure::Fin::Duree);
    });
}

void Emetteur::demarre()
{
    attente_.start(reglages_.attente * 1000);
    QHostAddress adresse;
    if (adresse.setAddress(reglages_.hote) && adresse.protocol() == QHostAddress::IPv4Protocol) {
        adresse_ = adresse.toString();
        essaie();
        return;
    }
    recherche_ = QHostInfo::lookupHost(reglages_.hote, this, &Emetteur::surResolution);
}

void Emetteur::surResolution(const QHostInfo &info)
{
    recherche_ = -1;
    if (estFini())
        return;
    for (const QHostAddress &a : info.addresses()) {
        if (a.protocol() == QHostAddress::IPv4Protocol) {
            adresse_ = a.toString();
            essaie();
            return;
        }
    }
    Sortie::diagnostic(
        QStringLiteral("bandepassante-console : « %1 » ne donne aucune adresse IPv4 (%2) : vérifiez le nom ou "
                       "donnez l'adresse du récepteur.")
            .arg(Neutralise(reglages_.hote),
                 info.error() == QHostInfo::NoError ? QStringLiteral("pas d'adresse IPv4")
                                                    : Neutralise(info.errorString())));
    termine(Impossible);
}

// Like the window, asks again while nobody has accepted; an attempt still
// pending is left to run.
void Emetteur::essaie()
{
    if (!estFini() && W.State() == Winsock::sckClosed)
        W.Connect(adresse_, reglages_.port);
}

void Emetteur::W_Error(int number, const QString &description)
{
    if (chronique_.enCours()) {
        Sortie::diagnostic(QStringLiteral("Connexion avec le récepteur %1 coupée : %2.").arg(adresse_, description));
        fin(ChroniqueMesure::Fin::Coupure);
        return;
    }
    // A refusal may end once the reception starts, and an unanswered attempt
    // is tried again: both until --attente. Any other error will not go away
    // by asking again, and its own cause is told at once.
    if (number != ECONNREFUSED && number != ETIMEDOUT) {
        attente_.stop();
        Sortie::diagnostic(QStringLiteral("bandepassante-console : ") +
                           RaisonEchecConnexion(adresse_, number, description, reglages_.port) + QLatin1Char('.'));
        termine(Impossible);
        return;
    }
    dernierEchec_ = number;
    nouvelEssai_.start(1000);
}

void Emetteur::finAttente()
{
    if (chronique_.enCours() || estFini())
        return;
    if (adresse_.isEmpty()) {
        Sortie::diagnostic(QStringLiteral("bandepassante-console : « %1 » ne s'est pas résolu en %2 s : vérifiez le "
                                          "nom ou donnez l'adresse du récepteur.")
                               .arg(Neutralise(reglages_.hote))
                               .arg(reglages_.attente));
        termine(Impossible);
        return;
    }
    // An attempt still pending at the deadline went unanswered too.
    const bool refusee = dernierEchec_ == ECONNREFUSED && W.State() == Winsock::sckClosed;
    W.Close();
    nouvelEssai_.stop();
    const QString cible =
        reglages_.hote == adresse_ ? adresse_ : QStringLiteral("%1 (%2)").arg(Neutralise(reglages_.hote), adresse_);
    Sortie::diagnostic(
        QStringLiteral("bandepassante-console : personne n'a accepté la connexion à %1, port TCP %2, en %3 s : %4.\n"
                       "Causes habituelles : la réception n'est pas démarrée sur cette machine, ou un pare-feu ferme "
                       "le port TCP %2.")
            .arg(cible)
            .arg(reglages_.port)
            .arg(reglages_.attente)
            .arg(refusee ? QStringLiteral("connexion refusée") : QStringLiteral("aucune réponse")));
    termine(Impossible);
}

void Emetteur::W_Connect()
{
    attente_.stop();
    nouvelEssai_.stop();
    Sortie::diagnostic(reglages_.duree > 0
                           ? QStringLiteral("Connecté à %1, port TCP %2 : envoi pendant %3 s.")
                                 .arg(adresse_)
                                 .arg(reglages_.port)
                                 .arg(reglages_.duree)
                           : QStringLiteral("Connecté à %1, port TCP %2 : envoi jusqu'à Ctrl-C.")
                                 .arg(adresse_)
                                 .arg(reglages_.port));
    confies_ = comptes_ = 0;
    chronique_.commence(adresse_);
    // The send loop runs from the event loop, not inside this event.
    QMetaObject::invokeMethod(this, &Emetteur::envoie, Qt::QueuedConnection);
}

// The send loop, as the window's: SendData() waits, keeping events flowing,
// while the socket's queue is full, so the timers, the socket's events and
// an interruption all run in the middle of it; it ends once the connection
// is closed, whoever closed it.
void Emetteur::envoie()
{
    while (chronique_.enCours() && W.State() == Winsock::sckConnected) {
        if (W.SendData(paquet_))
            confies_ += paquet_.size();
        releve();
        TraiteEvenements();
    }
}

// What the system has taken: every byte handed over but those still queued.
// Once the socket is closed its queue is gone, and the last look stands.
void Emetteur::releve()
{
    if (W.State() != Winsock::sckConnected)
        return;
    const qint64 pris = confies_ - W.EnAttenteEnvoi();
    chronique_.ajoute(pris - comptes_);
    comptes_ = pris;
}

void Emetteur::W_Close()
{
    Sortie::diagnostic(QStringLiteral("Le récepteur %1 a mis fin à la mesure.").arg(adresse_));
    fin(ChroniqueMesure::Fin::Depart);
}

void Emetteur::fin(ChroniqueMesure::Fin fin)
{
    if (!chronique_.enCours())
        return;
    const bool sansMesure = chronique_.secondes() == 0 &&
                            (fin == ChroniqueMesure::Fin::Depart || fin == ChroniqueMesure::Fin::Coupure);
    // The summary counts what the system had taken before the close: the
    // close drops the rest of the queue.
    chronique_.termine(fin);
    W.Close();
    if (sansMesure) {
        Sortie::diagnostic(QStringLiteral("bandepassante-console : le récepteur a mis fin à la connexion avant la "
                                          "première seconde, aucune mesure."));
        termine(Impossible);
        return;
    }
    termine(Termine);
}

void Emetteur::interromps()
{
    if (chronique_.enCours()) {
        Sortie::diagnostic(QStringLiteral("Interrompu."));
        fin(ChroniqueMesure::Fin::Interruption);
        return;
    }
    W.Close();
    Sortie::diagnostic(QStringLiteral("bandepassante-console : interrompu avant que le récepteur accepte, aucune "
                                      "mesure."));
    termine(Impossible);
}
