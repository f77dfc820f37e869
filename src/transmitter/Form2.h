#pragma once

#include "protocol/Winsock.h"
#include "transmitter/ServeursConnus.h"

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QTimer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The transmitter window "Emetteur": connects to a receiver's TCP port 4444
// and streams measurement blocks to it, and lists the receivers that
// announce themselves on UDP port 4444.
//
// The connection state is the caption of Command1, compared exactly:
// "Démarre Emetteur" (idle), "Connexion en cours..." (connecting) and
// "Connecté - DECONNECTER" (connected). The connect wait and the send loop
// run inside the button's click handler and yield to the event queue after
// every step, so a press while they run starts a nested run of the handler.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    static constexpr char CaptionDemarre[] = "Démarre Emetteur";
    static constexpr char CaptionConnexion[] = "Connexion en cours...";
    static constexpr char CaptionConnecte[] = "Connecté - DECONNECTER";

    // Background of the address box while idle, and its other colour while
    // blinking (light yellow).
    static constexpr QRgb FondBlanc = 0xFFFFFFFF;
    static constexpr QRgb FondJaune = 0xFFFFFF80;

    // The list counts its entries on 16 bits: new servers past this many are
    // dropped.
    static constexpr int ServeursMax = ServeursConnus::Max;

    Form2();

    // What a datagram read on WssidReceptor does to the list of servers.
    // WssidReceptor_DataArrival hands every datagram to it; tests feed it
    // directly.
    void TraiteDatagramme(const QByteArray &datagramme);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Form_QueryUnload();
    void Command1_Click();
    void Command2_Click();
    void W_Connect();
    void W_Close();
    void W_Error(int number, const QString &description);
    void Clignotement_Timer();
    void WssidReceptor_DataArrival(qint64 bytesTotal);
    void ListeServeur_Click();

    QString Etat() const;
    void DefinitFond(QRgb couleur);

    QPushButton *Command1;
    QLineEdit *AdresseIP;
    QListWidget *ListeServeur;
    QLabel *Label2;
    QPushButton *Command2;
    Winsock W{Winsock::Genre::Tcp, this};
    Winsock WssidReceptor{Winsock::Genre::Udp, this};
    QTimer Clignotement{this};

    const QString demarre_ = QString::fromUtf8(CaptionDemarre);
    const QString connexion_ = QString::fromUtf8(CaptionConnexion);
    const QString connecte_ = QString::fromUtf8(CaptionConnecte);
    // Every block of the stream is the same.
    const QByteArray bloc_;
    QByteArray datagramme_;
    // What ListeServeur holds, for quick decisions on each datagram.
    ServeursConnus serveurs_;
};
