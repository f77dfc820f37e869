#pragma once

#include "protocole/FileEnvoi.h"

#include <optional>
#include <sys/types.h>

// Hands a socket a stretch of a run of the same call by reference to its
// pages: they are mapped into a pipe (vmsplice) and moved from there into
// the socket (splice). The system copies nothing, as with sendfile, but
// finds the pages through our mapping instead of looking each one up in the
// file on every call. Without a pipe, or without the run's bytes in memory,
// sendfile from the run's file.
//
// What the socket did not take stays in the pipe: the pipe always holds the
// next bytes to send, the first Taille() of the queue, and they leave
// before anything else, even once the queue's run has become another.
// Whoever changes the queue otherwise than by adding at its end (drops
// calls, closes) calls Oublie() first.
class TuyauEnvoi
{
public:
    TuyauEnvoi() = default;
    TuyauEnvoi(const TuyauEnvoi &) = delete;
    TuyauEnvoi &operator=(const TuyauEnvoi &) = delete;
    ~TuyauEnvoi() { Oublie(); }

    // Sends what the pipe holds; when it holds nothing, the stretch `suite`
    // (which must then be given). As a send call: the bytes the socket
    // took, or -1 and errno; `offert` tells how many it was offered.
    ssize_t Envoie(int socket, const std::optional<FileEnvoi::Tranche> &suite, size_t &offert);
    // Bytes in the pipe, not yet taken by the socket.
    qint64 Taille() const { return taille_; }
    // Drops what the pipe holds (the queue still holds those bytes).
    void Oublie();

    // Sends with sendfile only, as where the system has no such pipes: for
    // tests and comparisons.
    static void ForceFichier(bool fichier);

private:
    bool ouvre();

    int lecture_ = -1;
    int ecriture_ = -1;
    qint64 taille_ = 0;
    qint64 capacite_ = 0;
};
