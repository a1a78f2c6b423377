// A domain over a surface: direction 0 has ends (the shell axis, drawn
// vertically), direction 1 lies across it (the circumference, drawn
// horizontally and closed in the shell domains). Boundary conditions are
// turned into one value per node of direction 1; regional and point loads are
// evaluated over the node grid.
#pragma once

#include "domains/Domains.h"

namespace zem {

class TALineItem;

class TDmDim2 : public TDomain {
public:
    explicit TDmDim2(TDomainOwner* owner);
    ~TDmDim2() override;

    // For every condition of the element, in its order: its value at each
    // node j = 0 ... n1 - 1 of direction 1, or null when it is not given.
    std::vector<std::unique_ptr<TALineItem>> BoundaryLines;

    // Converts each condition: a number q gives q at every node; a list of
    // Fourier coefficients (entry k a cosine amplitude a or a pair [a, b])
    // gives sum a*cos(2 pi k j/n1) + b*sin(2 pi k j/n1), the angle taken from
    // the node index. Runs only when the list has items.
    void SetBoundary(TElemList* list) override;
    // Condition k's distribution, or null (also for k out of range).
    const TALineItem* BoundaryLine(int k) const;

    // A TAMatrix of (n0 + 1) x (n1 + 1) values; in a periodic direction the
    // last column repeats node 0.
    std::unique_ptr<TObject> InputTable(int kind) override;
    std::unique_ptr<TObject> ResultTable(int kind) override;
    void PaintField(TCanvas& canvas, const TRect& rect, Extended scale, const TColorScale& colors,
                    const TObject& table) override;
    void PaintMesh(TCanvas& canvas, const TRect& rect) override;
    Extended TableValue(const TNodeIdx& idx, const TObject& table) const override;
    void PointToCoords(const TRect& rect, const TPoint& point, TCoords& coords) const override;
    // [i, j, q]: q at node (i, j) only.
    Extended PointLoad(const std::vector<double>& params) override;

    // Regional loads: a region is a circle [xc, yc, r2, q] (r2 compared with
    // the squared distance), a rectangle [x0, y0, x1, y1, q] or a rectangle
    // with corner values [x0, y0, x1, y1, q00, q10, q01, q11], its corners
    // snapped to cell edges. A value whose entries are all lists holds one
    // region per entry; otherwise the value is one region. A region with too
    // few numbers raises ZemError.
    void AddRegionLoad(int slot, const TObject* value);
    // The load function of a region; sets RegionHit inside it.
    Extended RegionLoad(const std::vector<double>& params);

protected:
    std::unique_ptr<TObject> Table(bool results, int kind);
    void AddRegion(int slot, const TObject* region);
};

}  // namespace zem
