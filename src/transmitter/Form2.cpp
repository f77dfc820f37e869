#include "transmitter/Form2.h"

#include "protocol/Protocole.h"
#include "support/Evenements.h"
#include "support/Twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

Form2::Form2()
{
    setWindowTitle(QStringLiteral("Emetteur"));
    setGeometry(RectTwips(7665, 1680, 2700, 2520));

    Command1 = new QPushButton(QStringLiteral("Démarre Emetteur"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(RectTwips(120, 120, 2295, 375));

    AdresseIP = new QLineEdit(QStringLiteral("127.0.0.1"), this);
    AdresseIP->setObjectName(QStringLiteral("AdresseIP"));
    AdresseIP->setGeometry(RectTwips(120, 600, 2295, 285));

    ListeServeur = new QListWidget(this);
    ListeServeur->setObjectName(QStringLiteral("ListeServeur"));
    ListeServeur->setGeometry(RectTwips(840, 960, 1575, 1035));

    Label2 = new QLabel(QStringLiteral("Serveurs"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(RectTwips(120, 960, 855, 375));
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Command2 = new QPushButton(QStringLiteral("Trevalon"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(RectTwips(120, 2160, 2295, 255));

    setTabOrder(Command1, AdresseIP);
    setTabOrder(AdresseIP, ListeServeur);
    setTabOrder(ListeServeur, Label2);
    setTabOrder(Label2, Command2);

    W.setObjectName(QStringLiteral("W"));
    WssidReceptor.setObjectName(QStringLiteral("WssidReceptor"));
    Clignotement.setInterval(100);
    Clignotement.start();

    Form_Load();
}

void Form2::Form_Load()
{
    WssidReceptor.Bind(Protocole::Port);
}

void Form2::closeEvent(QCloseEvent *event)
{
    event->accept();
    FinProgramme();
}
