#include "outils/Formatage.h"

#include <QCoreApplication>

#include <cfloat>
#include <cmath>
#include <cstdio>

// Tenths are counted on a long double: ten times any double then fits its
// mantissa exactly, so the rounding to a tenth sees the true value.
static_assert(LDBL_MANT_DIG >= DBL_MANT_DIG + 4, "ten times a double must be exact in a long double");

namespace {

struct Unites
{
    const char *unites[4];
};

// In English the units say their base: KiB, Mibit.
constexpr Unites UnitesOctets{{QT_TRANSLATE_NOOP("Formatage", "Octets"), QT_TRANSLATE_NOOP("Formatage", "Ko"),
                               QT_TRANSLATE_NOOP("Formatage", "Mo"), QT_TRANSLATE_NOOP("Formatage", "Go")}};
constexpr Unites UnitesBits{{QT_TRANSLATE_NOOP("Formatage", "Bits"), QT_TRANSLATE_NOOP("Formatage", "Kb"),
                             QT_TRANSLATE_NOOP("Formatage", "Mb"), QT_TRANSLATE_NOOP("Formatage", "Gb")}};

// " " and the unit, in the person's language.
QString Unite(const char *unite)
{
    return QLatin1Char(' ') + QCoreApplication::translate("Formatage", unite);
}

// Sizes of Ko, Mo and Go in bytes.
constexpr double Tailles[3] = {1024.0, 1048576.0, 1073741824.0};

// At most 15 significant digits, no thousands separator, no trailing zeros,
// the person's decimal separator.
QString NombreGeneral(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // not "-0"
    QString texte = QString::number(value, 'g', 15);
    texte.replace(QLatin1Char('.'), Langue::SeparateurDecimal());
    return texte;
}

// x rounded to the nearest tenth, halves to even, counted in tenths.
long double Dixiemes(double x)
{
    return std::nearbyint(static_cast<long double>(x) * 10);
}

// A whole number of tenths as "whole,tenth". t is at least 10, and may have
// hundreds of digits for absurd values.
QString TexteDixiemes(long double t)
{
    char chiffres[DBL_MAX_10_EXP + 16];
    const int n = std::snprintf(chiffres, sizeof chiffres, "%.0Lf", t);
    if (n < 2 || n >= int(sizeof chiffres))
        return NombreGeneral(double(t / 10));
    QString texte = QString::fromLatin1(chiffres, n - 1);
    texte += Langue::SeparateurDecimal();
    texte += QLatin1Char(chiffres[n - 1]);
    return texte;
}

// `octets` written in the unit that suits `facteur` × octets (1 for bytes,
// 8 for bits). Comparing and dividing by the unit's size over the factor,
// a power of two, is exact and cannot overflow.
QString Formate(double octets, double facteur, const Unites &u)
{
    int rang = -1;
    if (std::isfinite(octets)) {
        for (int r = 2; r >= 0 && rang < 0; --r) {
            if (octets >= Tailles[r] / facteur)
                rang = r;
        }
    }
    if (rang < 0)
        return NombreGeneral(octets * facteur) + Unite(u.unites[0]);

    long double t = Dixiemes(octets / (Tailles[rang] / facteur));
    if (t >= 10240 && rang < 2) {
        // 1023,95 Ko and more round to 1024,0 Ko: that is 1,0 Mo.
        ++rang;
        t = Dixiemes(octets / (Tailles[rang] / facteur));
    }
    return TexteDixiemes(t) + Unite(u.unites[rang + 1]);
}

}

QString FormateOctets(double value)
{
    return Formate(value, 1.0, UnitesOctets);
}

QString FormateBits(double value)
{
    return Formate(value, 8.0, UnitesBits);
}

QString FormateMs(qint64 microsecondes)
{
    // A round trip on a local link is a few hundredths of a millisecond.
    return FormateDecimal(double(microsecondes) / 1000.0, microsecondes < 1000 ? 2 : 1) + QStringLiteral(" ms");
}

QString FormateDecimal(double valeur, int decimales, QChar separateur)
{
    return QString::number(valeur, 'f', decimales).replace(QLatin1Char('.'), separateur);
}
