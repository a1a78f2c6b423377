// A domain for tests: any number of steps in one or two directions, every node
// (virtual ones beyond the ends included) with its own column, and an owner
// that is at once the row being built, which it records, and the system,
// which answers solution values from a function of the node coordinates.
#pragma once

#include "domains/Domains.h"
#include "domains/Equations.h"
#include "elements/ElementHost.h"

#include <functional>
#include <map>
#include <string>

namespace zem::dmtest {

class TRecordingOwner : public TDomainOwner, public TRowSink, public TElementHost {
public:
    std::map<int, Extended> Row;
    Extended Free = 0;
    std::function<Extended(int column)> Unknown = [](int) { return Extended(0); };
    std::string Prefix;

    void AddCoef(std::size_t column, Extended x) override {
        if (x != 0) Row[static_cast<int>(column)] += x;
    }
    void AddFree(Extended x) override { Free += x; }
    TElementHost* ColumnHost() const override { return const_cast<TRecordingOwner*>(this); }
    void PlaceColumns() override {}
    Extended GetUnknown(std::size_t column) override { return Unknown(static_cast<int>(column)); }
    void ShowTable(TElement&, int, const std::string&, const std::string&, std::unique_ptr<TObject>) override {}
    void ShowGraph(TElement&, int, const std::string&, std::unique_ptr<TObject>) override {}
    std::string MeshItemKey(int d) const override { return d == 0 ? "mesh_x" : "mesh_y"; }
    std::string EquationPrefix() const override { return Prefix; }
    void ClearRow() {
        Row.clear();
        Free = 0;
    }
};

// Columns: node (i, j) of component c is ((i + kPad) * kWidth + (j + kPad)) * 4 + c,
// the index j wrapped in a periodic direction.
class TProbeDomain : public TDomain {
public:
    static constexpr int kPad = 16;
    static constexpr int kWidth = 4096;

    // Its columns from 0 in the owner's system, every row written into the owner.
    TProbeDomain(TRecordingOwner* owner, int dims) : TDomain(owner, dims), owner_(owner), row_(*this, *owner) {
        PlaceColumns(*owner, 0);
    }

    // The value the unknowns hold: a function of the node coordinates.
    void SetSolution(std::function<Extended(Extended x, Extended y)> f) {
        owner_->Unknown = [this, f](int column) {
            const TNodeIdx node = NodeOfColumn(column);
            return f(NodeCoord(0, node[0]), DimCount > 1 ? NodeCoord(1, node[1]) : 0);
        };
    }
    static int Column(int c, int i, int j) { return ((i + kPad) * kWidth + (j + kPad)) * 4 + c; }
    static TNodeIdx NodeOfColumn(int column) {
        const int node = column / 4;
        return {node / kWidth - kPad, node % kWidth - kPad};
    }

    // The quantity ResultValue returns at the current node.
    std::function<Extended(const TProbeDomain&)> Result = [](const TProbeDomain&) { return Extended(0); };
    std::function<Extended(const TProbeDomain&)> Input = [](const TProbeDomain&) { return Extended(0); };

    const TObject* BoundaryValue(int, int) const override { return nullptr; }
    void ReadParams(TElemList&) override {}
    void AddLoad(const std::string&, const TObject*) override {}
    void WriteEquations(TEquationList&) override {}
    int ColumnOf(int c, const TNodeIdx& idx) const override {
        return Column(c, idx[0], DimCount > 1 ? WrapIndex(1, idx[1]) : 0);
    }
    std::unique_ptr<TObject> InputTable(int) override { return nullptr; }
    std::unique_ptr<TObject> ResultTable(int) override { return nullptr; }
    void PaintField(TCanvas&, const TRect&, Extended, const TColorScale&, const TObject&) override {}
    void PaintMesh(TCanvas&, const TRect&) override {}
    Extended TableValue(const TNodeIdx&, const TObject&) const override { return 0; }
    void PointToCoords(const TRect&, const TPoint&, TCoords&) const override {}
    Extended InputValue(int) override { return Input(*this); }
    Extended ResultValue(int) override { return Result(*this); }

private:
    TRecordingOwner* owner_;
    TRowScope row_;
};

// Uniform steps: n steps over the length.
inline std::vector<double> UniformSteps(int n, double length) { return std::vector<double>(n, length / n); }

}  // namespace zem::dmtest
