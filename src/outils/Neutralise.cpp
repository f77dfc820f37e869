#include "outils/Neutralise.h"

QString Neutralise(QStringView texte)
{
    QString sur;
    sur.reserve(texte.size());
    for (const QChar c : texte) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            sur += QStringLiteral("\\\\");
        else if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            sur += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            sur += c;
    }
    return sur;
}
