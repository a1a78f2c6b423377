// A domain along one direction (a line: the shell axis, the ring radius).
// Tables are lines of node values; the domain is drawn vertically with the
// coordinate growing upwards.
#pragma once

#include "domains/Domains.h"

namespace zem {

class TDmDim1 : public TDomain {
public:
    explicit TDmDim1(TDomainOwner* owner) : TDomain(owner, 1) {}

    // A TALineItem of StepCount(0) + 1 values, entry i the quantity at node i.
    std::unique_ptr<TObject> InputTable(int kind) override;
    std::unique_ptr<TObject> ResultTable(int kind) override;
    // Horizontal colour bands, one per node cell; the mesh on top when the
    // colour scale asks for it.
    void PaintField(TCanvas& canvas, const TRect& rect, Extended scale, const TColorScale& colors,
                    const TObject& table) override;
    // The outline (pen width 2) and a line at every inner node.
    void PaintMesh(TCanvas& canvas, const TRect& rect) override;
    // Entry idx[0] of a line table.
    Extended TableValue(const TNodeIdx& idx, const TObject& table) const override;
    void PointToCoords(const TRect& rect, const TPoint& point, TCoords& coords) const override;

protected:
    std::unique_ptr<TObject> Table(bool results, int kind);
};

// The cell of node k along direction d ends at CellEnd(d, k): the midpoint of
// its right step, or the full extent for the last node; it starts at
// CellEnd(d, k - 1) (0 for node 0).
Extended CellEnd(const TDomain& domain, int d, int k);

// Pixel rounding of the drawings.
int PixelRound(Extended x);

// The mesh picture along direction 0: a frame of pen width 2 around Rect and
// a horizontal line at every inner node (the first axis runs upwards).
void PaintFrameAndRows(const TDomain& domain, TCanvas& canvas, const TRect& rect);

}  // namespace zem
