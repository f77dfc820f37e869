#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// A QR code as a square of modules, row after row, `largeur` by `largeur`,
// without its quiet zone.
struct CodeQr
{
    // The light margin the standard asks around a code, in modules.
    static constexpr int ZoneCalme = 4;

    int largeur = 0;
    std::vector<bool> modules;

    // True for a dark module; outside the square (the quiet zone and
    // beyond), always false: light.
    bool sombre(int x, int y) const;
};

// The QR code of `texte`, its bytes in 8-bit mode, error correction level M,
// the smallest version that holds them. Nothing when there is nothing to
// encode or too much (beyond 2331 bytes, version 40 at level M).
std::optional<CodeQr> FaitCodeQr(const QByteArray &texte);

// The code drawn for a terminal in Unicode half blocks, one character per
// module across and two module rows per line ("█", "▀", "▄" or " "), each
// line ending with '\n'. Light modules are drawn and dark ones left to the
// background, so that it scans on a dark terminal, as `qrencode -t UTF8`.
// The quiet zone is ZoneCalme modules on each side; a code's rows, quiet zone
// included, are odd in number, so the last line's lower half is light too.
QString CodeQrEnTexte(const CodeQr &code);
