// Small problem types for tests, written on the domain machinery alone: a
// string (-T w'' = q) and a beam (EI w'''' = q) on a line, a stepped beam made
// of beam spans, and a membrane (-T (w_xx + w_yy) = q) on a surface closed
// around direction 1. A problem host collects the rows the elements emit and
// solves them with dense Gauss elimination.
#pragma once

#include "domains/DmDim1.h"
#include "domains/DmDim2.h"
#include "domains/ElDomain.h"
#include "domains/Equations.h"
#include "elements/ElItems.h"
#include "elements/ElementHost.h"
#include "elements/MyObjecs.h"
#include "platform/errors.h"
#include "solvers/Matrises.h"
#include "stencils/Tamplets.h"

#include <cmath>
#include <numbers>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zem::test {

// --- The problem ----------------------------------------------------------------------

class TTestHost : public TElementHost {
public:
    std::map<std::size_t, Extended> Row;
    Extended Free = 0;
    std::vector<Extended> Solution;
    std::vector<std::string> Shown;  // caption and selector of every window opened
    TEquationList Equations;

    void AddCoef(std::size_t g, Extended x) override {
        if (x != 0) Row[g] += x;
    }
    void AddFree(Extended x) override { Free += x; }
    Extended GetUnknown(std::size_t g) override { return Solution.at(g); }
    void ShowTable(TElement&, int selector, const std::string& caption, const std::string&,
                   std::unique_ptr<TObject>) override {
        Shown.push_back(caption + " #" + std::to_string(selector));
    }
    void ShowGraph(TElement&, int selector, const std::string& caption, std::unique_ptr<TObject>) override {
        Shown.push_back(caption + " #" + std::to_string(selector));
    }

    // Row r as the problem builds it: the terms of its equation, or the
    // identity row for an entry without one.
    void BuildRow(int r) {
        Row.clear();
        Free = 0;
        if (!Equations.WriteRow(r)) Row[static_cast<std::size_t>(r)] = 1;
    }

    // Lists the equations of Root and solves sum a x + f = 0 densely.
    void Solve(TElement& root) {
        Equations.Clear();
        root.BuildEquations(Equations);
        const int n = Equations.Count();
        std::vector<std::vector<Extended>> a(static_cast<std::size_t>(n), std::vector<Extended>(n + 1, 0));
        for (int r = 0; r < n; ++r) {
            BuildRow(r);
            for (const auto& [c, x] : Row) {
                if (c >= static_cast<std::size_t>(n)) throw std::logic_error("column beyond the unknowns");
                a[r][c] = x;
            }
            a[r][n] = -Free;
        }
        for (int k = 0; k < n; ++k) {
            int p = k;
            for (int r = k + 1; r < n; ++r)
                if (std::fabs(a[r][k]) > std::fabs(a[p][k])) p = r;
            if (a[p][k] == 0) throw std::logic_error("singular system");
            std::swap(a[k], a[p]);
            for (int r = k + 1; r < n; ++r) {
                const Extended m = a[r][k] / a[k][k];
                for (int c = k; c <= n; ++c) a[r][c] -= m * a[k][c];
            }
        }
        Solution.assign(static_cast<std::size_t>(n), 0);
        for (int k = n - 1; k >= 0; --k) {
            Extended s = a[k][n];
            for (int c = k + 1; c < n; ++c) s -= a[k][c] * Solution[c];
            Solution[k] = s / a[k][k];
        }
    }
};

inline void ReportLoadError(const std::string& name) { throw ZemError("Ошибка в значении параметра " + name); }

// --- A string: -T w'' = q, w given at both ends -----------------------------------------
// Unknowns: nodes -1 ... n + 1 (column i + 1). Rows: Eq and w at node 0, Eq at
// the inner nodes, w and Eq at node n.

class TDmString : public TDmDim1 {
public:
    double T = 1;
    TTamplet W{this, 0};

    explicit TDmString(TDomainOwner* owner) : TDmDim1(owner) {}

