#include "protocole/TuyauEnvoi.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

// As much as a stretch of the run; the system may allow less.
constexpr int CapaciteVisee = 1024 * 1024;
bool fichierSeulement = false;
// Set once the system has refused to map pages into a pipe: sendfile from
// then on, without asking again for every stretch.
bool tuyauxRefuses = false;

ssize_t parFichier(int socket, const FileEnvoi::Tranche &tranche, size_t &offert)
{
    off_t position = off_t(tranche.position);
    offert = size_t(tranche.longueur);
    return ::sendfile(socket, tranche.fd, &position, offert);
}

}

void TuyauEnvoi::ForceFichier(bool fichier)
{
    fichierSeulement = fichier;
}

bool TuyauEnvoi::ouvre()
{
    if (lecture_ >= 0)
        return true;
    int bouts[2];
    if (::pipe2(bouts, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    lecture_ = bouts[0];
    ecriture_ = bouts[1];
    // Beyond the system's ceiling for a user the pipe keeps its default
    // size: more calls, the same bytes.
    ::fcntl(ecriture_, F_SETPIPE_SZ, CapaciteVisee);
    capacite_ = ::fcntl(ecriture_, F_GETPIPE_SZ);
    if (capacite_ > 0)
        return true;
    Oublie();
    return false;
}

ssize_t TuyauEnvoi::Envoie(int socket, const std::optional<FileEnvoi::Tranche> &suite, size_t &offert)
{
    if (taille_ == 0) {
        const FileEnvoi::Tranche &tranche = *suite;
        if (fichierSeulement || tuyauxRefuses || !tranche.octets || !ouvre())
            return parFichier(socket, tranche, offert);
        iovec morceau{const_cast<char *>(tranche.octets), size_t(std::min(tranche.longueur, capacite_))};
        const ssize_t mis = ::vmsplice(ecriture_, &morceau, 1, SPLICE_F_NONBLOCK);
        if (mis <= 0) {
            tuyauxRefuses = mis < 0 && errno != EINTR && errno != EAGAIN;
            return parFichier(socket, tranche, offert);
        }
        taille_ = mis;
    }
    offert = size_t(taille_);
    const ssize_t n = ::splice(lecture_, nullptr, socket, nullptr, offert, SPLICE_F_NONBLOCK);
    if (n > 0)
        taille_ -= n;
    return n;
}

void TuyauEnvoi::Oublie()
{
    if (lecture_ >= 0) {
        ::close(lecture_);
        ::close(ecriture_);
    }
    lecture_ = ecriture_ = -1;
    taille_ = capacite_ = 0;
}
