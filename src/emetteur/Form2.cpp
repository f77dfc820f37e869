#include "emetteur/Form2.h"

#include "protocole/Protocole.h"
#include "registre/Navigateur.h"
#include "outils/Evenements.h"
#include "outils/Twips.h"
#include "emetteur/Bulle.h"
#include "emetteur/StyleBoite.h"
#include "protocole/RaisonEchec.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPalette>
#include <QPushButton>

#include <optional>

Form2::Form2()
    : bloc_(Protocole::BlocMesure())
{
    setWindowTitle(tr("Emetteur"));
    setGeometry(RectTwips(7665, 1680, 2700, 2520));
    // "Connecté - DECONNECTER" (and its English) fits the 153-pixel button,
    // and an address the 19-pixel box.
    PoliceCompacte(this);

    Command1 = new QPushButton(demarre_, this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(RectTwips(120, 120, 2295, 375));
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);

    AdresseIP = new QLineEdit(QStringLiteral("127.0.0.1"), this);
    AdresseIP->setObjectName(QStringLiteral("AdresseIP"));
    AdresseIP->setGeometry(RectTwips(120, 600, 2295, 285));
    // Its style goes with it: a widget does not own its style.
    auto *style = new StyleBoite;
    style->setParent(AdresseIP);
    AdresseIP->setStyle(style);
    DefinitFond(FondBlanc);

    ListeServeur = new QListWidget(this);
    ListeServeur->setObjectName(QStringLiteral("ListeServeur"));
    ListeServeur->setGeometry(RectTwips(840, 960, 1575, 1035));
    ListeServeur->setSortingEnabled(false);
    ListeServeur->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every entry is one line of at most 255 characters: the view lays the
    // list out from one item's size instead of measuring every entry again
    // on each insertion.
    ListeServeur->setUniformItemSizes(true);
    ListeServeur->setTextElideMode(Qt::ElideRight);
    // A selection by mouse or keyboard copies the entry; so does a click on
    // the entry that is already selected, after the box has been edited.
    connect(ListeServeur, &QListWidget::itemSelectionChanged, this, &Form2::ListeServeur_Click);
    connect(ListeServeur, &QListWidget::itemClicked, this, &Form2::ListeServeur_Click);

    Label2 = new QLabel(tr("Serveurs"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(RectTwips(120, 960, 855, 375));
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Command2 = new QPushButton(QStringLiteral("Trevalon"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(RectTwips(120, 2160, 2295, 255));
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);

    autreSens_ = new QAction(this);
    autreSens_->setObjectName(QStringLiteral("autreSens"));
    connect(autreSens_, &QAction::triggered, this, [this] { emit MesureAutreSens(AdresseIP->text().trimmed()); });
    test_ = new QAction(tr("Test complet (montant, descendant, simultané)"), this);
    menu_ = new QMenu(this);
    menu_->addAction(autreSens_);
    menu_->addAction(test_);
    test_->setObjectName(QStringLiteral("testComplet"));
    connect(test_, &QAction::triggered, this, [this] { emit DemandeTest(AdresseIP->text().trimmed()); });
    arret_ = new QAction(tr("Arrêter"), this);
    arret_->setObjectName(QStringLiteral("arret"));
    connect(arret_, &QAction::triggered, this, &Form2::ArretDemande);
    menu_->addAction(arret_);
    Command1->setToolTip(tr("Clic droit : mesurer dans l'autre sens, ou test complet"));
    for (QWidget *w : std::initializer_list<QWidget *>{this, Command1, AdresseIP, ListeServeur, Label2}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint &position) { MenuActions(w, position); });
    }

    setTabOrder(Command1, AdresseIP);
    setTabOrder(AdresseIP, ListeServeur);
    setTabOrder(ListeServeur, Label2);
    setTabOrder(Label2, Command2);

    W.setObjectName(QStringLiteral("W"));
    connect(&W, &Winsock::Connected, this, &Form2::W_Connect);
    connect(&W, &Winsock::Closed, this, &Form2::W_Close);
    connect(&W, &Winsock::Error, this, &Form2::W_Error);
    WssidReceptor.setObjectName(QStringLiteral("WssidReceptor"));
    connect(&WssidReceptor, &Winsock::DataArrival, this, &Form2::WssidReceptor_DataArrival);

    Clignotement.setObjectName(QStringLiteral("Clignotement"));
    Clignotement.setInterval(100);
    connect(&Clignotement, &QTimer::timeout, this, &Form2::Clignotement_Timer);
    Clignotement.start();

    Passe.setObjectName(QStringLiteral("Passe"));
    Passe.setSingleShot(true);
    Passe.setTimerType(Qt::PreciseTimer);
    connect(&Passe, &QTimer::timeout, this, &Form2::Passe_Timer);
    DelaiConnexion.setObjectName(QStringLiteral("DelaiConnexion"));
    DelaiConnexion.setSingleShot(true);
    DelaiConnexion.setTimerType(Qt::PreciseTimer);
    DelaiConnexion.setInterval(DelaiConnexionMs);
    connect(&DelaiConnexion, &QTimer::timeout, this, &Form2::DelaiConnexion_Timer);

    Form_Load();
}

void Form2::Form_Load()
{
    WssidReceptor.Bind(Protocole::Port);
}

void Form2::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_QueryUnload();
}

