#pragma once

#include <QByteArray>

// One call's bytes repeated back to back, about a mebibyte in all, in a file
// that lives in memory and is sealed against any change: the system sends a
// stretch of it by reference to its pages (through a pipe, or sendfile)
// instead of copying it from the program's memory, and the bytes on the wire
// stay those of the call even while the system still holds the pages after a
// new fill.
class FichierRepete
{
public:
    FichierRepete() = default;
    FichierRepete(const FichierRepete &) = delete;
    FichierRepete &operator=(const FichierRepete &) = delete;
    ~FichierRepete() { ferme(); }

    // Fills a new file with `appel` repeated; false, and no file, when the
    // system offers none.
    bool remplit(const QByteArray &appel);
    void ferme();

    bool estOuvert() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // The file's bytes, mapped read-only; null when the system would not
    // map them.
    const char *octets() const { return octets_; }
    // Whole copies of the call, back to back.
    qint64 taille() const { return taille_; }

private:
    int fd_ = -1;
    qint64 taille_ = 0;
    const char *octets_ = nullptr;
};
