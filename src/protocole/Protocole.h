#pragma once

#include <QByteArray>
#include <optional>

// The two wire formats that join a receiver and a transmitter.
//
// Presence datagram (UDP broadcast to 255.255.255.255:4444): the prefix
// "Trevalon Analyseur BandePassante : " followed by the receiver's dotted
// IPv4 address; no terminator, no length, no line ending.
//
// Measurement stream (TCP to port 4444, transmitter to receiver only):
// blocks of 1024 bytes 0x41 and one byte 0x0D, back to back, for as long
// as the connection lasts.
namespace Protocole {

constexpr quint16 Port = 4444;

// The decimal text of a port number, built at compile time.
struct TextePort
{
    char chiffres[6] = {};
};
constexpr TextePort EcritPort(quint16 port)
{
    TextePort t;
    int n = 1;
    for (quint16 reste = port / 10; reste > 0; reste /= 10)
        ++n;
    for (int i = n - 1; i >= 0; --i, port /= 10)
        t.chiffres[i] = char('0' + port % 10);
    return t;
}
inline constexpr TextePort TexteDuPort = EcritPort(Port);
// The receiver sets its listening port from this text at the moment of use.
inline constexpr const char *PortTexte = TexteDuPort.chiffres;
constexpr char AdresseDiffusion[] = "255.255.255.255";
constexpr char PrefixePresence[] = "Trevalon Analyseur BandePassante : ";
constexpr int LongueurPrefixe = int(sizeof PrefixePresence) - 1;
constexpr int LongueurBloc = 1025;
constexpr int PremiereAnnonceMs = 1000;
constexpr int PeriodeAnnonceMs = 30000;
// A receiver closes a connection that has delivered no byte for this long,
// so that a silent peer never holds its only slot; and while another program
// holds its port, it tries to listen again this often.
constexpr int SilenceMaxMs = 30000;
constexpr int ReessaiEcouteMs = 2000;

// The payload of a presence datagram announcing `adresseIp`.
QByteArray DatagrammePresence(const QByteArray &adresseIp);

// The address a datagram announces: the text after the prefix, neither
// trimmed nor checked, possibly empty. Nothing when the datagram does not
// begin with the exact prefix (case-sensitive), including when it is shorter.
std::optional<QByteArray> AdresseAnnoncee(const QByteArray &datagramme);

// One block of the measurement stream: 1024 "A" and a carriage return.
QByteArray BlocMesure();

}
