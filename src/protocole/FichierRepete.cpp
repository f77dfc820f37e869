#include "protocole/FichierRepete.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr qint64 TailleVisee = 1024 * 1024;

bool ecritTout(int fd, const char *octets, qint64 taille)
{
    while (taille > 0) {
        const ssize_t n = ::write(fd, octets, size_t(taille));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        octets += n;
        taille -= n;
    }
    return true;
}

}

bool FichierRepete::remplit(const QByteArray &appel)
{
    ferme();
    if (appel.isEmpty())
        return false;
    const int fd = ::memfd_create("bandepassante-blocs", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return false;
    const qint64 fois = std::max<qint64>(1, TailleVisee / appel.size());
    const QByteArray copies = appel.repeated(fois);
    if (!ecritTout(fd, copies.constData(), copies.size()) ||
        ::fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    taille_ = copies.size();
    // Sealed: the pages handed over by reference never change.
    void *vue = ::mmap(nullptr, size_t(taille_), PROT_READ, MAP_SHARED, fd_, 0);
    octets_ = vue == MAP_FAILED ? nullptr : static_cast<const char *>(vue);
    return true;
}

void FichierRepete::ferme()
{
    if (octets_)
        ::munmap(const_cast<char *>(octets_), size_t(taille_));
    octets_ = nullptr;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    taille_ = 0;
}
