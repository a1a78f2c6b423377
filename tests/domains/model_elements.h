// A small problem type for tests, written on the domain machinery alone: a
// beam (EI w'''' = q) on a line; and a problem host for the elements to hang
// from.
#pragma once

#include "domains/DmDim1.h"
#include "domains/ElDomain.h"
#include "domains/Equations.h"
#include "elements/ElItems.h"
#include "elements/ElementHost.h"
#include "elements/MyObjecs.h"
#include "platform/errors.h"
#include "stencils/Tamplets.h"

#include <map>
#include <string>
#include <vector>

namespace zem::dmtest {

class TTestHost : public TElementHost {
public:
    std::vector<Extended> Solution;

    void PlaceColumns() override {}
    Extended GetUnknown(std::size_t g) override { return Solution.at(g); }
    void ShowTable(TElement&, int, const std::string&, const std::string&, std::unique_ptr<TObject>) override {}
    void ShowGraph(TElement&, int, const std::string&, std::unique_ptr<TObject>) override {}
};

inline void LoadError(const std::string& name) { throw ZemError("Ошибка в значении параметра " + name); }

// --- A beam: nodes -2 ... n + 2 (column i + 2); BOUNDS w, dw, Q1, M1 at the
// bottom (k) and the top (k + 4); a boundary row states quantity = given.

class TDmBeam : public TDmDim1 {
public:
    double EI = 1;
    TTamplet W{this, 0};
    explicit TDmBeam(TDomainOwner* owner) : TDmDim1(owner) {}

    void ReadParams(TElemList& params) override {
        params.GetReal("EI", EI);
        params.GetReal("H", Lengths[0]);
    }
    const TObject* BoundaryValue(int side, int k) const override {
        return Boundary && k + 4 * side < Boundary->Count() ? Boundary->ItemValue(k + 4 * side) : nullptr;
    }
    void AddLoad(const std::string& name, const TObject* value) override {
        try {
            if (name == "Uniform") AddUniformLoad(0, value);
        } catch (const std::exception&) {
            LoadError(name);
        }
    }
    int ColumnOf(int, const TNodeIdx& idx) const override { return idx[0] + 2; }
    // Each end gets the rows of the conditions given there: the main row in
    // place of a w or Q1 not given, M1 in place of a dw not given.
    void WriteEquations(TEquationList& eq) override {
        const int n = StepCount(0);
        auto row = [&](int side, int k) {
            const int at = side == 0 ? 0 : n, cond = k == 1 && !Given(side, 1) ? 3 : k;
            if (k != 1 && !Given(side, k)) return AddMain(eq, at);
            AddEquation(eq, kNames[cond], 1, [cond](TDomain& d, double) { static_cast<TDmBeam&>(d).WriteBound(cond); },
                        {at, 0});
        };
        for (int k : {2, 1, 0}) row(0, k);
        for (int i = 1; i < n; ++i) AddMain(eq, i);
        for (int k : {0, 1, 2}) row(1, k);
    }
    void AddMain(TEquationList& eq, int i) { AddEquation(eq, "Eq", 1, EquatWriter(&TDmBeam::WriteMain), {i, 0}); }
    bool Given(int side, int k) const { return BoundaryValue(side, k) != nullptr; }
    void WriteMain(double) {
        W.AddDeriv({4}, EI);
        AddFree(-LoadValue(0));
    }
    void WriteBound(int k) {
        Quantity(k, 1);
        const auto* v = dynamic_cast<const TReal*>(BoundaryValue(GetPos(0) == 0 ? 0 : 1, k));
        AddFree(-(v ? v->Value : 0));
    }
    // The end quantities: w, w', Q1 = -EI w''', M1 = -EI w''.
    void Quantity(int k, double c) {
        static const int order[] = {0, 1, 3, 2};
        W.AddDeriv({order[k]}, k < 2 ? c : -EI * c);
    }
    static constexpr const char* kNames[] = {"w", "dw", "Q1", "M1"};
    Extended InputValue(int) override { return LoadValue(0); }
    Extended ResultValue(int kind) override { return W.DerivValue({kind == 0 ? 0 : 1}); }
};

class TElBeam : public TDmElementD1 {
public:
    TElBeam(TObject* owner, std::string key) : TDmElementD1(owner, std::move(key)) {
        Domain = std::make_unique<TDmBeam>(this);
    }
    std::string GetCaption() const override { return "Балка"; }
    std::string GetTypeName() const override { return "Beam"; }
    void DeclareItems() override {
        Params().DeclareMany(&CreateItem<TElReal>, {"EI", "H"}, {}, {}, {"1", "1"});
        Bounds().DeclareMany(&CreateItem<TElReal>,
                             {"w_bot", "dw_bot", "Q1_bot", "M1_bot", "w_top", "dw_top", "Q1_top", "M1_top"}, {}, {},
                             {"0", "0", "", "", "", "", "0", "0"});
        Loads().Declare<TElValueList>("Uniform", "Real", "Равномерная", "1");
        Mesh().Declare<TElValueList>("mesh_x", "Integer/RealList", "Сетка", "4");
        TableInputs = GraphInputs = {"q"};
        TableResults = GraphResults = {"w", "dw"};
    }
    void ApplyLoads() override {
        Domain->LoadFuncs.resize(1);
        TDmElementD1::ApplyLoads();
    }
    TDmBeam& Beam() const { return static_cast<TDmBeam&>(*Domain); }
};

// Creates an element under the host as the problem does, then reads Text.
template <class T, class... Args>
std::unique_ptr<T> MakeRoot(TTestHost& host, const std::string& text = "", Args... args) {
    auto element = std::make_unique<T>(&host, "P", args...);
    element->DeclareItems();
    element->Parse();
    if (!text.empty()) element->SetText(text);
    return element;
}

}  // namespace zem::dmtest
