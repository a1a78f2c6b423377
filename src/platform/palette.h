// The two-sided colour scale of the graphs: one palette for negative values
// (white, then cyan, then blue) and one for positive values (white, then
// yellow, then red), L entries each, and the switch that draws the mesh over
// the colour map.
//
// With a := L div 2, entry i < a of the negative palette is (c, 255, 255) and
// of the positive palette (255, 255, c), c = round(255 - 256 i / a); entry
// i >= a is (0, g, 255) and (255, g, 0), g = round(255 - 256 (i - a) / b),
// where b := L - a is the length of the second ramp. For an even L, b = a.
// Spreading the second ramp over its own length keeps an odd L from running
// past blue and red (green would wrap round to 255).
//
// Limits: L is kept within kMinLevels ... kMaxLevels; the graph options
// dialog offers no other values.
#pragma once

#include "platform/canvas.h"

#include <vector>

namespace zem {

class TPalette : public TColorScale {
public:
    static constexpr int kMinLevels = 2;
    static constexpr int kMaxLevels = 1000;
    static constexpr int kDefaultLevels = 80;

    explicit TPalette(int levels = kDefaultLevels);

    // Rebuilds both palettes for L levels (L brought within the limits).
    void SetLevelCount(int levels);
    void SetMeshVisible(bool on) { mesh_ = on; }

    const std::vector<TColor>& Minus() const { return minus_; }
    const std::vector<TColor>& Plus() const { return plus_; }

    // The number of levels k of Value: how many d in 1 ... L have
    // |Value| > Step d (the comparison is strict, so a value equal to the
    // step is level 0). A NaN value is level 0.
    int LevelOf(Extended value, Extended step) const;

    int LevelCount() const override { return static_cast<int>(minus_.size()); }
    // White for level 0 (zero among them); otherwise entry k - 1 of the
    // palette of the value's sign.
    TColor ColorFor(Extended value, Extended step) const override;
    bool MeshVisible() const override { return mesh_; }

private:
    std::vector<TColor> minus_;
    std::vector<TColor> plus_;
    bool mesh_ = false;
};

}  // namespace zem