    void ReadParams(TElemList& params) override {
        params.GetReal("T", T);
        params.GetReal("H", Lengths[0]);
    }
    const TObject* BoundaryValue(int side, int k) const override {
        return Boundary && k + side < Boundary->Count() ? Boundary->ItemValue(k + side) : nullptr;
    }
    void AddLoad(const std::string& name, const TObject* value) override {
        try {
            if (name == "Uniform") AddUniformLoad(0, value);
            if (name == "Gidr") AddHydrostaticLoad(0, 0, value);
        } catch (const std::exception&) {
            ReportLoadError(name);
        }
    }
    int ColumnOf(int, const TNodeIdx& idx) const override { return idx[0] + 1; }
    void WriteEquations(TEquationList& eq) override {
        const int n = StepCount(0);
        AddEquation(eq, "Eq", 1, EquatWriter(&TDmString::WriteMain), {0, 0});
        AddEquation(eq, "w", 1, EquatWriter(&TDmString::WriteW), {0, 0});
        for (int i = 1; i < n; ++i) AddEquation(eq, "Eq", 1, EquatWriter(&TDmString::WriteMain), {i, 0});
        AddEquation(eq, "w", 1, EquatWriter(&TDmString::WriteW), {n, 0});
        AddEquation(eq, "Eq", 1, EquatWriter(&TDmString::WriteMain), {n, 0});
    }
    void WriteMain(double) {
        W.AddDeriv({2}, -T);
        AddFree(-LoadValue(0));
    }
    // w - (given w) = 0
    void WriteW(double c) {
        W.AddDeriv({0}, c);
        const auto* v = dynamic_cast<const TReal*>(BoundaryValue(GetPos(0) == 0 ? 0 : 1, 0));
        AddFree(-c * (v ? v->Value : 0));
    }
    Extended InputValue(int) override { return LoadValue(0); }
    Extended ResultValue(int kind) override { return kind == 0 ? W.DerivValue({0}) : W.DerivValue({1}); }
};

class TElString : public TDmElementD1 {
public:
    TElString(TObject* owner, std::string key) : TDmElementD1(owner, std::move(key)) {
        Domain = std::make_unique<TDmString>(this);
    }
    std::string GetCaption() const override { return "Струна"; }
    std::string GetTypeName() const override { return "String"; }
    void DeclareItems() override {
        Params().DeclareMany(&CreateItem<TElReal>, {"T", "H"}, {"Real", "Real"}, {"Натяжение", "Длина"},
                             {"1", "1"});
        Bounds().DeclareMany(&CreateItem<TElReal>, {"w_bot", "w_top"}, {}, {}, {"0", "0"});
        Loads().DeclareMany(&CreateItem<TElValueList>, {"Uniform", "Gidr"}, {}, {}, {"1", ""});
        Mesh().Declare<TElValueList>("mesh_x", "Integer/RealList", "Сетка", "4");
        TableInputs = GraphInputs = {"q"};
        TableResults = GraphResults = {"w", "dw"};
    }
    void ApplyLoads() override {
        Domain->LoadFuncs.resize(1);
        TDmElementD1::ApplyLoads();
    }
    TDmString& String() const { return static_cast<TDmString&>(*Domain); }
};

