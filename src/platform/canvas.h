// The drawing surface the domains paint graphs and meshes on. The desktop
// program implements it with QPainter; tests record the calls.
#pragma once

#include "platform/extended.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zem {

// A colour as 0x00BBGGRR (red in the low byte).
using TColor = std::uint32_t;

constexpr TColor RGBColor(int r, int g, int b) {
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(TColor c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(TColor c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(TColor c) { return static_cast<int>((c >> 16) & 0xFF); }

constexpr TColor clBlack = RGBColor(0, 0, 0);
constexpr TColor clWhite = RGBColor(255, 255, 255);

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Edges included: Right and Bottom belong to the rectangle.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

// True when R.Left <= P.X <= R.Right and R.Top <= P.Y <= R.Bottom.
inline bool PointInRect(const TPoint& p, const TRect& r) {
    return r.Left <= p.X && p.X <= r.Right && r.Top <= p.Y && p.Y <= r.Bottom;
}

class TCanvas {
public:
    virtual ~TCanvas() = default;
    // Fills the rectangle (edges included) with a colour, no outline.
    virtual void FillRect(const TRect& r, TColor color) = 0;
    virtual void SetPenColor(TColor color) = 0;
    virtual void SetPenWidth(int width) = 0;
    // A line from (x1, y1) to (x2, y2) with the current pen.
    virtual void Line(int x1, int y1, int x2, int y2) = 0;
    virtual void Polyline(const std::vector<TPoint>& points) = 0;
    // Text with its top-left corner at (x, y).
    virtual void TextOut(int x, int y, const std::string& text) = 0;
};

// The colour scale of the graphs: owned by the graph options, consulted by
// every domain that paints a field.
class TColorScale {
public:
    virtual ~TColorScale() = default;
    // Number of colour levels on each side of zero.
    virtual int LevelCount() const = 0;
    // The colour of a value for the level step Step (white for small values).
    virtual TColor ColorFor(Extended value, Extended step) const = 0;
    // Whether the mesh is drawn over the colour map.
    virtual bool MeshVisible() const = 0;
};

}  // namespace zem
