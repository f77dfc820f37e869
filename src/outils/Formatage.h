#pragma once

#include "outils/Langue.h"

#include <QString>

// A quantity of data as short text with its unit, in powers of two, in the
// person's language (outils/Langue.h); in French:
//
// FormateOctets(v): below 1024 bytes, v as a general number then " Octets"
// (at most 15 significant digits, no trailing zeros, "," before the
// decimals: "111,1 Octets", "-5 Octets"); from 1024 on, v in Ko, Mo or Go
// (1024, 1048576, 1073741824 bytes) with one true decimal: "1,5 Ko".
// FormateBits(v) takes bytes too and writes 8 × v in " Bits", " Kb", " Mb"
// or " Gb" by the same rule.
//
// The decimal is v / unit rounded to the nearest tenth, halves to the even
// tenth. A value that rounds up to 1024,0 of a unit is written in the next
// unit instead (1048575 bytes are "1,0 Mo", not "1024,0 Ko"); above a
// thousand Go the figure simply grows. Every value gives a text, however
// large; infinities and NaN are written as general numbers.
QString FormateOctets(double value);
QString FormateBits(double value);

// A time in microseconds as milliseconds with one decimal, two below a
// millisecond: "12,3 ms", "0,04 ms".
QString FormateMs(qint64 microsecondes);

// `valeur` with `decimales` decimals and `separateur` before them, the
// person's by default: "10,0".
QString FormateDecimal(double valeur, int decimales, QChar separateur = Langue::SeparateurDecimal());
