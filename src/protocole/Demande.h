#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "protocole/VueTcp.h"

#include <optional>
#include <vector>

// What a transmitter may ask of a receiver beyond the one-way stream, and
// the receiver's account of what it received. Both are lines that no
// measurement stream can begin with (a stream begins with 'A'), so a peer
// built before they existed counts a request as data and never answers.
//
// Request, the first bytes of a connection, 64 bytes at most:
//   "BandePassante 1 <genre> <secondes>\r\n"
//   retour     the receiver streams the blocks back for <secondes> (1 to 60),
//              then reports
//   envoi      an upload as ever; once the requester has half-closed, the
//              receiver answers a report before it closes
//   simultane  both at once: the receiver streams back for <secondes> and
//              answers a report once the requester has half-closed
// Report, after the last whole block the receiver sent:
//   "BandePassante 1 rapport <octets> <durée ms> <secondes> <tcp>\r\n"
//   every byte it received, the time from the connection to the requester's
//   end, the bytes of its complete seconds and, when it sent, TCP's view of
//   each second of its sending (VueTcp::texte()), each list comma-separated
//   or "-" when empty, at most RapportSecondesMax items, the first.
namespace Protocole {

constexpr char PrefixeDemande[] = "BandePassante 1 ";
constexpr int LongueurPrefixeDemande = int(sizeof PrefixeDemande) - 1;
constexpr int LongueurDemandeMax = 64;
constexpr int DemandeSecondesMin = 1;
constexpr int DemandeSecondesMax = 60;
constexpr int RapportSecondesMax = 600;
constexpr int LongueurRapportMax = 64 + (21 + 5 * 21) * RapportSecondesMax;

}

struct Demande
{
    enum class Genre { Retour, Envoi, Simultane };

    Genre genre = Genre::Envoi;
    int secondes = 10;

    QByteArray ligne() const;
    // "retour", "envoi" or "simultane".
    static const char *nom(Genre genre);
};

// The first bytes of an accepted connection, fed as they come: a request
// line, or the start of a measurement stream.
class LectureDemande
{
public:
    enum class Etat {
        // Not enough bytes yet to tell.
        Attente,
        // No request: every byte fed is stream data.
        Flux,
        // A request; the bytes after its line are data.
        Demande,
        // The request prefix with a line that is no valid request, or none
        // within 64 bytes: the connection is closed at once.
        Invalide,
    };

    // Feeds bytes until the state is decided; later calls change nothing.
    Etat ajoute(QByteArrayView octets);
    Etat etat() const { return etat_; }
    const ::Demande &demande() const { return demande_; }
    // Once decided: the bytes fed that are data (Flux: all of them;
    // Demande: those after the line). What comes later is all data.
    const QByteArray &donnees() const { return lus_; }

private:
    QByteArray lus_;
    Etat etat_ = Etat::Attente;
    ::Demande demande_;
};

struct Rapport
{
    qint64 octets = 0;
    qint64 dureeMs = 0;
    std::vector<qint64> secondes;
    std::vector<VueTcp> tcp;

    // How far the receiver's clock may run ahead of the requester's over a
    // phase: a timer's lateness on either side.
    static constexpr qint64 MargeHorlogeMs = 500;

    QByteArray ligne() const;
    // The report in `ligne` (its "\r\n" included or not); nothing when it is
    // not one or a figure is out of bounds.
    static std::optional<Rapport> lit(QByteArrayView ligne);
    // Whether the report can be true of a connection on which the requester
    // sent `envoyes` bytes (what the receiver acknowledged) and that it has
    // seen for `ecouleMs`: no more bytes than were sent, seconds that fit
    // the duration and the total, a duration that fits the connection's.
    bool croyable(qint64 envoyes, qint64 ecouleMs) const;
};

// What a requester reads back from the receiver: whole blocks of the stream,
// then possibly a report. The report begins where a block would, so it is
// found by counting blocks; bytes of the stream are counted, the report is
// kept aside.
class LectureRetour
{
public:
    // Feeds bytes; returns how many of them are stream data.
    qint64 ajoute(QByteArrayView octets);
    // The report, once its whole line has come.
    const std::optional<Rapport> &rapport() const { return rapport_; }
    // The line began but is no report, or is too long.
    bool fautif() const { return fautif_; }

private:
    qint64 dansBloc_ = 0;
    bool dansRapport_ = false;
    QByteArray ligne_;
    std::optional<Rapport> rapport_;
    bool fautif_ = false;
};
