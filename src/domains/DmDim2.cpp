#include "domains/DmDim2.h"

#include "domains/DmDim1.h"
#include "elements/ElLists.h"
#include "elements/MyObjecs.h"
#include "platform/errors.h"
#include "solvers/Matrises.h"

#include <cmath>
#include <numbers>

namespace zem {

namespace {

int Round(double x) { return static_cast<int>(std::lround(x)); }

}  // namespace

TDmDim2::TDmDim2(TDomainOwner* owner) : TDomain(owner, 2) {}

TDmDim2::~TDmDim2() = default;

// --- Boundary distributions -----------------------------------------------------------

void TDmDim2::SetBoundary(TElemList* list) {
    TDomain::SetBoundary(list);
    if (!list || list->Count() == 0) return;
    BoundaryLines.clear();
    const int n1 = StepCount(1);
    const Extended twoPi = 2 * std::numbers::pi_v<Extended>;
    for (int c = 0; c < list->Count(); ++c) {
        const TObject* v = list->ItemValue(c);
        if (!v) {
            BoundaryLines.push_back(nullptr);
            continue;
        }
        auto line = std::make_unique<TALineItem>(static_cast<std::size_t>(n1), nullptr, 0);
        if (const auto* q = dynamic_cast<const TReal*>(v)) {
            for (int j = 0; j < n1; ++j) line->SetItem(static_cast<std::size_t>(j), q->Value);
        } else if (const auto* harmonics = dynamic_cast<const TValueList*>(v)) {
            for (int k = 0; k < harmonics->Count(); ++k) {
                double a = 0, b = 0;
                if (const auto* pair = dynamic_cast<const TValueList*>(harmonics->Items(k))) {
                    a = pair->AsReal(0);
                    b = pair->AsReal(1);
                } else {
                    a = harmonics->AsReal(k);
                }
                for (int j = 0; j < n1; ++j) {
                    const Extended angle = twoPi * k * j / n1;
                    if (a != 0) line->AddItem(static_cast<std::size_t>(j), a * std::cos(angle));
                    if (b != 0) line->AddItem(static_cast<std::size_t>(j), b * std::sin(angle));
                }
            }
        }
        BoundaryLines.push_back(std::move(line));
    }
}

const TALineItem* TDmDim2::BoundaryLine(int k) const {
    if (k < 0 || k >= static_cast<int>(BoundaryLines.size())) return nullptr;
    return BoundaryLines[static_cast<std::size_t>(k)].get();
}

// --- Tables and drawing ------------------------------------------------------------------

std::unique_ptr<TObject> TDmDim2::Table(bool results, int kind) {
    const int n0 = StepCount(0), n1 = StepCount(1);
    auto matrix = std::make_unique<TAMatrix>(static_cast<std::size_t>(n0 + 1), static_cast<std::size_t>(n1 + 1));
    // Direction 1 outside, direction 0 inside: domains that recompute node
    // data in SetPos rely on this order.
    SetPos(0, 0);
    SetPos(1, 0);
    for (int j = 0; j <= n1; ++j) {
        SetPos(1, WrapIndex(1, j));
        for (int i = 0; i <= n0; ++i) {
            SetPos(0, WrapIndex(0, i));
            matrix->SetItem(static_cast<std::size_t>(i), static_cast<std::size_t>(j),
                            results ? ResultValue(kind) : InputValue(kind));
        }
    }
    return matrix;
}

std::unique_ptr<TObject> TDmDim2::InputTable(int kind) { return Table(false, kind); }

std::unique_ptr<TObject> TDmDim2::ResultTable(int kind) { return Table(true, kind); }

void TDmDim2::PaintField(TCanvas& canvas, const TRect& rect, Extended scale, const TColorScale& colors,
                         const TObject& table) {
    const auto& matrix = dynamic_cast<const TMatrix&>(table);
    const Extended ky = (rect.Bottom - rect.Top + 1) / Extent(0);
    const Extended kx = (rect.Right - rect.Left + 1) / Extent(1);
    const int n0 = std::min(StepCount(0), static_cast<int>(matrix.Rows()) - 1);
    const int n1 = std::min(StepCount(1), static_cast<int>(matrix.Cols()) - 1);
    for (int i = 0; i <= n0; ++i)
        for (int j = 0; j <= n1; ++j) {
            const TRect cell{rect.Left + PixelRound(CellEnd(*this, 1, j - 1) * kx),
                             rect.Bottom - PixelRound(CellEnd(*this, 0, i) * ky),
                             rect.Left + PixelRound(CellEnd(*this, 1, j) * kx),
                             rect.Bottom - PixelRound(CellEnd(*this, 0, i - 1) * ky)};
            canvas.FillRect(cell, colors.ColorFor(matrix.GetItem(static_cast<std::size_t>(i),
                                                                 static_cast<std::size_t>(j)),
                                                  scale));
        }
    if (colors.MeshVisible()) PaintMesh(canvas, rect);
}

void TDmDim2::PaintMesh(TCanvas& canvas, const TRect& rect) {
    PaintFrameAndRows(*this, canvas, rect);
    const Extended kx = (rect.Right - rect.Left + 1) / Extent(1);
    for (int k = 1; k < StepCount(1); ++k) {
        const int x = rect.Left + PixelRound(kx * NodeCoord(1, k));
        canvas.Line(x, rect.Top, x, rect.Bottom);
    }
}

Extended TDmDim2::TableValue(const TNodeIdx& idx, const TObject& table) const {
    return dynamic_cast<const TMatrix&>(table).GetItem(static_cast<std::size_t>(idx[0]),
                                                       static_cast<std::size_t>(idx[1]));
}

void TDmDim2::PointToCoords(const TRect& rect, const TPoint& point, TCoords& coords) const {
    const int height = rect.Bottom - rect.Top, width = rect.Right - rect.Left;
    coords[0] = height != 0 ? (rect.Bottom - point.Y) * Lengths[0] / height : 0;
    coords[1] = width != 0 ? (point.X - rect.Left) * Lengths[1] / width : 0;
}

// --- Loads --------------------------------------------------------------------------------

Extended TDmDim2::PointLoad(const std::vector<double>& params) {
    return GetPos(0) == Round(params.at(0)) && GetPos(1) == Round(params.at(1)) ? params.at(2) : 0;
}

void TDmDim2::AddRegionLoad(int slot, const TObject* value) {
    const auto* list = dynamic_cast<const TValueList*>(value);
    if (!list) throw ZemError("Ошибка значения");
    bool allLists = list->Count() > 0;
    for (int k = 0; k < list->Count(); ++k)
        if (!dynamic_cast<const TValueList*>(list->Items(k))) allLists = false;
    if (!allLists) {
        AddRegion(slot, list);
        return;
    }
    for (int k = 0; k < list->Count(); ++k) AddRegion(slot, list->Items(k));
}

void TDmDim2::AddRegion(int slot, const TObject* value) {
    const auto* r = dynamic_cast<const TValueList*>(value);
    if (!r) throw ZemError("Ошибка значения");
    int i0 = 0, j0 = 0, i1 = 0, j1 = 0;
    LowerCellEdge(0, r->AsReal(0), i0);
    LowerCellEdge(1, r->AsReal(1), j0);
    UpperCellEdge(0, r->AsReal(2), i1);
    UpperCellEdge(1, r->AsReal(3), j1);
    std::vector<double> params;
    if (r->Count() == 4) {
        params = {r->AsReal(0), r->AsReal(1), r->AsReal(2), r->AsReal(3)};  // circle
    } else if (r->Count() == 5) {
        const double q = r->AsReal(4);
        params = {double(i0), double(j0), double(i1), double(j1), q, q, q, q};
    } else {
        params = {double(i0),   double(j0),   double(i1),   double(j1),
                  r->AsReal(4), r->AsReal(5), r->AsReal(6), r->AsReal(7)};
    }
    AddLoadFunc(slot, LoadFunc(&TDmDim2::RegionLoad), std::move(params));
}

Extended TDmDim2::RegionLoad(const std::vector<double>& p) {
    const Extended x = PosCoord(0), y = PosCoord(1);
    if (p.size() == 4) {
        // Circle: the third number is the squared radius.
        if ((x - p[0]) * (x - p[0]) + (y - p[1]) * (y - p[1]) > p[2]) return 0;
        RegionHit = true;
        return p[3];
    }
    const int i0 = Round(p.at(0)), j0 = Round(p.at(1)), i1 = Round(p.at(2)), j1 = Round(p.at(3));
    if (GetPos(0) < i0 || GetPos(0) > i1 || GetPos(1) < j0 || GetPos(1) > j1) return 0;
    const Extended x0 = NodeCoord(0, i0), x1 = NodeCoord(0, i1);
    const Extended y0 = NodeCoord(1, j0), y1 = NodeCoord(1, j1);
    // Bilinear between the corner values; a rectangle one node wide in a
    // direction takes the values of its lower side there.
    const double a = static_cast<double>(x1 != x0 ? p[4] + (x - x0) * (p[5] - p[4]) / (x1 - x0) : p[4]);
    const double b = static_cast<double>(x1 != x0 ? p[6] + (x - x0) * (p[7] - p[6]) / (x1 - x0) : p[6]);
    RegionHit = true;
    return static_cast<double>(y1 != y0 ? a + (y - y0) * (b - a) / (y1 - y0) : a);
}

}  // namespace zem
