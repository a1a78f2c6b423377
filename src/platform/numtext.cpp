#include "platform/numtext.h"

#include "platform/errors.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace zem {
namespace {

// The "C" locale, created once; strtold_l and the formatting below use it so
// that the user's locale never changes a number text.
locale_t CLocale() {
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Checks sign, digits [. digits] [e sign digits]; at least one mantissa digit.
bool WellFormed(std::string_view s) {
    std::size_t i = 0, n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < n && IsDigit(s[i])) ++i, ++digits;
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && IsDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < n && IsDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == n;
}

bool Convert(std::string_view s, Extended& x) {
    if (!WellFormed(s)) return false;
    std::string buf(s);
    char* end = nullptr;
    errno = 0;
    Extended v = strtold_l(buf.c_str(), &end, CLocale());
    if (end != buf.c_str() + buf.size()) return false;
    if (!std::isfinite(v)) return false;
    x = v;
    return true;
}

// Digits and decimal exponent of X rounded to P significant digits:
// X = 0.d1d2...dP * 10^(exp10 + 1) with d1 != 0 (for X != 0).
struct Decimal {
    bool negative = false;
    std::string digits;  // exactly P digits
    int exp10 = 0;       // power of ten of the first digit
};

Decimal ToDecimal(Extended x, int precision) {
    Decimal d;
    char buf[128];
    locale_t old = uselocale(CLocale());
    std::snprintf(buf, sizeof buf, "%.*Le", precision - 1, x);
    uselocale(old);
    const char* p = buf;
    if (*p == '-') d.negative = true, ++p;
    for (; *p && *p != 'e'; ++p)
        if (IsDigit(*p)) d.digits += *p;
    if (*p == 'e') d.exp10 = std::atoi(p + 1);
    return d;
}

std::string Exponent(int e, int digits) {
    std::string s = std::to_string(e < 0 ? -e : e);
    while (static_cast<int>(s.size()) < digits) s.insert(s.begin(), '0');
    return std::string(e < 0 ? "E-" : "E+") + s;
}

std::string NonFinite(Extended x) {
    if (std::isnan(x)) return "NAN";
    return x < 0 ? "-INF" : "INF";
}

int ClampPrecision(int p) { return p < 1 ? 1 : (p > 18 ? 18 : p); }

}  // namespace

Extended StrToReal(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    std::string t(s.substr(b, e - b));
    std::size_t comma = t.find(',');
    if (comma != std::string::npos) {
        if (t.find('.') != std::string::npos) throw ZemError("Ошибка численного значения");
        t[comma] = '.';
    }
    Extended x = 0;
    if (!Convert(t, x)) throw ZemError("Ошибка численного значения");
    return x;
}

bool TryParseScalar(std::string_view s, Extended& x) { return Convert(s, x); }

std::string RealToStrGen(int precision, int digits, Extended x) {
    if (!std::isfinite(x)) return NonFinite(x);
    if (x == 0) return "0";
    precision = ClampPrecision(precision);
    Decimal d = ToDecimal(x, precision);
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    const int n = static_cast<int>(d.digits.size());
    std::string out = d.negative ? "-" : "";
    if (d.exp10 + 1 <= precision && d.exp10 >= -5) {
        if (d.exp10 >= 0) {
            for (int i = 0; i <= d.exp10; ++i) out += i < n ? d.digits[i] : '0';
            if (n > d.exp10 + 1) out += "." + d.digits.substr(d.exp10 + 1);
        } else {
            out += "0." + std::string(-d.exp10 - 1, '0') + d.digits;
        }
    } else {
        out += d.digits[0];
        if (n > 1) out += "." + d.digits.substr(1);
        out += Exponent(d.exp10, digits);
    }
    return out;
}

std::string RealToStrExp(int precision, int digits, Extended x) {
    if (!std::isfinite(x)) return NonFinite(x);
    precision = ClampPrecision(precision);
    Decimal d = x == 0 ? Decimal{false, std::string(precision, '0'), 0} : ToDecimal(x, precision);
    std::string out = d.negative ? "-" : "";
    out += d.digits[0];
    if (d.digits.size() > 1) out += "." + d.digits.substr(1);
    return out + Exponent(d.exp10, digits);
}

std::string RealToStrDefault(Extended x) {
    std::string s = RealToStrExp(15, 4, x);
    if (s[0] != '-') s = " " + s;
    while (s.size() < 13) s = " " + s;
    return s;
}

}  // namespace zem
