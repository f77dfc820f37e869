#include "outils/Arrondi.h"

#include <cmath>
#include <limits>

namespace {

template <typename Entier>
Entier arrondiPair(double v)
{
    if (std::isnan(v))
        return 0;
    const double r = std::nearbyint(v); // the default mode rounds halves to even
    // The largest 64-bit value is not a double: compare with 2^63 itself.
    if (r >= -double(std::numeric_limits<Entier>::min()))
        return std::numeric_limits<Entier>::max();
    if (r <= double(std::numeric_limits<Entier>::min()))
        return std::numeric_limits<Entier>::min();
    return Entier(r);
}

}

qint64 ArrondiPair64(double v)
{
    return arrondiPair<qint64>(v);
}

qint32 ArrondiPair32(double v)
{
    return arrondiPair<qint32>(v);
}
