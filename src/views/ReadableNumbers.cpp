#include "views/ReadableNumbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

TReadableFormat ReadableFormat(zem::Extended lo, zem::Extended hi, int digits) {
    TReadableFormat f;
    const long double m = std::max(std::fabs(lo), std::fabs(hi));
    if (!(m > 0) || !std::isfinite(m)) return f;
    int e = static_cast<int>(std::floor(std::log10(m)));
    // The rounding of the largest may carry it into the next decade.
    if (std::fabs(std::round(m / std::pow(10.0L, e - digits + 1))) >= std::pow(10.0L, digits)) ++e;
    if (e >= -3 && e <= 5) {
        f.Decimals = std::max(0, digits - 1 - e);
    } else {
        f.Fixed = false;
        f.Exponent = e;
        f.Decimals = std::max(0, digits - 1);
    }
    return f;
}

std::string TReadableFormat::Text(zem::Extended x) const {
    if (x == 0) return "0";
    char buf[64];
    if (Fixed) {
        std::snprintf(buf, sizeof buf, "%.*Lf", Decimals, static_cast<long double>(x));
    } else {
        const long double mantissa = x / std::pow(10.0L, Exponent);
        std::snprintf(buf, sizeof buf, "%.*LfE%c%02d", Decimals, mantissa, Exponent < 0 ? '-' : '+', std::abs(Exponent));
    }
    // A value that rounds to zero (the round-off of a clamped edge) is zero.
    if (std::strtold(buf, nullptr) == 0) return "0";
    return buf;
}
