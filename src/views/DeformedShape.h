// The deformed shape of an element: the undeformed geometry, the displacement
// of every node and the colours of a result field, kept apart from any
// window or graphics library so that the drawing can be checked anywhere.
//
// Three kinds of shape:
//  - a profile: the generator of an axisymmetric shell in its meridian
//    plane (radius across, height up), moved by w across and u along;
//  - a ring: the ring's axis line in its plane, moved by w (radial) and v
//    (along the circle); the displacement out of the plane is not drawn;
//  - a surface: the middle surface of a shell or a panel in space (the axis
//    of the cylinder vertical), moved by u along the axis, v round and w
//    along the outward normal, one quadrangle per mesh cell, coloured by the
//    chosen field.
// A stepped element gives one strip of nodes per span, each with its own
// radius, stacked from the bottom.
//
// The painter draws any shape onto a QPainter: a profile and a ring in their
// plane, a surface in an orthographic view turned by the camera, the far
// cells first. The same picture serves the window, the picture file and the
// tests.
#pragma once

#include "platform/canvas.h"
#include "platform/palette.h"
#include "views/ResultField.h"

#include <QPointF>
#include <QRect>
#include <array>
#include <string>
#include <vector>

class QPainter;
class QSize;

namespace zem {
class TElement;
}

struct TVec3 {
    double X = 0, Y = 0, Z = 0;
};

enum class TShapeKind { None, Profile, Ring, Surface };

class TDeformedShape {
public:
    // One strip of nodes (a span of a stepped element, or the whole element).
    struct TStrip {
        int First = 0;      // index of its first node
        int Rows = 0;       // nodes along the axis (round the ring)
        int Cols = 1;       // nodes around (1 for a line)
        bool Closed = false;  // goes round the whole circle
        bool Seam = false;    // and its last node around joins the first by a cell
        double Radius = 0;
    };

    // The element whose shape the view shows for Element: Element itself when
    // it has a radial displacement w, else the first of its parts that has.
    // Null when none has.
    static zem::TElement* ShapeElement(zem::TElement& element);
    // The shape of Element (see ShapeElement) with result field ColourField
    // (an index of its GraphResults; a bad index colours nothing). An element
    // without results or without w gives the kind None.
    static TDeformedShape Of(zem::TElement& element, int colourField);

    TShapeKind Kind() const { return kind_; }
    const std::vector<TStrip>& Strips() const { return strips_; }
    std::size_t NodeCount() const { return base_.size(); }
    const std::vector<TVec3>& Base() const { return base_; }
    const std::vector<TVec3>& Displacement() const { return disp_; }
    // Base + Scale × Displacement.
    const std::vector<TVec3>& Positions() const { return positions_; }
    // Unit normals of the deformed surface at the nodes (surface only).
    const std::vector<TVec3>& Normals() const { return normals_; }
    // The cells of a surface: four node indices each, around the cell.
    const std::vector<std::array<int, 4>>& Quads() const { return quads_; }
    // The colour field and the values at the nodes (same order as Base).
    const TResultField& Field() const { return field_; }
    const std::vector<double>& Values() const { return values_; }
    // The radial displacement w at the nodes, and its node of the largest
    // magnitude (-1 when none).
    const std::vector<double>& Radial() const { return radial_; }
    int LargestRadialNode() const;
    // Height of the node along the axis (the angle in degrees for a ring).
    double AxialOf(int node) const { return axial_[static_cast<std::size_t>(node)]; }
    double AngleOf(int node) const { return angle_[static_cast<std::size_t>(node)]; }

    // The factor of the displacements in the picture.
    double Scale() const { return scale_; }
    void SetScale(double scale);
    // The factor that draws the largest displacement as a tenth of the
    // structure's size (1 when nothing moves).
    double AutoScale() const;
    // The structure's size: its height or its diameter, whichever is larger
    // (the diameter for a ring).
    double Size() const;

    // Colours of the nodes for Palette at the automatic level step of the
    // field (white without a field).
    std::vector<zem::TColor> NodeColors(const zem::TPalette& palette) const;

    // Builds a surface straight from blocks: the displacements U (along),
    // V (round) and W (radial) with the layout of Colour (any of them may be
    // empty: no displacement). Radius is the radius of every block.
    static TDeformedShape FromFields(const TResultField& u, const TResultField& v, const TResultField& w,
                                     const TResultField& colour, const std::vector<double>& radius);

private:
    void UpdatePositions();

    TShapeKind kind_ = TShapeKind::None;
    std::vector<TStrip> strips_;
    std::vector<TVec3> base_, disp_, positions_, normals_;
    std::vector<std::array<int, 4>> quads_;
    std::vector<double> values_, radial_, axial_, angle_;
    TResultField field_;
    double scale_ = 1;
};

// The view direction of a surface: turned about the vertical axis by Yaw and
// tipped towards the viewer by Pitch (90: from above), in degrees; Zoom > 1
// draws larger.
struct TCamera {
    double Yaw = -30;
    double Pitch = 20;
    double Zoom = 1;
};

// How the points of a shape map into a picture's drawing area: a profile
// with its own scales across and up, a ring with equal scales, a surface in
// the camera's orthographic view, centred and fitted to the area.
class TShapeProjection {
public:
    TShapeProjection(const TDeformedShape& shape, const TCamera& camera, const QRectF& area);
    QPointF Map(const TVec3& p) const;
    // The distance from the viewer (larger is farther); 0 in a plane view.
    double Depth(const TVec3& p) const;
    // Pixels per metre across.
    double PixelsPerMetre() const { return kx_; }

private:
    TShapeKind kind_;
    double cy_ = 1, sy_ = 0, cp_ = 1, sp_ = 0;  // the camera's turns
    TVec3 centre_;
    double kx_ = 1, ky_ = 1;  // pixels per metre
    QPointF origin_;          // where the centre (plane: the low corner) goes
    double x0_ = 0, y0_ = 0;  // the low corner of a plane view
};

// The drawing area of a deformed-shape picture of Size (the legend at the
// right of a surface's picture) and the area of its legend (empty for a plane
// picture).
QRect DeformedArea(const QSize& size, TShapeKind kind);
QRect DeformedLegendArea(const QSize& size, TShapeKind kind);
// The ground of a surface's picture (the cells never take it exactly).
constexpr zem::TColor kDeformedGround = zem::RGBColor(236, 240, 244);
// The deformed line of a profile or a ring.
constexpr zem::TColor kDeformedLine = zem::RGBColor(0, 0, 200);

// Paints the whole picture on its ground: the shape, the caption with the
// factor of the displacements and the largest radial displacement with its
// place, and for a surface the legend of the colour field.
void PaintDeformed(QPainter& painter, const QSize& size, const TDeformedShape& shape, const TCamera& camera,
                   const zem::TPalette& palette);
// "Перемещения ×1520" style text of a factor (three significant digits).
std::string ScaleText(double scale);
