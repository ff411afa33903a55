#pragma once
#include <QString>

// Hours and totals are single precision. Reading always takes a point as the decimal separator,
// and writing uses a point too, so a page reads back what it wrote on any system.

// The leading numeric part of a text: optional blanks, sign, digits, point, digits. An empty or
// non-numeric text, or a number beyond the single-precision range, counts as 0.
float leadingNumber(const QString &text);

// The shortest decimal text (at most 7 significant digits) that reads back as the same value.
QString numberText(float v);