// Closing is never refused, and nothing may run after it: the loops of a
// click handler below us on the stack must not resume.
void Form2::Form_QueryUnload()
{
    FinProgramme();
}

QString Form2::Etat() const
{
    return Command1->text();
}

// Every socket call here may be refused (a Connect while an attempt is
// pending, a SendData on a closed socket): the handler goes on regardless.
void Form2::Command1_Click()
{
    if (demande_) {
        emit ArretDemande();
        return;
    }
    if (Etat() == connecte_) {
        // Set first: the send loop ends at its next test, and the close drops
        // whatever it had not handed over.
        QuitteConnecte();
        Command1->setText(demarre_);
        W.Close();
        return;
    }

    Bulle::Retire(AdresseIP);
    W.Close();
    DemandeConnexion();
    Command1->setText(connexion_);
    ProgrammePasse();
}

// A connect request to the box's text as it is now. One that starts a new
// attempt gives it DelaiConnexionMs for an answer; one made while an attempt
// is pending or a connection is up is refused and changes nothing.
void Form2::DemandeConnexion()
{
    if (!W.Connect(AdresseIP->text(), Protocole::Port))
        return;
    cible_ = AdresseIP->text();
    DelaiConnexion.start();
}

// A pass of the connect wait ends at the next change of the clock's seconds,
// as a one-second wait on a clock of whole seconds does: the first pass after
// a press may be shorter. A pass in progress is neither restarted nor doubled.
void Form2::ProgrammePasse()
{
    if (enPasse_ || Passe.isActive())
        return;
    Passe.start(int(1000 - QDateTime::currentMSecsSinceEpoch() % 1000) + 1);
}

// The end of a pass of the connect wait. The pass had begun while connecting,
// so it ends with its yield and its connect request whatever happened during
// the wait; the request that an attempt which failed meanwhile leaves behind
// can only be closed again (W_Connect).
void Form2::Passe_Timer()
{
    enPasse_ = true;
    TraiteEvenements();
    DemandeConnexion();
    enPasse_ = false;
    if (Etat() == connexion_)
        ProgrammePasse();
    else if (Etat() == connecte_)
        Envoie();
}

// The send loop, for as long as the connection is in use. SendData waits,
// keeping events flowing, while the socket's queue is full, so memory stays
// bounded on a slow link. A press in Connected ends it at its next test.
void Form2::Envoie()
{
    if (enEnvoi_)
        return;
    enEnvoi_ = true;
    // Only handlers change the caption, so it is read again only after the
    // events have been looked at: reading it costs more than the rest of a
    // pass.
    while (Etat() == connecte_) {
        const quint64 regard = RegardsEvenements();
        do {
            W.SendData(bloc_);
            TraiteEvenements();
        } while (RegardsEvenements() == regard);
    }
    enEnvoi_ = false;
}

void Form2::DelaiConnexion_Timer()
{
    W.Close();
    if (Etat() == connexion_)
        Echoue(connexion_, RaisonSansReponse(cible_));
}

