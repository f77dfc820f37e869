#include "outils/Bornes.h"

std::optional<qint64> Bornes::LitEntier(QByteArrayView texte, qint64 maximum)
{
    if (texte.isEmpty())
        return std::nullopt;
    qint64 n = 0;
    for (const char c : texte) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const int chiffre = c - '0';
        // Checked before it is computed: n × 10 + chiffre ≤ maximum.
        if (n > maximum / 10 || n * 10 > maximum - chiffre)
            return std::nullopt;
        n = n * 10 + chiffre;
    }
    return n;
}
