#pragma once

#include "protocole/Demande.h"
#include "session/Acquittement.h"
#include "session/Emission.h"

#include <QObject>
#include <QTimer>

#include <optional>

class Mesure;
class Winsock;

// What a receiver does with the connection it has accepted, the window's and
// the console's alike. Without a request line it counts the stream, as ever.
// With one, it serves the request on that connection only: the blocks back
// for the seconds asked (retour), its own count once the requester has ended
// its side (envoi), or both at once (simultane). Whenever it sends, its
// report also gives TCP's view of each second of its sending. A malformed request, or a
// request for the blocks back when the receiver sends nothing back, closes
// the connection at once. The measurement shown and recorded stays the
// owner's: the service says which bytes read are data, and which it sent.
class ServiceRecepteur : public QObject
{
    Q_OBJECT

public:
    explicit ServiceRecepteur(Winsock &w, QObject *parent = nullptr);

    // Refuses retour and simultane (the console's --sans-retour).
    void setSansRetour(bool sansRetour) { sansRetour_ = sansRetour; }

    // A connection has just been accepted.
    void commence();
    // Takes the bytes the connection has received: how many of them are
    // measurement data (a request line is not). Once it knows there is no
    // request line to come, it has the system drop the bytes it counts.
    // Never reads on for a request it refused.
    qint64 lit();
    // The requester has ended its side; `recu` is the owner's measurement of
    // what it received, which the report tells when one is due (envoi,
    // simultane: it goes after the last whole block). The owner then closes
    // the connection, which sends what is left in order.
    void finDuPair(const Mesure &recu);

    // The request served, if any.
    const std::optional<Demande> &demande() const { return demande_; }
    // Sends the blocks back (retour only: simultane counts what it reads).
    bool envoieSeulement() const { return demande_ && demande_->genre == Demande::Genre::Retour; }
    // Bytes of the blocks back the system has taken on this connection, both
    // ways at once included.
    qint64 envoyes() const { return envoie_ ? std::max<qint64>(0, emission_.pris()) : 0; }
    // Says through envoye() what the requester has acknowledged of the
    // blocks back since the last look (a per-second clock asks just before
    // it closes a second).
    void releve() { acquittement_.releve(); }

signals:
    // The requester has acknowledged `octets` more bytes of the blocks back
    // (retour: what the receiver measures then).
    void envoye(qint64 octets);
    // The request is refused or malformed, and why: the owner closes the
    // connection at once.
    void refus(const QString &raison);

private:
    void sert();

    Winsock &w_;
    Emission emission_;
    Acquittement acquittement_;
    LectureDemande lecture_;
    QByteArray recu_;
    std::optional<Demande> demande_;
    bool sansRetour_ = false;
    bool refuse_ = false;
    // The blocks back have started on this connection.
    bool envoie_ = false;
    QTimer duree_;
    // Each second while it sends: TCP's view of its socket.
    QTimer echantillon_;
    std::vector<VueTcp> vues_;
    qint64 retransmissions_ = 0;
};
