#pragma once

#include "protocole/Protocole.h"
#include "page/ServeurPage.h"
#include "protocole/Winsock.h"
#include "session/Acquittement.h"
#include "session/ServiceRecepteur.h"
#include "session/Session.h"
#include "session/TestComplet.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class Etiquette;
class Form2;
class Historique;
class Joge;
class MenuMesure;
class MesurePage;
class QLabel;
class QPushButton;
class SuiviMesure;

// The receiver window "Récepteur", the program's start-up window. On the
// user's command it listens on TCP 4444, serves one transmitter at a time,
// counts every byte that arrives into the gauge, which totals them per
// second, and shows the figures. It announces itself by broadcast for the
// whole life of the program, and opens the transmitter window beside it.
//
// The reception state is the caption of Command1: "Arrêter Reception" (as
// translated) means started, anything else stopped.
//
// A transmitter's request is served as the console serves it: asked for the
// blocks back, the window sends them, charts what it sends and its second row
// reads "Envoi :" before the requester's address.
//
// It also makes what the transmitter window's menu asks of a receiver: the
// blocks back to this machine, or a complete test, told on the transmitter
// window's button as they go, and stopped from there. It shows and records
// the stream coming back exactly as a transmitter's; not while it serves
// one. When it measures nothing else, it also charts and records what the
// transmitter window's own stream delivers, by the far end's acknowledgements.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    // The button's captions, in French; the button shows them translated.
    static constexpr char CaptionDemarrer[] = QT_TR_NOOP("Démarrer RECEPTION");
    static constexpr char CaptionArreter[] = QT_TR_NOOP("Arrêter Reception");
    // While port 4444 cannot be opened, listening is tried again this often.
    static constexpr int ReessaiEcouteMs = Protocole::ReessaiEcouteMs;
    // A connection that has delivered no byte for this long is closed, and
    // the receiver listens again.
    static constexpr int SilenceMaxMs = Protocole::SilenceMaxMs;
    // The seconds of each measurement the transmitter window's menu asks
    // for, and the longest wait for the receiver to accept.
    static constexpr int DureeDemandeS = 10;
    static constexpr int AttenteDemandeS = 10;

    Form1();
    ~Form1() override;

    // Bytes received in the gauge's last period, and the size the last data
    // arrival reported. 64-bit: a fast link fills more than 2^31 bytes a second.
    qint64 OctetsRecus() const { return OctetsRecus_; }
    qint64 TaillePaquets() const { return TaillePaquets_; }

    Form2 *form2() const { return form2_.get(); }
    // W's state, and Winsock::sckListening while the port listens and no
    // transmitter is measured.
    int EtatReception() const;
    // The measurement of the transmitter connected, or the last one, its
    // history and its menu.
    SuiviMesure *suivi() const { return suivi_; }
    Historique *historique() const { return historique_; }
    MenuMesure *menuMesure() const { return menuMesure_; }

    // The gauge's width and height in twips for a client area of the given
    // size, with the gauge's top-left corner at (gauche, haut): its left
    // margin is repeated on its right and below it. Computed in single
    // precision; a dimension that would be negative is left out, and the
    // gauge keeps it.
    struct DimensionsJauge
    {
        std::optional<float> largeur;
        std::optional<float> hauteur;
    };
    static DimensionsJauge CalculeJauge(float largeurClient, float hauteurClient, float gauche, float haut);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load();
    void Command1_Click();
    void Accueil_Transmetteur(int descripteur);
    // A browser's measurement from the page, shown and recorded as a test.
    void SuitPage(MesurePage *mesure);
    void W_DataArrival(qint64 bytesTotal);
    // Bytes measured now: read, or sent back on request.
    void Compte(qint64 octets);
    void W_Close();
    void W_Error(int number, const QString &description);
    void Joge_ChangementValeur(double &Valeur);
    void SSID_Timer();
    void Timer1_Timer();
    void Form_Resize();
    void EcouteDeNouveau();
    // What the transmitter window's menu asks: refused, with a balloon there,
    // while this window measures something else.
    void MesureAutreSens(const QString &cible);
    void DemandeTest(const QString &cible);
    QString Occupation() const;
    // The seat's own request, `session`, shown and recorded as it goes.
    void Suit(Session &session);
    // What the transmitter window's button says while a request runs.
    QString EtatDemande() const;
    // Shows it there, every quarter of a second until the request ends.
    void MontreProgression();
    void ArreteDemande();
    // The transmitter window's own stream, followed while nothing else is.
    void SuitEnvoiFenetre(const Winsock &w);
    void FinEnvoiFenetre();
    // The chart runs for a measurement while reception is off.
    void DemarreJauge();
    void ArreteJauge();
    // A measurement ended: the rates are no longer live.
    void OublieDebit();
    void Ecoute();
    void ReessaiEcoute_Timer();

    QPushButton *Command1;
    // The statistics: seven lines joined by carriage returns.
    Etiquette *infos;
    Joge *jauge;
    // Shown over the gauge while port 4444 could not be opened, so that the
    // window never pretends to receive.
    QLabel *Alerte;
    Winsock W{Winsock::Genre::Tcp, this};
    Winsock Wssid{Winsock::Genre::Udp, this};
    ServiceRecepteur service_{W};
    // The measuring port's listener and the measuring page.
    ServeurPage page_;
    QTimer SSID;
    QTimer Timer1;
    QTimer ReessaiEcoute;

    // The seat's requests: the blocks back, a complete test.
    Session retour_;
    TestComplet test_;
    // The other end of the connection measured now or last, as the second
    // row shows it.
    QString autreBout_;
    // The chart was started for a request, reception being off.
    bool jaugePourDemande_ = false;
    // The upload of a complete test is charted now.
    bool envoiSuivi_ = false;
    // The transmitter window's stream is followed now.
    bool envoiFenetre_ = false;
    // This machine sends to a browser's page now.
    bool envoiPage_ = false;
    Acquittement acquittementFenetre_;
    // Each quarter of a second while a request runs: the transmitter
    // window's button; and since its phase's connection.
    QTimer progression_;
    QElapsedTimer depuisPhase_;

    qint64 OctetsRecus_ = 0;
    qint64 TaillePaquets_ = 0;

    std::unique_ptr<Form2> form2_;

    Historique *historique_;
    SuiviMesure *suivi_;
    MenuMesure *menuMesure_;
};
