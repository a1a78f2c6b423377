// Number text that never depends on the user's locale: '.' is the decimal mark
// in everything the program writes.
#pragma once

#include "platform/extended.h"

#include <string>
#include <string_view>

namespace zem {

// Converts one real-number text. Leading and trailing blanks are allowed; the
// decimal mark may be '.' or ','. Any other text raises ZemError
// "Ошибка численного значения".
Extended StrToReal(std::string_view s);

// Strict scalar syntax of parameter lists: optional sign, digits, optional '.'
// and fraction, optional exponent; '.' only, no blanks. Returns false when the
// text is not such a number (or overflows).
bool TryParseScalar(std::string_view s, Extended& x);

// General format: the shorter of fixed and scientific notation with at most
// Precision significant digits, trailing zeros removed; fixed notation when the
// integer part has at most Precision digits and |X| >= 0.00001, otherwise
// d.dddE+xx with at least Digits exponent digits.
std::string RealToStrGen(int precision, int digits, Extended x);

// Exponent format: d.ddd...E+xx with Precision digits in all and at least
// Digits exponent digits.
std::string RealToStrExp(int precision, int digits, Extended x);

// Out-parameter forms, for callers that fill a string in place.
inline void RealToStrGen(int precision, int digits, std::string& s, Extended x) {
    s = RealToStrGen(precision, digits, x);
}
inline void RealToStrExp(int precision, int digits, std::string& s, Extended x) {
    s = RealToStrExp(precision, digits, x);
}

// The default text of a real in number-list files: exponent notation with 15
// significant digits and a 4-digit exponent, right-aligned to 13 characters at
// least ("  1.00000000000000E+0000").
std::string RealToStrDefault(Extended x);

}  // namespace zem
