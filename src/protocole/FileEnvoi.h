#pragma once

#include "protocole/FichierRepete.h"

#include <QByteArray>
#include <QByteArrayView>

#include <deque>
#include <optional>
#include <sys/uio.h>

// The bytes handed to a TCP socket and not yet taken by the system, in the
// order of the calls that queued them. Queuing shares the caller's array
// instead of copying it, and calls in a row with the same array are kept as
// one entry with a count: the transmitter queues the same block again and
// again, so a queued block costs an increment. A run of the same call is
// handed over from a file in memory holding it repeated back to back
// (FichierRepete), which the system sends without copying; without such a
// file, one piece per call.
class FileEnvoi
{
public:
    // A stretch of the repeated call's file: where the next bytes begin in
    // it and how many follow there in a row, never past the run; and where
    // they are in memory, when the file is mapped.
    struct Tranche
    {
        int fd;
        qint64 position;
        qint64 longueur;
        const char *octets;
    };

    // Queues one call's bytes after the others.
    void Ajoute(const QByteArray &donnees);
    // Queues `donnees` when it is the call queued last, already more than
    // once (the transmitter's case, kept inline); otherwise queues nothing
    // and returns false.
    bool AjouteEncore(const QByteArray &donnees)
    {
        if (series_.empty() || series_.back().fois < 2 || !series_.back().appel.isSharedWith(donnees))
            return false;
        ++series_.back().fois;
        taille_ += donnees.size();
        return true;
    }

    // Bytes queued and not yet taken.
    qint64 Taille() const { return taille_; }
    bool estVide() const { return taille_ == 0; }

    // When the next bytes are a run of the repeated call, the stretch of its
    // file that holds them; to be handed over by reference (TuyauEnvoi)
    // rather than through Morceaux().
    std::optional<Tranche> TrancheFichier() const;

    // Describes the next bytes to hand over, in order, in at most `max`
    // pieces; returns how many pieces it filled. The pieces stay valid until
    // the queue changes.
    int Morceaux(iovec *morceaux, int max) const;

    // The system took the first `n` bytes.
    void Retire(qint64 n);

    // When the system has taken part of the first queued call: the rest of
    // that call. Empty when the queue is empty or its first call untouched.
    QByteArrayView ResteEntame() const;

    // Drops every call that the system has not started to take: only the
    // rest of a started call stays.
    void GardeEntame();
    // Every byte queued, in one array.
    QByteArray Copie() const;

    void Vide();

private:
    struct Serie
    {
        QByteArray appel;
        qint64 fois;
    };
    std::deque<Serie> series_;
    // Bytes of the first call already taken.
    qint64 debut_ = 0;
    qint64 taille_ = 0;
    // The last call queued twice in a row, and that call repeated in its
    // file.
    QByteArray modele_;
    FichierRepete fichier_;
};
