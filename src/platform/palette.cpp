#include "platform/palette.h"

#include <algorithm>
#include <cmath>

namespace zem {

TPalette::TPalette(int levels) { SetLevelCount(levels); }

void TPalette::SetLevelCount(int levels) {
    const int l = std::clamp(levels, kMinLevels, kMaxLevels);
    const int a = l / 2;
    const int b = l - a;
    minus_.clear();
    plus_.clear();
    minus_.reserve(static_cast<std::size_t>(l));
    plus_.reserve(static_cast<std::size_t>(l));
    for (int i = 0; i < a; ++i) {
        // From white towards cyan and towards yellow.
        const int c = static_cast<int>(std::lround(255.0 - 256.0 * i / a));
        minus_.push_back(RGBColor(c, 255, 255));
        plus_.push_back(RGBColor(255, 255, c));
    }
    for (int i = a; i < l; ++i) {
        // From cyan towards blue and from yellow towards red; g >= 0 since
        // i - a < b.
        const int g = static_cast<int>(std::lround(255.0 - 256.0 * (i - a) / b));
        minus_.push_back(RGBColor(0, std::max(g, 0), 255));
        plus_.push_back(RGBColor(255, std::max(g, 0), 0));
    }
}

int TPalette::LevelOf(Extended value, Extended step) const {
    const int l = LevelCount();
    const Extended v = std::fabs(value);
    if (!(v == v)) return 0;  // NaN
    // k = #{d in 1..L : v > s d}; the set is an initial run of d (s >= 0),
    // so start from the quotient and correct by whole levels.
    if (step <= 0) return v > 0 || step < 0 ? l : 0;
    const Extended q = v / step;
    int k = q >= l ? l : static_cast<int>(std::floor(q));
    while (k < l && v > step * (k + 1)) ++k;
    while (k > 0 && !(v > step * k)) --k;
    return k;
}

TColor TPalette::ColorFor(Extended value, Extended step) const {
    const int k = value == 0 ? 0 : LevelOf(value, step);
    if (k == 0) return clWhite;
    const auto i = static_cast<std::size_t>(k - 1);
    return value < 0 ? minus_[i] : plus_[i];
}

}  // namespace zem