void Form2::Command2_Click()
{
    Bulle::Retire(Command2);
    if (!OuvreNavigateur(AdresseFabricant))
        Bulle::Montre(Command2, tr("impossible d'ouvrir %1 : aucun navigateur n'a pu être démarré")
                                    .arg(AdresseFabricant));
}

void Form2::W_Connect()
{
    // Nobody waits for this connection: its attempt was abandoned or failed.
    if (Etat() != connexion_) {
        W.Close();
        return;
    }
    DelaiConnexion.stop();
    connecteDepuis_.start();
    Command1->setText(connecte_);
    emit EnvoiCommence(W);
}

void Form2::QuitteConnecte()
{
    if (Etat() == connecte_)
        emit EnvoiTermine();
}

// Returns to idle and, if the window was connecting or connected, says why.
void Form2::Echoue(const QString &etatAvant, const QString &raison)
{
    Command1->setText(demarre_);
    if (etatAvant == connexion_ || etatAvant == connecte_)
        Bulle::Montre(AdresseIP, raison);
}

void Form2::W_Close()
{
    const QString etat = Etat();
    QuitteConnecte();
    W.Close();
    Echoue(etat, RaisonPerte(cible_, etat == connecte_ && !connecteDepuis_.hasExpired(RefusOccupeMs), 0, QString()));
}

void Form2::W_Error(int number, const QString &description)
{
    const QString etat = Etat();
    QuitteConnecte();
    W.Close();
    Echoue(etat, etat == connecte_ ? RaisonPerte(cible_, !connecteDepuis_.hasExpired(RefusOccupeMs), number, description)
                                   : RaisonEchecConnexion(cible_, number, description));
}

void Form2::DefinitFond(QRgb couleur)
{
    QPalette palette = AdresseIP->palette();
    if (palette.color(QPalette::Base).rgba() == couleur && AdresseIP->testAttribute(Qt::WA_SetPalette))
        return;
    palette.setColor(QPalette::Base, QColor::fromRgba(couleur));
    AdresseIP->setPalette(palette);
}

void Form2::Clignotement_Timer()
{
    if (Etat() != demarre_)
        DefinitFond(AdresseIP->palette().color(QPalette::Base).rgba() == FondJaune ? FondBlanc : FondJaune);
    if (Etat() == demarre_)
        DefinitFond(FondBlanc);
}

void Form2::WssidReceptor_DataArrival(qint64)
{
    WssidReceptor.GetData(datagramme_);
    TraiteDatagramme(datagramme_);
}

void Form2::TraiteDatagramme(const QByteArray &datagramme)
{
    if (const std::optional<QString> serveur = serveurs_.Nouveau(datagramme))
        ListeServeur->addItem(*serveur);
}

void Form2::MenuActions(QWidget *source, const QPoint &position)
{
    //: %1 is the address of the receiver in the box
    autreSens_->setText(tr("Mesurer dans l'autre sens (%1 → cette machine)")
                            .arg(AdresseIP->text().trimmed().left(64)));
    // While one runs, the menu stops it rather than start another.
    autreSens_->setVisible(!demande_);
    test_->setVisible(!demande_);
    arret_->setVisible(demande_);
    auto *vue = qobject_cast<QAbstractScrollArea *>(source);
    const QPoint ou = (vue ? vue->viewport() : source)->mapToGlobal(position);
    // The address box keeps its copy and paste beside the measurements.
    if (source == AdresseIP) {
        QMenu *menu = AdresseIP->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addSeparator();
        menu->addActions(menu_->actions());
        menu->popup(ou);
        return;
    }
    // Shown without a loop of its own: the send loop, below on the stack
    // while the window transmits, keeps sending meanwhile.
    menu_->popup(ou);
}

void Form2::DitEchec(const QString &raison)
{
    Bulle::Montre(AdresseIP, raison);
}

bool Form2::Transmet() const
{
    return !demande_ && Etat() != demarre_;
}

void Form2::MontreDemande(const QString &etat)
{
    demande_ = !etat.isEmpty();
    Command1->setText(demande_ ? etat : demarre_);
}

void Form2::ListeServeur_Click()
{
    const QList<QListWidgetItem *> choisis = ListeServeur->selectedItems();
    if (choisis.isEmpty())
        return;
    AdresseIP->setText(choisis.first()->text());
}
