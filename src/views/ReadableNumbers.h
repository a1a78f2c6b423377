// Numbers read together — the labels of a legend, a column of a table — in one
// format chosen from their range, so that they line up and compare at a
// glance: fixed point when the largest magnitude lies between 0.001 and
// 999999, with as many decimals as give it Digits significant digits;
// otherwise every number as a mantissa times the power of ten of the largest
// ("-1.90E-05", "0.25E-05"). A number that rounds to zero is "0".
#pragma once

#include "platform/extended.h"

#include <string>

struct TReadableFormat {
    bool Fixed = true;
    int Decimals = 0;  // of the fixed number or of the mantissa
    int Exponent = 0;  // the common power of ten when not Fixed
    std::string Text(zem::Extended x) const;
};

// The format for values between Lo and Hi.
TReadableFormat ReadableFormat(zem::Extended lo, zem::Extended hi, int digits = 3);
