#include "views/DeformedShape.h"

#include "app/ChildForm.h"
#include "domains/Domains.h"
#include "domains/ElDomain.h"
#include "domains/ElSeries.h"
#include "elements/ElComp.h"
#include "elements/Elements.h"
#include "platform/numtext.h"
#include "views/GraphForm.h"
#include "views/QtCanvas.h"
#include "views/ReadableNumbers.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kDegree = std::numbers::pi / 180;

int FieldIndex(const zem::TElement& element, const char* name) {
    const auto& names = element.GraphResults;
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

TResultField FieldNamed(zem::TElement& element, const char* name) {
    const int i = FieldIndex(element, name);
    return i < 0 ? TResultField{} : ResultField(element, i);
}

// The radius of every domain of Element, in block order.
std::vector<double> Radii(zem::TElement& element) {
    if (auto* dm = dynamic_cast<zem::TDmElement*>(&element)) return {dm->Domain->Radius()};
    std::vector<double> r;
    if (auto* series = dynamic_cast<zem::TElCompSeries*>(&element))
        for (int s = 0; s < series->ChildCount(); ++s) r.push_back(series->SpanDomain(s).Radius());
    return r;
}

// Value (i, j) of block B of Field when Field has the layout of Colour; 0
// otherwise (a field not sampled, or a field of another shape).
double ValueOf(const TResultField& field, std::size_t b, int i, int j) {
    if (b >= field.Blocks.size()) return 0;
    const TFieldBlock& block = field.Blocks[b];
    if (i >= block.Rows || j >= block.Cols) return 0;
    const double v = static_cast<double>(block.At(i, j));
    return std::isfinite(v) ? v : 0;
}

TVec3 Add(const TVec3& a, const TVec3& b, double k = 1) { return {a.X + k * b.X, a.Y + k * b.Y, a.Z + k * b.Z}; }
TVec3 Sub(const TVec3& a, const TVec3& b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
TVec3 Cross(const TVec3& a, const TVec3& b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}
double Length(const TVec3& a) { return std::sqrt(a.X * a.X + a.Y * a.Y + a.Z * a.Z); }

}  // namespace

// --- The shape. --------------------------------------------------------------------

zem::TElement* TDeformedShape::ShapeElement(zem::TElement& element) {
    const bool sampled = dynamic_cast<zem::TDmElement*>(&element) || dynamic_cast<zem::TElCompSeries*>(&element);
    if (sampled && FieldIndex(element, "w") >= 0) return &element;
    if (auto* comp = dynamic_cast<zem::TElComp*>(&element))
        for (int i = 0; i < comp->ChildCount(); ++i)
            if (zem::TElement* e = ShapeElement(comp->Child(i))) return e;
    return nullptr;
}

TDeformedShape TDeformedShape::Of(zem::TElement& element, int colourField) {
    zem::TElement* e = ShapeElement(element);
    if (!e) return {};
    const TResultField w = FieldNamed(*e, "w");
    const std::size_t n = e->GraphResults.size();
    const TResultField colour =
        colourField >= 0 && static_cast<std::size_t>(colourField) < n ? ResultField(*e, colourField) : w;
    return FromFields(FieldNamed(*e, "u"), FieldNamed(*e, "v"), w, colour, Radii(*e));
}

TDeformedShape TDeformedShape::FromFields(const TResultField& u, const TResultField& v, const TResultField& w,
                                          const TResultField& colour, const std::vector<double>& radius) {
    TDeformedShape s;
    if (w.Empty() || colour.Blocks.size() != w.Blocks.size()) return s;
    const TFieldBlock& first = w.Blocks.front();
    s.kind_ = w.Surface() ? TShapeKind::Surface : first.AngularX ? TShapeKind::Ring : TShapeKind::Profile;
    s.field_ = colour;
    for (std::size_t b = 0; b < w.Blocks.size(); ++b) {
        const TFieldBlock& block = w.Blocks[b];
        const double r = b < radius.size() ? radius[b] : radius.empty() ? 0 : radius.back();
        // A periodic sector (a ring or a shell of several equal periods)
        // repeats round the whole circle; a full circle closes.
        const bool ring = s.kind_ == TShapeKind::Ring;
        const bool round = ring ? block.AngularX : s.kind_ == TShapeKind::Surface && block.AngularY && block.Cols > 1;
        const std::vector<zem::Extended>& turn = ring ? block.X : block.Y;
        const double extent = static_cast<double>(ring ? block.ExtentX : block.ExtentY);
        int copies = 1;
        bool closed = false, wrap = false;
        if (round && turn.size() > 1 && extent > 0) {
            const double k = std::round(360 / extent);
            if (k >= 1 && std::fabs(k * extent - 360) < 1e-6) {
                // The nodes either stop a step short of the period's end (the
                // last cell joins the first node) or repeat it.
                const double covered = static_cast<double>(turn.back() - turn.front());
                wrap = extent - covered > 1e-6;
                copies = static_cast<int>(k);
                closed = true;
            }
        }
        TStrip strip;
        strip.First = static_cast<int>(s.base_.size());
        strip.Rows = ring ? block.Rows * copies : block.Rows;
        strip.Cols = ring ? 1 : block.Cols * copies;
        strip.Closed = closed;
        strip.Seam = wrap;
        strip.Radius = r;
        for (int i0 = 0; i0 < strip.Rows; ++i0)
            for (int j0 = 0; j0 < strip.Cols; ++j0) {
                const int i = ring ? i0 % block.Rows : i0, j = ring ? j0 : j0 % block.Cols;
                const int copy = ring ? i0 / block.Rows : j0 / block.Cols;
                const double x = static_cast<double>(block.X[static_cast<std::size_t>(i)]) + (ring ? copy * extent : 0);
                const double y = static_cast<double>(block.Y[static_cast<std::size_t>(j)]) + (ring ? 0 : copy * extent);
                const double du = ValueOf(u, b, i, j), dv = ValueOf(v, b, i, j), dw = ValueOf(w, b, i, j);
                TVec3 base, disp;
                double axial = 0, angle = 0;
                if (s.kind_ == TShapeKind::Profile) {
                    base = {r, 0, x};
                    disp = {dw, 0, du};
                    axial = x;
                } else {
                    // A ring runs round its X; a shell round its Y (degrees, or
                    // the arc in metres of a panel).
                    const bool degrees = ring || block.AngularY;
                    const double t = ring ? x * kDegree : degrees ? y * kDegree : (r > 0 ? y / r : 0);
                    const double c = std::cos(t), sn = std::sin(t);
                    base = {r * c, r * sn, ring ? 0 : x};
                    disp = {dw * c - dv * sn, dw * sn + dv * c, ring ? 0 : du};
                    axial = ring ? 0 : x;
                    angle = t / kDegree;
                }
                s.base_.push_back(base);
                s.disp_.push_back(disp);
                s.radial_.push_back(dw);
                s.axial_.push_back(axial);
                s.angle_.push_back(angle);
                s.values_.push_back(ValueOf(colour, b, i, j));
            }
        if (s.kind_ == TShapeKind::Surface) {
            auto node = [&](int i, int j) { return strip.First + i * strip.Cols + j % strip.Cols; };
            const int around = strip.Seam ? strip.Cols : strip.Cols - 1;
            for (int i = 0; i + 1 < strip.Rows; ++i)
                for (int j = 0; j < around; ++j)
                    s.quads_.push_back({node(i, j), node(i, j + 1), node(i + 1, j + 1), node(i + 1, j)});
        }
        s.strips_.push_back(strip);
    }
    s.scale_ = s.AutoScale();
    s.UpdatePositions();
    return s;
}

int TDeformedShape::LargestRadialNode() const {
    int best = -1;
    for (std::size_t i = 0; i < radial_.size(); ++i)
        if (best < 0 || std::fabs(radial_[i]) > std::fabs(radial_[static_cast<std::size_t>(best)]))
            best = static_cast<int>(i);
    return best;
}

double TDeformedShape::Size() const {
    double r = 0, lo = 0, hi = 0;
    for (std::size_t i = 0; i < base_.size(); ++i) {
        r = std::max(r, std::hypot(base_[i].X, base_[i].Y));
        lo = i == 0 ? base_[i].Z : std::min(lo, base_[i].Z);
        hi = i == 0 ? base_[i].Z : std::max(hi, base_[i].Z);
    }
    return std::max(hi - lo, 2 * r);
}

double TDeformedShape::AutoScale() const {
    double largest = 0;
    for (const TVec3& d : disp_) largest = std::max(largest, Length(d));
    const double size = Size();
    if (!(largest > 0) || !(size > 0)) return 1;
    return 0.1 * size / largest;
}

void TDeformedShape::SetScale(double scale) {
    if (!(scale > 0) || !std::isfinite(scale) || scale == scale_) return;
    scale_ = scale;
    UpdatePositions();
}

void TDeformedShape::UpdatePositions() {
    positions_.resize(base_.size());
    for (std::size_t i = 0; i < base_.size(); ++i) positions_[i] = Add(base_[i], disp_[i], scale_);
    if (kind_ != TShapeKind::Surface) {
        normals_.clear();
        return;
    }
    // A node's normal: the sum of the normals of the cells round it.
    normals_.assign(base_.size(), TVec3{});
    for (const auto& q : quads_) {
        const TVec3 n = Cross(Sub(positions_[static_cast<std::size_t>(q[2])], positions_[static_cast<std::size_t>(q[0])]),
                              Sub(positions_[static_cast<std::size_t>(q[3])], positions_[static_cast<std::size_t>(q[1])]));
        for (int k : q) normals_[static_cast<std::size_t>(k)] = Add(normals_[static_cast<std::size_t>(k)], n);
    }
    for (TVec3& n : normals_) {
        const double l = Length(n);
        if (l > 0) n = {n.X / l, n.Y / l, n.Z / l};
    }
}

std::vector<zem::TColor> TDeformedShape::NodeColors(const zem::TPalette& palette) const {
    const zem::Extended step = AutoLevelStep(field_, palette);
    std::vector<zem::TColor> colors;
    colors.reserve(values_.size());
    for (double v : values_) colors.push_back(step > 0 ? palette.ColorFor(v, step) : zem::clWhite);
    return colors;
}

// --- The projection. ---------------------------------------------------------------

TShapeProjection::TShapeProjection(const TDeformedShape& shape, const TCamera& camera, const QRectF& area)
    : kind_(shape.Kind()) {
    const std::vector<TVec3>& base = shape.Base();
    const std::vector<TVec3>& pos = shape.Positions();
    if (base.empty() || area.isEmpty()) return;
    // The extent of both shapes, the undeformed and the deformed.
    TVec3 lo = base.front(), hi = base.front();
    for (const auto* points : {&base, &pos})
        for (const TVec3& p : *points) {
            lo = {std::min(lo.X, p.X), std::min(lo.Y, p.Y), std::min(lo.Z, p.Z)};
            hi = {std::max(hi.X, p.X), std::max(hi.Y, p.Y), std::max(hi.Z, p.Z)};
        }
    if (kind_ == TShapeKind::Profile) {
        // Across, the walls and their moved lines with a margin, at least a
        // third of the height wide; the axis shows when the shell is narrow.
        const double height = std::max(hi.Z - lo.Z, 1e-9);
        double left = lo.X - 0.4 * (hi.X - lo.X), right = hi.X + 0.4 * (hi.X - lo.X);
        if (right - left < height / 3) {
            const double middle = (left + right) / 2;
            left = middle - height / 6;
            right = middle + height / 6;
        }
        if (left < 0 || left < 0.25 * (right - left)) left = std::min(left, 0.0);
        x0_ = left;
        y0_ = lo.Z;
        const double width = std::max(right - left, 1e-9);
        kx_ = area.width() / width;
        ky_ = area.height() / height;
        origin_ = area.bottomLeft();
        return;
    }
    if (kind_ == TShapeKind::Ring) {
        const double half = std::max({hi.X, -lo.X, hi.Y, -lo.Y, 1e-9});
        kx_ = ky_ = std::min(area.width(), area.height()) / (2 * half);
        origin_ = area.center();
        return;
    }
    cy_ = std::cos(camera.Yaw * kDegree);
    sy_ = std::sin(camera.Yaw * kDegree);
    cp_ = std::cos(camera.Pitch * kDegree);
    sp_ = std::sin(camera.Pitch * kDegree);
    centre_ = {(lo.X + hi.X) / 2, (lo.Y + hi.Y) / 2, (lo.Z + hi.Z) / 2};
    double reach = 1e-9;
    for (const auto* points : {&base, &pos})
        for (const TVec3& p : *points) reach = std::max(reach, Length(Sub(p, centre_)));
    kx_ = ky_ = std::max(0.01, camera.Zoom) * std::min(area.width(), area.height()) / (2 * reach);
    origin_ = area.center();
}

QPointF TShapeProjection::Map(const TVec3& p) const {
    if (kind_ == TShapeKind::Profile) return {origin_.x() + (p.X - x0_) * kx_, origin_.y() - (p.Z - y0_) * ky_};
    if (kind_ == TShapeKind::Ring) return {origin_.x() + p.X * kx_, origin_.y() - p.Y * ky_};
    const TVec3 d = Sub(p, centre_);
    const double x1 = d.X * cy_ - d.Y * sy_, y1 = d.X * sy_ + d.Y * cy_;
    const double up = d.Z * cp_ + y1 * sp_;
    return {origin_.x() + x1 * kx_, origin_.y() - up * ky_};
}

double TShapeProjection::Depth(const TVec3& p) const {
    if (kind_ != TShapeKind::Surface) return 0;
    const TVec3 d = Sub(p, centre_);
    const double y1 = d.X * sy_ + d.Y * cy_;
    return y1 * cp_ - d.Z * sp_;
}

// --- The picture. ------------------------------------------------------------------

namespace {

constexpr int kCaptionHeight = 40;

QColor Shaded(zem::TColor c, double light) {
    return QColor(static_cast<int>(zem::RedOf(c) * light), static_cast<int>(zem::GreenOf(c) * light),
                  static_cast<int>(zem::BlueOf(c) * light));
}

// The nodes kept along a direction of N nodes at every Stride-th, the last
// always.
std::vector<int> Every(int n, int stride) {
    std::vector<int> kept;
    for (int i = 0; i < n; i += stride) kept.push_back(i);
    if (n > 0 && kept.back() != n - 1) kept.push_back(n - 1);
    return kept;
}

// The cells drawn: a mesh finer than the picture shows (cells under a pixel
// and a half) is drawn on every second, third, ... node, so that the cost of
// a picture follows its pixels rather than the mesh; zooming in brings the
// whole mesh back.
std::vector<std::array<int, 4>> DrawnCells(const TDeformedShape& shape, double pixelsPerMetre) {
    const std::vector<TVec3>& base = shape.Base();
    std::vector<std::array<int, 4>> cells;
    constexpr double kFinest = 1.5;  // pixels
    for (const TDeformedShape::TStrip& s : shape.Strips()) {
        if (s.Rows < 2 || s.Cols < 2) continue;
        auto at = [&](int i, int j) { return base[static_cast<std::size_t>(s.First + i * s.Cols + j)]; };
        const double along = Length(Sub(at(s.Rows - 1, 0), at(0, 0))) / (s.Rows - 1);
        const double around = Length(Sub(at(0, 1), at(0, 0)));
        auto stride = [&](double cell, int n) {
            const double px = cell * pixelsPerMetre;
            return px > 0 ? std::clamp(static_cast<int>(std::ceil(kFinest / px)), 1, std::max(1, n / 8)) : 1;
        };
        const std::vector<int> rows = Every(s.Rows, stride(along, s.Rows));
        std::vector<int> cols = Every(s.Cols, stride(around, s.Cols));
        if (s.Seam) cols.push_back(0);  // the cell across the seam
        auto node = [&](int i, int j) { return s.First + i * s.Cols + j; };
        for (std::size_t a = 0; a + 1 < rows.size(); ++a)
            for (std::size_t b = 0; b + 1 < cols.size(); ++b)
                cells.push_back({node(rows[a], cols[b]), node(rows[a], cols[b + 1]), node(rows[a + 1], cols[b + 1]),
                                 node(rows[a + 1], cols[b])});
    }
    return cells;
}

void PaintSurface(QPainter& p, const TDeformedShape& shape, const TShapeProjection& proj, const TCamera& camera,
                  const zem::TPalette& palette) {
    const std::vector<TVec3>& pos = shape.Positions();
    const std::vector<std::array<int, 4>> quads = DrawnCells(shape, proj.PixelsPerMetre());
    // Every node projected once.
    std::vector<QPointF> screen(pos.size());
    std::vector<double> depths(pos.size());
    for (std::size_t i = 0; i < pos.size(); ++i) {
        screen[i] = proj.Map(pos[i]);
        depths[i] = proj.Depth(pos[i]);
    }
    // The far cells first.
    std::vector<std::pair<double, int>> order(quads.size());
    for (std::size_t k = 0; k < quads.size(); ++k) {
        double depth = 0;
        for (int i : quads[k]) depth += depths[static_cast<std::size_t>(i)];
        order[k] = {depth, static_cast<int>(k)};
    }
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    // The light comes from the viewer; both sides of the surface take it.
    const double cy = std::cos(camera.Yaw * kDegree), sy = std::sin(camera.Yaw * kDegree);
    const double cp = std::cos(camera.Pitch * kDegree), sp = std::sin(camera.Pitch * kDegree);
    const TVec3 toViewer{-sy * cp, -cy * cp, sp};  // the view axis back in the model's terms
    const zem::Extended step = AutoLevelStep(shape.Field(), palette);
    const std::vector<double>& values = shape.Values();
    const std::vector<TVec3>& normals = shape.Normals();
    p.setPen(Qt::NoPen);
    QPointF corners[4];
    for (const auto& [depth, k] : order) {
        const auto& q = quads[static_cast<std::size_t>(k)];
        double value = 0, facing = 0;
        TVec3 n{};
        for (int c = 0; c < 4; ++c) {
            const auto i = static_cast<std::size_t>(q[static_cast<std::size_t>(c)]);
            corners[c] = screen[i];
            value += values[i] / 4;
            n = Add(n, normals[i]);
        }
        const double l = Length(n);
        if (l > 0) facing = std::fabs(n.X * toViewer.X + n.Y * toViewer.Y + n.Z * toViewer.Z) / l;
        const zem::TColor c = step > 0 ? palette.ColorFor(value, step) : zem::clWhite;
        const QColor colour = Shaded(c, 0.55 + 0.45 * facing);
        p.setBrush(colour);
        p.drawPolygon(corners, 4);
    }
}

void PaintPlane(QPainter& p, const TDeformedShape& shape, const TShapeProjection& proj, const QRect& area) {
    const std::vector<TVec3>& base = shape.Base();
    const std::vector<TVec3>& pos = shape.Positions();
    auto line = [&](const std::vector<TVec3>& points, const TDeformedShape::TStrip& s) {
        QPolygonF poly;
        for (int i = 0; i < s.Rows; ++i) poly << proj.Map(points[static_cast<std::size_t>(s.First + i)]);
        if (s.Seam && !poly.isEmpty()) poly << poly.front();
        return poly;
    };
    p.setRenderHint(QPainter::Antialiasing, true);
    // The axis of a shell; the centre of a ring.
    QPen axis(QColor(120, 120, 120), 1, Qt::DashDotLine);
    p.setPen(axis);
    if (shape.Kind() == TShapeKind::Profile) {
        const QPointF a = proj.Map({0, 0, base.front().Z});
        if (area.contains(a.toPoint())) p.drawLine(QPointF(a.x(), area.bottom()), QPointF(a.x(), area.top()));
        // The radius of each span at its foot, the heights of the ends.
        p.setPen(Qt::black);
        const QFontMetrics fm(p.font());
        double last = -1;
        for (const auto& s : shape.Strips()) {
            if (s.Radius == last) continue;
            last = s.Radius;
            const QPointF foot = proj.Map(base[static_cast<std::size_t>(s.First)]);
            p.drawText(QPointF(foot.x() - fm.horizontalAdvance(QStringLiteral("R")) / 2.0, area.bottom() + fm.ascent() + 2),
                       QString::fromStdString("R = " + zem::RealToStrGen(4, 1, s.Radius) + " " + DisplayUnit("m")));
        }
        const std::string top = "x = " + zem::RealToStrGen(4, 1, base.back().Z) + " " + DisplayUnit("m");
        p.drawText(QPointF(area.left(), proj.Map(base.back()).y() + fm.ascent() / 2.0), QString::fromStdString(top));
        p.drawText(QPointF(area.left(), proj.Map(base.front()).y()), QStringLiteral("x = 0"));
    } else {
        const QPointF c = proj.Map({0, 0, 0});
        p.drawLine(c - QPointF(8, 0), c + QPointF(8, 0));
        p.drawLine(c - QPointF(0, 8), c + QPointF(0, 8));
    }
    p.setPen(QPen(QColor(110, 110, 110), 1.5, Qt::DashLine));
    for (const auto& s : shape.Strips()) p.drawPolyline(line(base, s));
    p.setPen(QPen(ToQColor(kDeformedLine), 2));
    for (const auto& s : shape.Strips()) p.drawPolyline(line(pos, s));
    p.setRenderHint(QPainter::Antialiasing, false);
}

}  // namespace

QRect DeformedArea(const QSize& size, TShapeKind kind) {
    if (kind == TShapeKind::Surface) {
        const TGraphLayout lay = GraphLayout(size);
        if (lay.Framed) return QRect(QPoint(8, kCaptionHeight), QPoint(lay.Legend.left() - 12, size.height() - 12));
    }
    return QRect(QPoint(16, kCaptionHeight), QPoint(size.width() - 17, size.height() - 24));
}

QRect DeformedLegendArea(const QSize& size, TShapeKind kind) {
    if (kind != TShapeKind::Surface) return {};
    const TGraphLayout lay = GraphLayout(size);
    return lay.Framed ? QRect(lay.Legend.left(), kCaptionHeight + 20, lay.Legend.width(),
                              size.height() - 44 - kCaptionHeight - 20)
                      : QRect();
}

std::string ScaleText(double scale) {
    return "Перемещения ×" + ReadableFormat(scale, scale, 3).Text(scale);
}

void PaintDeformed(QPainter& painter, const QSize& size, const TDeformedShape& shape, const TCamera& camera,
                   const zem::TPalette& palette) {
    const QRect all(QPoint(0, 0), size);
    const TShapeKind kind = shape.Kind();
    painter.fillRect(all, kind == TShapeKind::Surface ? ToQColor(kDeformedGround) : QColor(Qt::white));
    if (kind == TShapeKind::None) {
        painter.setPen(Qt::black);
        painter.drawText(all, Qt::AlignCenter, QStringLiteral("Нет перемещений для показа"));
        return;
    }
    const QRect area = DeformedArea(size, kind);
    const TShapeProjection proj(shape, camera, area);
    if (kind == TShapeKind::Surface)
        PaintSurface(painter, shape, proj, camera, palette);
    else
        PaintPlane(painter, shape, proj, area);
    // The node of the largest radial displacement, marked and named.
    painter.setPen(Qt::black);
    const int big = shape.LargestRadialNode();
    QString where;
    if (big >= 0) {
        const auto n = static_cast<std::size_t>(big);
        const QPointF at = proj.Map(shape.Positions()[n]);
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(at, 4, 4);
        const double w = shape.Radial()[n];
        const std::string value = ReadableFormat(w, w, 4).Text(w);
        const std::string axial = zem::RealToStrGen(4, 1, shape.AxialOf(big));
        const std::string angle = zem::RealToStrGen(4, 1, shape.AngleOf(big));
        std::string text = "наибольший по модулю прогиб w = " + value + " " + DisplayUnit("m");
        if (kind == TShapeKind::Ring)
            text += " при θ = " + angle + "°";
        else if (kind == TShapeKind::Profile)
            text += " при x = " + axial + " " + DisplayUnit("m");
        else
            text += " при x = " + axial + " " + DisplayUnit("m") + ", θ = " + angle + "°";
        where = QString::fromStdString(text);
    }
    painter.setPen(Qt::black);
    const QFontMetrics fm(painter.font());
    painter.drawText(8, 4 + fm.ascent(), QString::fromStdString(ScaleText(shape.Scale())));
    painter.drawText(8, 6 + fm.ascent() + fm.height(), where);
    if (kind == TShapeKind::Surface) {
        const QRect legend = DeformedLegendArea(size, kind);
        if (!legend.isEmpty()) {
            TGraphLayout lay;
            lay.Legend = legend;
            lay.Framed = true;
            PaintLegend(painter, lay, shape.Field(), palette);
        }
    }
}
