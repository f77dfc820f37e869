#include "recepteur/Form1.h"

#include "jauge/Joge.h"
#include "historique/Historique.h"
#include "historique/MenuMesure.h"
#include "historique/SuiviMesure.h"
#include "protocole/Annonce.h"
#include "protocole/Protocole.h"
#include "recepteur/Etiquette.h"
#include "outils/Arrondi.h"
#include "outils/Evenements.h"
#include "outils/Formatage.h"
#include "outils/Twips.h"
#include "emetteur/Form2.h"
#include "page/MesurePage.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

Form1::Form1()
{
    setWindowTitle(tr("Récepteur"));
    setGeometry(RectTwips(4800, 1650, 2745, 5415));

    Command1 = new QPushButton(tr(CaptionDemarrer), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(RectTwips(120, 120, 2415, 315));
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);

    infos = new Etiquette(QStringLiteral("infos"), this);
    infos->setObjectName(QStringLiteral("infos"));
    infos->setGeometry(RectTwips(120, 480, 2535, 1455));
    // Seven rows of 13 pixels and the widest figures (1023,9 Mb/s) fit the
    // label's 169 x 97 pixels.
    PoliceCompacte(infos);

    jauge = new Joge(this);
    jauge->setObjectName(QStringLiteral("Joge"));
    jauge->setGeometry(RectTwips(120, 1920, 2535, 3615));
    connect(jauge, &Joge::ChangementValeur, this, &Form1::Joge_ChangementValeur);

    Alerte = new QLabel(tr("Port %1 indisponible :\nréception impossible").arg(Protocole::Port), this);
    Alerte->setObjectName(QStringLiteral("Alerte"));
    Alerte->setTextFormat(Qt::PlainText);
    Alerte->setWordWrap(true);
    Alerte->setAlignment(Qt::AlignCenter);
    Alerte->setStyleSheet(QStringLiteral("QLabel { color: #FFFF00; background: #800000; font-weight: bold; }"));
    Alerte->setGeometry(RectTwips(120, 1920, 2535, 600));
    Alerte->hide();

    W.setObjectName(QStringLiteral("W"));
    W.setLocalPort(Protocole::Port);
    // A transmitter that delivers nothing for this long loses the single slot.
    W.setSilenceMax(SilenceMaxMs);
    connect(&page_.accueil(), &Accueil::transmetteur, this, &Form1::Accueil_Transmetteur);
    page_.definitOccupation([this] {
        const Mesure &m = suivi_->mesure();
        return ServeurPage::Occupation{W.State() >= Winsock::sckConnected, W.RemoteHostIP(),
                                       m.enCours() ? m.debut().msecsTo(QDateTime::currentDateTime()) : 0};
    });
    connect(&page_, &ServeurPage::mesureCommencee, this, &Form1::SuitPage);
    connect(&W, &Winsock::DataArrival, this, &Form1::W_DataArrival);
    connect(&W, &Winsock::Closed, this, &Form1::W_Close);
    connect(&W, &Winsock::Error, this, &Form1::W_Error);
    connect(&service_, &ServiceRecepteur::envoye, this, &Form1::Compte);
    connect(&service_, &ServiceRecepteur::refus, this, &Form1::EcouteDeNouveau);
    connect(&acquittementFenetre_, &Acquittement::acquittes, this, &Form1::Compte);
    progression_.setInterval(250);
    connect(&progression_, &QTimer::timeout, this, &Form1::MontreProgression);
    Wssid.setObjectName(QStringLiteral("Wssid"));

    SSID.setInterval(Protocole::PremiereAnnonceMs);
    connect(&SSID, &QTimer::timeout, this, &Form1::SSID_Timer);
    SSID.start();
    Timer1.setInterval(30);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    Timer1.start();
    ReessaiEcoute.setObjectName(QStringLiteral("ReessaiEcoute"));
    ReessaiEcoute.setInterval(ReessaiEcouteMs);
    connect(&ReessaiEcoute, &QTimer::timeout, this, &Form1::ReessaiEcoute_Timer);

    historique_ = new Historique(Historique::CheminParDefaut(), this);
    suivi_ = new SuiviMesure(historique_, this);
    menuMesure_ = new MenuMesure(this, jauge, {jauge, infos}, suivi_, historique_);
    // Whichever window is closed, the measurement running is stored before
    // the program ends, waiting a few seconds for another copy's lock.
    DefinitAvantFin([this] {
        suivi_->termine();
        historique_->ecritAttente(5000);
    });

    Form_Load();
}