// --- A beam: EI w'''' = q ---------------------------------------------------------------
// Unknowns: nodes -2 ... n + 2 (column i + 2). BOUNDS: w, dw, Q, M at the
// bottom (k) and at the top (k + 4); a boundary row states quantity = given.

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
    bool Given(int side, int k) const { return BoundaryValue(side, k) != nullptr; }
    void AddLoad(const std::string& name, const TObject* value) override {
        try {
            if (name == "Uniform") AddUniformLoad(0, value);
        } catch (const std::exception&) {
            ReportLoadError(name);
        }
    }
    int ColumnOf(int, const TNodeIdx& idx) const override { return idx[0] + 2; }
    void WriteEquations(TEquationList& eq) override {
        WriteStartRows(eq);
        WriteInnerRows(eq);
        WriteEndRows(eq);
    }
    void AddMain(TEquationList& eq, int i) { AddEquation(eq, "Eq", 1, EquatWriter(&TDmBeam::WriteMain), {i, 0}); }
    void AddBound(TEquationList& eq, int i, int k) {
        static const char* names[] = {"w", "dw", "Q1", "M1"};
        AddEquation(eq, names[k], 1, [k](TDomain& d, double) { static_cast<TDmBeam&>(d).WriteBound(k); }, {i, 0});
    }
    void WriteStartRows(TEquationList& eq) {
        Given(0, 2) ? AddBound(eq, 0, 2) : AddMain(eq, 0);
        AddBound(eq, 0, Given(0, 1) ? 1 : 3);
        Given(0, 0) ? AddBound(eq, 0, 0) : AddMain(eq, 0);
    }
    void WriteInnerRows(TEquationList& eq) {
        for (int i = 1; i < StepCount(0); ++i) AddMain(eq, i);
    }
    void WriteEndRows(TEquationList& eq) {
        const int n = StepCount(0);
        Given(1, 0) ? AddBound(eq, n, 0) : AddMain(eq, n);
        AddBound(eq, n, Given(1, 1) ? 1 : 3);
        Given(1, 2) ? AddBound(eq, n, 2) : AddMain(eq, n);
    }
    void WriteMain(double) {
        W.AddDeriv({4}, EI);
        AddFree(-LoadValue(0));
    }
    void WriteBound(int k) {
        Quantity(k, 1);
        const auto* v = dynamic_cast<const TReal*>(BoundaryValue(GetPos(0) == 0 ? 0 : 1, k));
        AddFree(-(v ? v->Value : 0));
    }
    // The joint quantities: w, w', Q = -EI w''', M = -EI w''.
    void Quantity(int k, double c) {
        if (k == 0) W.AddDeriv({0}, c);
        if (k == 1) W.AddDeriv({1}, c);
        if (k == 2) W.AddDeriv({3}, -EI * c);
        if (k == 3) W.AddDeriv({2}, -EI * c);
    }
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
        Bounds().DeclareMany(&CreateItem<TElReal>, {"w_bot", "dw_bot", "Q1_bot", "M1_bot", "w_top", "dw_top",
                                                    "Q1_top", "M1_top"},
                             {}, {}, {"0", "0", "", "", "", "", "0", "0"});
        Loads().Declare<TElValueList>("Uniform", "Real", "Равномерная", "1");
        Mesh().Declare<TElValueList>("mesh_x", "Integer/RealList", "Сетка", "4");
        TableResults = GraphResults = {"w", "dw"};
    }
    void ApplyLoads() override {
        Domain->LoadFuncs.resize(1);
        TDmElementD1::ApplyLoads();
    }
    TDmBeam& Beam() const { return static_cast<TDmBeam&>(*Domain); }
};

