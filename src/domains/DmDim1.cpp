#include "domains/DmDim1.h"

#include "solvers/Matrises.h"

#include <cmath>

namespace zem {

Extended CellEnd(const TDomain& domain, int d, int k) {
    if (k < 0) return 0;
    if (k >= domain.StepCount(d)) return domain.Extent(d);
    return domain.NodeCoord(d, k) + domain.Step(d, k) / 2.0L;
}

int PixelRound(Extended x) { return static_cast<int>(std::lround(static_cast<double>(x))); }

std::unique_ptr<TObject> TDmDim1::Table(bool results, int kind) {
    const int n = StepCount(0);
    auto line = std::make_unique<TALineItem>(static_cast<std::size_t>(n + 1), nullptr, 0);
    for (int i = 0; i <= n; ++i) {
        SetPos(0, WrapIndex(0, i));
        line->SetItem(static_cast<std::size_t>(i), results ? ResultValue(kind) : InputValue(kind));
    }
    return line;
}

std::unique_ptr<TObject> TDmDim1::InputTable(int kind) { return Table(false, kind); }

std::unique_ptr<TObject> TDmDim1::ResultTable(int kind) { return Table(true, kind); }

void TDmDim1::PaintField(TCanvas& canvas, const TRect& rect, Extended scale, const TColorScale& colors,
                         const TObject& table) {
    const auto& line = dynamic_cast<const TLineItem&>(table);
    const Extended ky = (rect.Bottom - rect.Top + 1) / Extent(0);
    for (int k = 0; k <= StepCount(0) && k < static_cast<int>(line.Count()); ++k) {
        const TRect band{rect.Left, rect.Bottom - PixelRound(CellEnd(*this, 0, k) * ky), rect.Right,
                         rect.Bottom - PixelRound(CellEnd(*this, 0, k - 1) * ky)};
        canvas.FillRect(band, colors.ColorFor(line.GetItem(static_cast<std::size_t>(k)), scale));
    }
    if (colors.MeshVisible()) PaintMesh(canvas, rect);
}

void PaintFrameAndRows(const TDomain& domain, TCanvas& canvas, const TRect& rect) {
    canvas.SetPenWidth(2);
    canvas.Polyline({{rect.Left, rect.Top},
                     {rect.Left, rect.Bottom},
                     {rect.Right, rect.Bottom},
                     {rect.Right, rect.Top},
                     {rect.Left, rect.Top}});
    canvas.SetPenWidth(1);
    const Extended ky = (rect.Bottom - rect.Top + 1) / domain.Extent(0);
    for (int k = 1; k < domain.StepCount(0); ++k) {
        const int y = rect.Bottom - PixelRound(ky * domain.NodeCoord(0, k));
        canvas.Line(rect.Left, y, rect.Right, y);
    }
}

void TDmDim1::PaintMesh(TCanvas& canvas, const TRect& rect) { PaintFrameAndRows(*this, canvas, rect); }

Extended TDmDim1::TableValue(const TNodeIdx& idx, const TObject& table) const {
    return dynamic_cast<const TLineItem&>(table).GetItem(static_cast<std::size_t>(idx[0]));
}

void TDmDim1::PointToCoords(const TRect& rect, const TPoint& point, TCoords& coords) const {
    const int height = rect.Bottom - rect.Top;
    coords[0] = height != 0 ? (rect.Bottom - point.Y) * Lengths[0] / height : 0;
}

}  // namespace zem
