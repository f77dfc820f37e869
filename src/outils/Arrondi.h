#pragma once

#include <QtGlobal>

// Conversions of a double to an integer round to the nearest integer, halves
// to the even neighbour (12.5 gives 12, 13.5 gives 14). Values outside the
// target's range are clamped to it and NaN gives 0, so that no count a fast
// link produces can overflow.
qint64 ArrondiPair64(double v);
qint32 ArrondiPair32(double v);
