#include "protocole/Annonce.h"

#include "protocole/Protocole.h"
#include "protocole/Winsock.h"

#include <QTimer>

void AnnoncePresence(QTimer &minuterie, Winsock &udp, const QString &adresseIp)
{
    if (minuterie.interval() != Protocole::PeriodeAnnonceMs)
        minuterie.setInterval(Protocole::PeriodeAnnonceMs);
    udp.setRemoteHost(QString::fromLatin1(Protocole::AdresseDiffusion));
    udp.setRemotePort(Protocole::Port);
    udp.SendData(Protocole::DatagrammePresence(adresseIp.toLatin1()));
}