// A stepped beam: spans Span1, Span2, ... stacked from the bottom, the
// compound's BOUNDS at the two ends, continuity of w, w', Q and M at each joint.
class TElBeamSeries : public TElCompSeries {
public:
    TElBeamSeries(TObject* owner, std::string key, int spans = 2) : TElCompSeries(owner, std::move(key)) {
        auto array = std::make_unique<TElemArray>(this, "ELEMS");
        array->OnAddItem = [this] { AddSpan(); };
        ReplaceItem(4, std::move(array));
        spans_ = spans;
    }
    std::string GetCaption() const override { return "Ступенчатая балка"; }
    std::string GetTypeName() const override { return "CompBeam"; }
    void DeclareItems() override {
        Elems().ClearItems();
        Params().DeclareMany(&CreateItem<TElReal>, {"EI"}, {}, {}, {"1"});
        Bounds().DeclareMany(&CreateItem<TElReal>, {"w_bot", "dw_bot", "Q1_bot", "M1_bot", "w_top", "dw_top",
                                                    "Q1_top", "M1_top"},
                             {}, {}, {"0", "0", "", "", "", "", "0", "0"});
        Loads().DeclareMany(&CreateItem<TElValueList>, {"Uniform", "Gidr"}, {}, {}, {"", ""});
        for (int i = 0; i < spans_; ++i) AddSpan();
        GraphResults = {"w"};
    }
    void AddSpan() {
        auto span = std::make_unique<TElBeam>(&Elems(), "Span" + std::to_string(ChildCount() + 1));
        TElBeam& s = static_cast<TElBeam&>(AddChild(std::move(span)));
        s.Params().DeclareMany(&CreateItem<TElReal>, {"EI", "H"}, {}, {}, {"", "1"});
        s.Mesh().Declare<TElValueList>("mesh_x", "Integer/RealList", "Сетка", "4");
        s.TableResults = s.GraphResults = {"w", "dw"};
    }
    void Parse() override {
        TElCompSeries::Parse();
        ApplyToSpans();
    }
    void SubElementRebuilt(TElement&) override { ApplyToSpans(); }
    void ApplyToSpans() {
        for (int i = 0; i < ChildCount(); ++i) {
            TDmBeam& b = Beam(i);
            b.ReadParams(Params());
            b.ReadParams(Span(i).Params());
            b.LoadFuncs.clear();
            Span(i).ApplyLoads();
        }
        ApplyLoads();
        Beam(0).SetBoundary(&Bounds());
        Beam(ChildCount() - 1).SetBoundary(&Bounds());
    }
    void ApplyLoad(const std::string& key, const TObject* value) override {
        if (key == "Uniform") TElCompSeries::ApplyLoad(key, value);
        if (key == "Gidr") AddHydrostatics(0, value);
    }
    TDmBeam& Beam(int i) const { return static_cast<TDmBeam&>(SpanDomain(i)); }
    std::size_t UnknownOffset(const TElement* child, std::size_t index) const override {
        for (int i = 0; i < ChildCount() && &Child(i) != child; ++i)
            index += static_cast<std::size_t>(Beam(i).StepCount(0) + 5);
        return index;
    }
    static TEquatWriter Q(int k) {
        return [k](TDomain& d, double w) { static_cast<TDmBeam&>(d).Quantity(k, w); };
    }
    void BuildEquations(TEquationList& eq) override {
        Beam(0).WriteStartRows(eq);
        Beam(0).WriteInnerRows(eq);
        for (int i = 0; i + 1 < ChildCount(); ++i) {
            AddJointEquation(eq, i, "w", Q(0), Q(0), i + 1);
            AddJointEquation(eq, i, "dw", Q(1), Q(1), i + 1);
            Beam(i).AddMain(eq, Beam(i).StepCount(0));
            Beam(i + 1).AddMain(eq, 0);
            AddJointEquation(eq, i, "Q1", Q(2), Q(2), i + 1);
            AddJointEquation(eq, i, "M1", Q(3), Q(3), i + 1);
            Beam(i + 1).WriteInnerRows(eq);
        }
        Beam(ChildCount() - 1).WriteEndRows(eq);
    }

private:
    int spans_ = 2;
};

// --- A membrane on a closed surface: -T (w_xx + w_yy) = q --------------------------------
// Direction 1 is closed, its length 2 pi R. Unknowns: nodes i = -1 ... n0 + 1,
// j = 0 ... n1 - 1 (column (i + 1) n1 + j). BOUNDS: w at the bottom and at the
// top, numbers or Fourier lists around the circumference.

class TDmMembrane : public TDmDim2 {
public:
    double T = 1, R = 1;
    TTamplet W{this, 0};

    explicit TDmMembrane(TDomainOwner* owner) : TDmDim2(owner) { Periodic[1] = true; }