Form1::~Form1()
{
    DefinitAvantFin(nullptr);
}

void Form1::Form_Load()
{
    if (!form2_) {
        form2_ = std::make_unique<Form2>();
        connect(form2_.get(), &Form2::MesureAutreSens, this, &Form1::MesureAutreSens);
        connect(form2_.get(), &Form2::DemandeTest, this, &Form1::DemandeTest);
        connect(form2_.get(), &Form2::ArretDemande, this, &Form1::ArreteDemande);
        connect(form2_.get(), &Form2::EnvoiCommence, this, &Form1::SuitEnvoiFenetre);
        connect(form2_.get(), &Form2::EnvoiTermine, this, &Form1::FinEnvoiFenetre);
        Suit(retour_);
        Suit(test_.session());
        // Stopped or cut, a test keeps and shows what it measured.
        connect(&test_, &TestComplet::termine, this, [this](Session::Fin, const QString &raison) {
            MontreProgression();
            if (!raison.isEmpty())
                form2_->DitEchec(raison);
            suivi_->testTermine(test_.mesures());
            menuMesure_->montreResume();
        });
        connect(&test_, &TestComplet::phaseTerminee, this,
                [this](TestComplet::Phase, Session::Fin fin, const QString &remarque) {
                    if (fin == Session::Fin::Coupure && !remarque.isEmpty())
                        form2_->DitEchec(remarque);
                });
        connect(&test_, &TestComplet::impossible, form2_.get(), &Form2::DitEchec);
        connect(&test_, &TestComplet::impossible, this, &Form1::MontreProgression);
        connect(&retour_, &Session::impossible, form2_.get(), &Form2::DitEchec);
    }
    form2_->show();
}

QString Form1::Occupation() const
{
    if (W.State() >= Winsock::sckConnected)
        return tr("la fenêtre Récepteur mesure déjà l'émetteur %1 : attendez la fin de sa mesure")
            .arg(W.RemoteHostIP());
    if (retour_.enCours())
        return tr("une mesure dans l'autre sens est déjà en cours");
    if (test_.enCours())
        return tr("un test complet est déjà en cours");
    if (form2_->Transmet())
        return tr("la fenêtre Emetteur transmet déjà : arrêtez son envoi d'abord");
    if (page_.mesure())
        return tr("l'appareil %1 mesure depuis la page de ce récepteur : attendez la fin de sa mesure")
            .arg(page_.mesure()->pair());
    return {};
}

void Form1::MesureAutreSens(const QString &cible)
{
    const QString occupe = Occupation();
    if (!occupe.isEmpty()) {
        form2_->DitEchec(occupe);
        return;
    }
    retour_.demarre({cible, Protocole::Port, AttenteDemandeS, DureeDemandeS, Session::Genre::Retour});
    MontreProgression();
}

void Form1::DemandeTest(const QString &cible)
{
    const QString occupe = Occupation();
    if (!occupe.isEmpty()) {
        form2_->DitEchec(occupe);
        return;
    }
    test_.demarre({cible, Protocole::Port, AttenteDemandeS, DureeDemandeS, Session::Genre::Envoi});
    MontreProgression();
}

// The transmitter window's button follows the request running, if any.
void Form1::MontreProgression()
{
    const bool enCours = test_.enCours() || retour_.enCours();
    if (!enCours)
        progression_.stop();
    else if (!progression_.isActive())
        progression_.start();
    form2_->MontreDemande(enCours ? EtatDemande() : QString());
}

