#pragma once

#include "protocol/Winsock.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The transmitter window "Emetteur": connects to a receiver's TCP port 4444
// and streams measurement blocks to it, and lists the receivers that
// announce themselves on UDP port 4444.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    Form2();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();

    QPushButton *Command1;
    QLineEdit *AdresseIP;
    QListWidget *ListeServeur;
    QLabel *Label2;
    QPushButton *Command2;
    Winsock W{Winsock::Genre::Tcp, this};
    Winsock WssidReceptor{Winsock::Genre::Udp, this};
    QTimer Clignotement;
};