    void ReadParams(TElemList& params) override {
        params.GetReal("T", T);
        params.GetReal("H", Lengths[0]);
        params.GetReal("R", R);
        Lengths[1] = 2 * std::numbers::pi * R;
    }
    const TObject* BoundaryValue(int side, int k) const override {
        return BoundaryLine(k + side);
    }
    void AddLoad(const std::string& name, const TObject* value) override {
        try {
            if (name == "Uniform") AddUniformLoad(0, value);
            if (name == "Wind") AddHarmonicLoad(0, 1, value);
            if (name == "q_Rect") AddRegionLoad(0, value);
        } catch (const std::exception&) {
            ReportLoadError(name);
        }
    }
    int ColumnOf(int, const TNodeIdx& idx) const override {
        return (idx[0] + 1) * StepCount(1) + WrapIndex(1, idx[1]);
    }
    void WriteEquations(TEquationList& eq) override {
        const int n0 = StepCount(0), n1 = StepCount(1);
        for (int j = 0; j < n1; ++j) AddEquation(eq, "Eq", 1, EquatWriter(&TDmMembrane::WriteMain), {0, j});
        for (int j = 0; j < n1; ++j) AddEquation(eq, "w", 1, EquatWriter(&TDmMembrane::WriteW), {0, j});
        for (int i = 1; i < n0; ++i)
            for (int j = 0; j < n1; ++j) AddEquation(eq, "Eq", 1, EquatWriter(&TDmMembrane::WriteMain), {i, j});
        for (int j = 0; j < n1; ++j) AddEquation(eq, "w", 1, EquatWriter(&TDmMembrane::WriteW), {n0, j});
        for (int j = 0; j < n1; ++j) AddEquation(eq, "Eq", 1, EquatWriter(&TDmMembrane::WriteMain), {n0, j});
    }
    void WriteMain(double) {
        W.AddDeriv({2, 0}, -T);
        W.AddDeriv({0, 2}, -T);
        AddFree(-LoadValue(0));
    }
    void WriteW(double c) {
        W.AddDeriv({0, 0}, c);
        const TALineItem* line = BoundaryLine(GetPos(0) == 0 ? 0 : 1);
        AddFree(-c * (line ? line->GetItem(static_cast<std::size_t>(WrapIndex(1, GetPos(1)))) : 0));
    }
    Extended InputValue(int) override { return LoadValue(0); }
    Extended ResultValue(int) override { return W.DerivValue({0, 0}); }
};

class TElMembrane : public TDmElementD2 {
public:
    TElMembrane(TObject* owner, std::string key) : TDmElementD2(owner, std::move(key)) {
        Domain = std::make_unique<TDmMembrane>(this);
    }
    std::string GetCaption() const override { return "Мембрана"; }
    std::string GetTypeName() const override { return "Membrane"; }
    void DeclareItems() override {
        Params().DeclareMany(&CreateItem<TElReal>, {"T", "H", "R"}, {}, {}, {"1", "1", "1"});
        Bounds().DeclareMany(&CreateItem<TElValueList>, {"w_bot", "w_top"}, {}, {}, {"0", "0"});
        Loads().DeclareMany(&CreateItem<TElValueList>, {"Uniform", "Wind", "q_Rect"}, {}, {}, {"", "", ""});
        Mesh().DeclareMany(&CreateItem<TElValueList>, {"mesh_x", "mesh_y"}, {}, {}, {"4", "8"});
        TableInputs = GraphInputs = {"q"};
        TableResults = GraphResults = {"w"};
    }
    void ApplyLoads() override {
        Domain->LoadFuncs.resize(1);
        TDmElementD2::ApplyLoads();
    }
    TDmMembrane& Membrane() const { return static_cast<TDmMembrane&>(*Domain); }
};

// Creates an element under the host as the problem does: declarations, then a parse.
template <class T, class... Args>
std::unique_ptr<T> MakeRoot(TTestHost& host, const std::string& key, Args... args) {
    auto element = std::make_unique<T>(&host, key, args...);
    element->DeclareItems();
    element->Parse();
    return element;
}

}  // namespace zem::test