// "Montant 7 s - Arrêter": the phase, the seconds it has left, and what the
// button does, in the button's width.
QString Form1::EtatDemande() const
{
    //: A phase of a measurement, on the Transmitter window's narrow button
    static const char *const phases[] = {QT_TR_NOOP("Montant"), QT_TR_NOOP("Descendant"), QT_TR_NOOP("Simultané")};
    const bool test = test_.enCours();
    const Session &session = test ? test_.session() : retour_;
    const QString phase = tr(test ? phases[test_.phase()] : phases[TestComplet::Descendant]);
    if (!session.connectee())
        //: On a button: %1 is a phase (upload, download, both at once)
        return tr("%1 - connexion…").arg(phase);
    const qint64 reste = std::max<qint64>(0, DureeDemandeS - depuisPhase_.elapsed() / 1000);
    //: On a button: %1 is a phase (upload, download, both at once), %2 the seconds it has left
    return tr("%1 %2 s - Arrêter").arg(phase, QString::number(reste));
}

void Form1::ArreteDemande()
{
    if (test_.enCours())
        test_.interromps();
    else if (retour_.enCours())
        retour_.interromps();
}

void Form1::DemarreJauge()
{
    if (jauge->echantillonne())
        return;
    jaugePourDemande_ = true;
    jauge->tempo(1000);
    jauge->setAutoLignement(true);
}

void Form1::ArreteJauge()
{
    if (jaugePourDemande_ && Command1->text() != tr(CaptionArreter))
        jauge->ARRET();
    jaugePourDemande_ = false;
}

void Form1::OublieDebit()
{
    OctetsRecus_ = 0;
    TaillePaquets_ = 0;
}

// The transmitter window's blocks go out of this machine: charted and
// recorded as an upload, by what the far end acknowledged, unless this
// window measures something else (its own reception, of that very stream
// over loopback among others, comes first).
void Form1::SuitEnvoiFenetre(const Winsock &w)
{
    if (W.State() >= Winsock::sckConnected || retour_.enCours() || test_.enCours())
        return;
    envoiFenetre_ = true;
    autreBout_ = w.RemoteHostIP();
    TaillePaquets_ = Protocole::LongueurBloc;
    DemarreJauge();
    suivi_->commence(w.AdresseLocaleConnexion(), w.RemoteHostIP(), QStringLiteral("montant"));
    suivi_->definitReleve([this] { acquittementFenetre_.releve(); });
    suivi_->definitVueTcp([&w] { return w.EtatTcp(); });
    suivi_->decritLien(w.RemoteHostIP());
    acquittementFenetre_.demarre([&w] { return w.Compteurs().octetsAcquittes; });
}

// A browser measures from the page: each phase is charted and followed as a
// test's is, what this machine sends reading "Envoi : HOTE"; the run is
// recorded as one test once the page has ended.
void Form1::SuitPage(MesurePage *mesure)
{
    FinEnvoiFenetre();
    connect(mesure, &MesurePage::phaseCommencee, this, [this, mesure](const QString &sens) {
        envoiPage_ = sens == QLatin1String("descendant");
        autreBout_ = mesure->pair();
        TaillePaquets_ = envoiPage_ ? Emission::TailleAppel : 0;
        DemarreJauge();
        if (envoiPage_)
            suivi_->commence(mesure->local(), mesure->pair(), QStringLiteral("montant"), mesure->test());
        else
            suivi_->commence(mesure->pair(), mesure->local(),
                             sens == QLatin1String("simultane") ? QStringLiteral("simultane-descendant")
                                                                : QStringLiteral("descendant"),
                             mesure->test());
        suivi_->decritLien(mesure->pair());
    });
    connect(mesure, &MesurePage::recu, this, [this](qint64 octets) {
        if (!envoiPage_) {
            Compte(octets);
            TaillePaquets_ = octets;
        }
    });
    connect(mesure, &MesurePage::envoye, this, [this](qint64 octets) {
        if (envoiPage_)
            Compte(octets);
    });
    connect(mesure, &MesurePage::phaseTerminee, this, [this] {
        envoiPage_ = false;
        suivi_->termine();
        ArreteJauge();
        OublieDebit();
    });
    connect(mesure, &MesurePage::fermee, this, [this, mesure] {
        if (!mesure->mesures().empty())
            suivi_->testTermine(mesure->mesures());
    });
}

void Form1::FinEnvoiFenetre()
{
    if (!envoiFenetre_)
        return;
    envoiFenetre_ = false;
    suivi_->termine();
    acquittementFenetre_.arrete();
    ArreteJauge();
    OublieDebit();
}

