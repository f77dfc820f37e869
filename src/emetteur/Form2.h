#pragma once

#include "protocole/Winsock.h"
#include "protocole/ServeursConnus.h"

#include <QByteArray>
#include <QColor>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>

class QAction;
class QLabel;
class QMenu;
class QLineEdit;
class QListWidget;
class QPushButton;

// The transmitter window "Emetteur": connects to a receiver's TCP port 4444
// and streams measurement blocks to it, and lists the receivers that
// announce themselves on UDP port 4444.
//
// The connection state is the caption of Command1, compared exactly:
// "Démarre Emetteur" (idle), "Connexion en cours..." (connecting) and
// "Connecté - DECONNECTER" (connected), as translated. The button's handler
// starts an attempt and returns; the connect wait runs in passes driven by a
// timer (each pass ends on a change of the clock's seconds with a yield and a
// connect request) and the send loop runs from the pass that finds the
// connection up, one block and one yield per pass. So a press while the
// window waits or sends is handled at most one level above the loop, however
// many presses come.
//
// An attempt waits at most DelaiConnexionMs for an answer. When an attempt or
// a connection ends in an error, a balloon at the address box tells why.
// Only the attempt that the window waits for may turn it "Connecté": a
// connection that completes after its attempt was abandoned or failed is
// closed at once.
//
// A right click on the window (or its Menu key) offers, for the address in
// the box, the blocks back from that receiver to this machine, or a complete
// test; the window only asks for them (MesureAutreSens, DemandeTest): the
// receiver window of this program makes and shows them, and tells how they
// go through MontreDemande(), which the button shows; the button, and the
// menu's "Arrêter", then stop them (ArretDemande) instead.
//
// Its own stream is told as it begins and ends (EnvoiCommence, EnvoiTermine),
// so that the receiver window can chart and record what it delivers.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    // The button's captions, in French; the button shows them translated.
    static constexpr char CaptionDemarre[] = QT_TR_NOOP("Démarre Emetteur");
    static constexpr char CaptionConnexion[] = QT_TR_NOOP("Connexion en cours...");
    static constexpr char CaptionConnecte[] = QT_TR_NOOP("Connecté - DECONNECTER");

    // Background of the address box while idle, and its other colour while
    // blinking (light yellow).
    static constexpr QRgb FondBlanc = 0xFFFFFFFF;
    static constexpr QRgb FondJaune = 0xFFFFFF80;

    // The list counts its entries on 16 bits: new servers past this many are
    // dropped.
    static constexpr int ServeursMax = ServeursConnus::Max;

    // The longest wait for an answer to a connection request.
    static constexpr int DelaiConnexionMs = 10000;
    // A connection that the receiver ends sooner than this after accepting
    // it was turned away: the receiver is busy with another transmitter.
    static constexpr int RefusOccupeMs = 1000;

    Form2();

    // What a datagram read on WssidReceptor does to the list of servers.
    // WssidReceptor_DataArrival hands every datagram to it; tests feed it
    // directly.
    void TraiteDatagramme(const QByteArray &datagramme);

    // Says, in a balloon at the address box, why a measurement asked from
    // the menu cannot start or failed.
    void DitEchec(const QString &raison);
    // The window streams, or tries to, on its own connection.
    bool Transmet() const;
    // A measurement asked from the menu runs: the button says `etat` (its
    // phase and the seconds left) and stops it when pressed. An empty text:
    // it has ended, and the button is itself again.
    void MontreDemande(const QString &etat);

signals:
    void MesureAutreSens(const QString &cible);
    void DemandeTest(const QString &cible);
    void ArretDemande();
    // The window's own stream is up on `w`; and it has ended, `w` still
    // open for a last look.
    void EnvoiCommence(const Winsock &w);
    void EnvoiTermine();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Form_QueryUnload();
    void Command1_Click();
    void Command2_Click();
    void Passe_Timer();
    void DelaiConnexion_Timer();
    void W_Connect();
    void W_Close();
    void W_Error(int number, const QString &description);
    void Clignotement_Timer();
    void WssidReceptor_DataArrival(qint64 bytesTotal);
    void ListeServeur_Click();
    void MenuActions(QWidget *source, const QPoint &position);

    QString Etat() const;
    void DemandeConnexion();
    void ProgrammePasse();
    void Envoie();
    void Echoue(const QString &etatAvant, const QString &raison);
    // Leaves "Connecté": says so while the connection is still there.
    void QuitteConnecte();
    void DefinitFond(QRgb couleur);

    QPushButton *Command1;
    QLineEdit *AdresseIP;
    QListWidget *ListeServeur;
    QLabel *Label2;
    QPushButton *Command2;
    QAction *autreSens_;
    QAction *test_;
    QAction *arret_;
    QMenu *menu_;
    Winsock W{Winsock::Genre::Tcp, this};
    Winsock WssidReceptor{Winsock::Genre::Udp, this};
    QTimer Clignotement{this};
    // The end of the connect wait's current pass.
    QTimer Passe{this};
    // The end of the time an attempt may wait for an answer.
    QTimer DelaiConnexion{this};

    const QString demarre_ = tr(CaptionDemarre);
    const QString connexion_ = tr(CaptionConnexion);
    const QString connecte_ = tr(CaptionConnecte);
    // Every block of the stream is the same.
    const QByteArray bloc_;
    QByteArray datagramme_;
    // The address box's text when the current attempt started, for messages.
    QString cible_;
    // Since the connection in use came up.
    QElapsedTimer connecteDepuis_;
    // A pass or the send loop is on the stack: neither is ever entered twice.
    bool enPasse_ = false;
    bool enEnvoi_ = false;
    // A measurement asked from the menu runs (see MontreDemande).
    bool demande_ = false;
    // What ListeServeur holds, for quick decisions on each datagram.
    ServeursConnus serveurs_;
};
