#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <deque>
#include <sys/uio.h>

// The bytes handed to a TCP socket and not yet taken by the system, in the
// order of the calls that queued them. Queuing shares the caller's array
// instead of copying it, and calls in a row with the same array are kept as
// one entry with a count: the transmitter queues the same block again and
// again, so a queued block costs an increment. A run of the same small block
// is handed over from one copy of it repeated back to back, a piece of many
// blocks at a time: the system copies from few long pieces faster than from
// many short ones.
class FileEnvoi
{
public:
    // Queues one call's bytes after the others.
    void Ajoute(const QByteArray &donnees);

    // Bytes queued and not yet taken.
    qint64 Taille() const { return taille_; }
    bool estVide() const { return taille_ == 0; }

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
    void repete(const QByteArray &bloc);

    struct Serie
    {
        QByteArray appel;
        qint64 fois;
    };
    std::deque<Serie> series_;
    // Bytes of the first call already taken.
    qint64 debut_ = 0;
    qint64 taille_ = 0;
    // The last block queued twice in a row, and that block repeated to fill
    // about RepetitionOctets.
    QByteArray modele_;
    QByteArray repetition_;
};