// What comes back is charted and recorded as a transmitter's stream; the
// upload of a complete test is charted as the receiver charts the blocks it
// sends back, its second row saying "envoi". The chart runs meanwhile even
// with reception off.
void Form1::Suit(Session &session)
{
    connect(&session, &Session::connexion, this, [this, &session](const QString &adresse) {
        const bool envoi = session.reglages().genre == Session::Genre::Envoi;
        envoiSuivi_ = envoi;
        autreBout_ = adresse;
        depuisPhase_.start();
        TaillePaquets_ = envoi ? Emission::TailleAppel : 0;
        DemarreJauge();
        const bool phaseDeTest = &session == &test_.session();
        const QString sens = phaseDeTest ? TestComplet::sens(test_.phase()) : QStringLiteral("descendant");
        const qint64 test = phaseDeTest ? test_.identifiant() : 0;
        if (envoi)
            suivi_->commence(session.adresseLocale(), adresse, sens, test);
        else
            suivi_->commence(adresse, session.adresseLocale(), sens, test);
        suivi_->decritLien(adresse);
    });
    connect(&session, &Session::recu, this, [this](qint64 octets) {
        Compte(octets);
        TaillePaquets_ = octets;
    });
    connect(&session, &Session::envoye, this, [this](qint64 octets) {
        if (envoiSuivi_)
            Compte(octets);
    });
    const auto fin = [this, &session] {
        envoiSuivi_ = false;
        // The latency of what came back is the far end's, in its report.
        if (session.reglages().genre != Session::Genre::Envoi)
            suivi_->definitTcp(session.descendant().mesure().tcp());
        suivi_->termine();
        ArreteJauge();
        OublieDebit();
        if (&session == &retour_)
            MontreProgression();
    };
    connect(&session, &Session::terminee, this, fin);
    connect(&session, &Session::impossible, this, fin);
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    FinProgramme();
}

void Form1::Command1_Click()
{
    if (Command1->text() == tr(CaptionArreter)) {
        Command1->setText(tr(CaptionDemarrer));
        suivi_->termine();
        jauge->ARRET();
        page_.accueil().ferme();
        W.Close();
        return;
    }
    jauge->ARRET();
    page_.accueil().ferme();
    W.Close();
    Command1->setText(tr(CaptionArreter));
    jauge->tempo(1000);
    jauge->setAutoLignement(true);
    jauge->AjouteEchantillon(100);
    Ecoute();
    TraiteEvenements();
}

// Listens on the port given as text, and says so in the window when the
// port cannot be opened (another program holds it). The listener stays open
// while a transmitter is measured: it serves the measuring page, and turns
// other transmitters away.
// While the port stays taken and reception is on, listening is tried again
// every ReessaiEcouteMs, and the banner goes once it succeeds.
void Form1::Ecoute()
{
    W.setLocalPort(QByteArray(Protocole::PortTexte).toInt());
    const bool enEcoute = page_.accueil().enEcoute() || page_.ecoute(QHostAddress::AnyIPv4, quint16(W.LocalPort()));
    Alerte->setVisible(!enEcoute);
    if (enEcoute)
        ReessaiEcoute.stop();
    else if (!ReessaiEcoute.isActive())
        ReessaiEcoute.start();
}

void Form1::ReessaiEcoute_Timer()
{
    if (Command1->text() == tr(CaptionArreter) && !page_.accueil().enEcoute())
        Ecoute();
    else
        ReessaiEcoute.stop();
}

int Form1::EtatReception() const
{
    return W.State() != Winsock::sckClosed ? W.State()
           : page_.accueil().enEcoute()    ? int(Winsock::sckListening)
                                           : int(Winsock::sckClosed);
}

// A transmitter's connection, while this window measures nothing else.
void Form1::Accueil_Transmetteur(int descripteur)
{
    if (W.State() != Winsock::sckClosed)
        W.Close();
    if (W.Adopte(descripteur)) {
        FinEnvoiFenetre();
        autreBout_ = W.RemoteHostIP();
        service_.commence();
        suivi_->commence(W.RemoteHostIP(), W.AdresseLocaleConnexion(), QStringLiteral("descendant"));
        suivi_->decritLien(W.RemoteHostIP());
    }
}

