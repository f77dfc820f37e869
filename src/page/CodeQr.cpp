#include "page/CodeQr.h"

#include <qrencode.h>

#include <memory>

bool CodeQr::sombre(int x, int y) const
{
    if (x < 0 || y < 0 || x >= largeur || y >= largeur)
        return false;
    return modules[static_cast<std::size_t>(y * largeur + x)];
}

std::optional<CodeQr> FaitCodeQr(const QByteArray &texte)
{
    if (texte.isEmpty())
        return std::nullopt;
    // Version 0: the library picks the smallest that holds the data.
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> qr(
        QRcode_encodeData(static_cast<int>(texte.size()), reinterpret_cast<const unsigned char *>(texte.constData()), 0,
                          QR_ECLEVEL_M),
        &QRcode_free);
    if (!qr)
        return std::nullopt;
    CodeQr code;
    code.largeur = qr->width;
    const int n = qr->width * qr->width;
    code.modules.reserve(static_cast<std::size_t>(n));
    // Bit 0 of each byte is the module's colour; the others say what the
    // module is for (finder, timing, data...).
    for (int i = 0; i < n; ++i)
        code.modules.push_back((qr->data[i] & 1) != 0);
    return code;
}

QString CodeQrEnTexte(const CodeQr &code)
{
    // Indexed by (upper light) | (lower light) << 1.
    constexpr char16_t kBlocs[] = {u' ', u'▀', u'▄', u'█'};
    const int fin = code.largeur + CodeQr::ZoneCalme;
    QString texte;
    for (int y = -CodeQr::ZoneCalme; y < fin; y += 2) {
        for (int x = -CodeQr::ZoneCalme; x < fin; ++x)
            texte += QChar(kBlocs[(code.sombre(x, y) ? 0 : 1) | (code.sombre(x, y + 1) ? 0 : 2)]);
        texte += QLatin1Char('\n');
    }
    return texte;
}
