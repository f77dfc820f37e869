#pragma once

#include <QString>

class QTimer;
class Winsock;

// What a receiver does on each tick of its announcement timer, the window's
// and the console's alike: the timer, started at the first announcement's
// delay, moves to the 30-second period, and the presence datagram announcing
// `adresseIp` is broadcast on the UDP control `udp`.
void AnnoncePresence(QTimer &minuterie, Winsock &udp, const QString &adresseIp);