void Form1::W_DataArrival(qint64 bytesTotal)
{
    const bool attente = !service_.demande();
    const qint64 donnees = service_.lit();
    // Asked for the blocks back, the window measures what the requester
    // acknowledges of what it sends.
    if (attente && service_.envoieSeulement()) {
        suivi_->commence(W.AdresseLocaleConnexion(), W.RemoteHostIP(), QStringLiteral("montant"));
        suivi_->definitReleve([this] { service_.releve(); });
        suivi_->decritLien(W.RemoteHostIP());
        TaillePaquets_ = Emission::TailleAppel;
    }
    Compte(donnees);
    if (!service_.envoieSeulement())
        TaillePaquets_ = bytesTotal;
}

void Form1::Compte(qint64 octets)
{
    jauge->AjouteEchantillon(double(octets));
    suivi_->octets(octets);
}

void Form1::EcouteDeNouveau()
{
    suivi_->termine();
    OublieDebit();
    W.Close();
    if (Command1->text() == tr(CaptionArreter))
        Ecoute();
    TraiteEvenements();
}

void Form1::W_Close()
{
    service_.finDuPair(suivi_->mesure());
    EcouteDeNouveau();
}

void Form1::W_Error(int, const QString &)
{
    EcouteDeNouveau();
}

void Form1::Joge_ChangementValeur(double &Valeur)
{
    OctetsRecus_ = ArrondiPair64(Valeur);
}

void Form1::SSID_Timer()
{
    AnnoncePresence(SSID, Wssid, W.LocalIP());
}

void Form1::Timer1_Timer()
{
    const QChar cr(u'\r');
    QString texte;
    texte.reserve(192);
    //: The receiver's statistics, one row each: this machine's address
    texte += tr("Mon IP : %1").arg(W.LocalIP()) + cr;
    // While this end sends, the rows say so, in the width they have; once
    // the measurement has ended, with whom it was.
    const bool envoi = (service_.envoieSeulement() && W.State() >= Winsock::sckConnected) || envoiSuivi_ ||
                       envoiFenetre_ || envoiPage_;
    const bool finie = suivi_->mesure().existe() && !suivi_->mesure().enCours();
    //: The address measured with, once the measurement has ended
    const QString fin = tr("Fin : %1");
    //: The address this machine sends to
    const QString vers = tr("Envoi : %1");
    //: The address this machine receives from
    const QString de = tr("Connexion : %1");
    texte += (finie ? fin : envoi ? vers : de).arg(autreBout_) + cr;
    texte += tr("local Port : %1").arg(W.LocalPort()) + cr;
    //: A rate: %1 is a quantity with its unit, per second
    const QString donnees = envoi ? tr("Données envoyées : %1/s") : tr("Données reçues : %1/s");
    texte += donnees.arg(FormateOctets(double(OctetsRecus_))) + cr;
    texte += donnees.arg(FormateBits(double(OctetsRecus_))) + cr;
    //: The chart's scale: the highest rate it shows
    texte += tr("Maximum : %1/s").arg(FormateBits(jauge->maximum())) + cr;
    //: The size of the last piece of data read or sent
    texte += tr("TaillePaquets : %1").arg(FormateOctets(double(TaillePaquets_)));
    // Unchanged most of the time: the label repaints only when it changes.
    infos->setCaption(texte);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

// Keeps the gauge's left margin on its right and below it. A minimised
// window has no client area: the gauge keeps its size.
void Form1::Form_Resize()
{
    if (isMinimized())
        return;
    const DimensionsJauge d = CalculeJauge(float(TwipsX(width())), float(TwipsY(height())),
                                           float(TwipsX(jauge->x())), float(TwipsY(jauge->y())));
    jauge->resize(d.largeur ? PixelsX(double(*d.largeur)) : jauge->width(),
                  d.hauteur ? PixelsY(double(*d.hauteur)) : jauge->height());
}

Form1::DimensionsJauge Form1::CalculeJauge(float largeurClient, float hauteurClient, float gauche, float haut)
{
    DimensionsJauge d;
    const float largeur = largeurClient - 2.0f * gauche;
    const float hauteur = hauteurClient - haut - gauche;
    if (largeur >= 0)
        d.largeur = largeur;
    if (hauteur >= 0)
        d.hauteur = hauteur;
    return d;
}
