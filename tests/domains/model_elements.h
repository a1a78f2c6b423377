// Small problem types for tests, written on the domain machinery alone: a beam
// (EI w'''' = q) on a line, a stepped beam of beam spans, and a membrane
// (-(w_xx + w_yy) = q) on a surface closed around direction 1. A problem host
// collects the rows the elements emit and solves them by dense elimination.
#pragma once

#include "domains/DmDim1.h"
#include "domains/DmDim2.h"
#include "domains/ElDomain.h"
#include "domains/ElSeries.h"
#include "domains/Equations.h"
#include "elements/ElItems.h"
#include "elements/ElementHost.h"
#include "elements/MyObjecs.h"
#include "platform/errors.h"
#include "solvers/Matrises.h"
#include "stencils/Tamplets.h"
#include "solvers/testsystems.h"

#include <cmath>
#include <map>
#include <numbers>
#include <string>
#include <vector>

namespace zem::dmtest {

class TTestHost : public TElementHost {
public:
    std::map<std::size_t, Extended> Row;
    Extended Free = 0;
    std::vector<Extended> Solution;
    std::vector<std::string> Shown;  // every window opened: kind, element, selector, caption
    TEquationList Equations;

    void AddCoef(std::size_t g, Extended x) override { Row[g] += x; }
    void AddFree(Extended x) override { Free += x; }
    Extended GetUnknown(std::size_t g) override { return Solution.at(g); }
    void ShowTable(TElement& e, int sel, const std::string& caption, const std::string& extension,
                   std::unique_ptr<TObject>) override {
        Shown.push_back("table " + e.Key() + " " + std::to_string(sel) + " " + caption + " ." + extension);
    }
    void ShowGraph(TElement& e, int sel, const std::string& caption, std::unique_ptr<TObject>) override {
        Shown.push_back("graph " + e.Key() + " " + std::to_string(sel) + " " + caption);
    }
    // Row r as the problem builds it (the identity row without an equation).
    void BuildRow(int r) {
        Row.clear();
        Free = 0;
        if (!Equations.WriteRow(r)) Row[static_cast<std::size_t>(r)] = 1;
    }
    // Lists the equations of Root and solves sum a x + f = 0 by the dense reference solve.
    void Solve(TElement& root) {
        Equations.Clear();
        root.BuildEquations(Equations);
        test::TTestSystem s("rows", static_cast<std::size_t>(Equations.Count()));
        for (std::size_t r = 0; r < s.N(); ++r) {
            BuildRow(static_cast<int>(r));
            for (const auto& [c, x] : Row) s.rows[r].push_back({c, x});
            s.b[r] = Free;
        }
        Solution = test::DenseSolve(s);
    }
};

// A canvas that records what is drawn.
class TRecordingCanvas : public TCanvas {
public:
    std::vector<std::pair<TRect, TColor>> Fills;
    std::vector<std::array<int, 4>> Lines;
    std::vector<std::vector<TPoint>> Polylines;
    void FillRect(const TRect& r, TColor color) override { Fills.emplace_back(r, color); }
    void SetPenColor(TColor) override {}
    void SetPenWidth(int) override {}
    void Line(int x1, int y1, int x2, int y2) override { Lines.push_back({x1, y1, x2, y2}); }
    void Polyline(const std::vector<TPoint>& points) override { Polylines.push_back(points); }
    void TextOut(int, int, const std::string&) override {}
};

// Colour = the level of the value, so tests can read the level back; the
// steps it was given are kept.
class TLevelScale : public TColorScale {
public:
    bool Mesh = false;
    mutable std::vector<Extended> Steps;
    int LevelCount() const override { return 5; }
    TColor ColorFor(Extended value, Extended step) const override {
        Steps.push_back(step);
        return step == 0 ? 0 : static_cast<TColor>(std::lround(static_cast<double>(value / step)) + 100);
    }
    bool MeshVisible() const override { return Mesh; }
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
    void WriteEquations(TEquationList& eq) override {
        WriteStartRows(eq);
        WriteInnerRows(eq);
        WriteEndRows(eq);
    }
    void AddMain(TEquationList& eq, int i) { AddEquation(eq, "Eq", 1, EquatWriter(&TDmBeam::WriteMain), {i, 0}); }
    // The row of boundary condition k, or the main row when it is not given.
    void AddBound(TEquationList& eq, int i, int k, bool main = false) {
        static const char* names[] = {"w", "dw", "Q1", "M1"};
        if (main) return AddMain(eq, i);
        AddEquation(eq, names[k], 1, [k](TDomain& d, double) { static_cast<TDmBeam&>(d).WriteBound(k); }, {i, 0});
    }
    bool Given(int side, int k) const { return BoundaryValue(side, k) != nullptr; }
    void WriteStartRows(TEquationList& eq) {
        AddBound(eq, 0, 2, !Given(0, 2));
        AddBound(eq, 0, Given(0, 1) ? 1 : 3);
        AddBound(eq, 0, 0, !Given(0, 0));
    }
    void WriteInnerRows(TEquationList& eq) {
        for (int i = 1; i < StepCount(0); ++i) AddMain(eq, i);
    }
    void WriteEndRows(TEquationList& eq) {
        const int n = StepCount(0);
        AddBound(eq, n, 0, !Given(1, 0));
        AddBound(eq, n, Given(1, 1) ? 1 : 3);
        AddBound(eq, n, 2, !Given(1, 2));
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
    // The joint quantities: w, w', Q1 = -EI w''', M1 = -EI w''.
    void Quantity(int k, double c) {
        static const int order[] = {0, 1, 3, 2};
        W.AddDeriv({order[k]}, k < 2 ? c : -EI * c);
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

// A stepped beam: spans Span1, Span2, ... from the bottom, the compound's
// BOUNDS at the two ends, continuity of w, w', Q1 and M1 at each joint.
class TElBeamSeries : public TElCompSeries {
public:
    TElBeamSeries(TObject* owner, std::string key, int spans = 2)
        : TElCompSeries(owner, std::move(key)), spans_(spans) {
        auto array = std::make_unique<TElemArray>(this, "ELEMS");
        array->OnAddItem = [this] { AddSpan(); };
        ReplaceItem(4, std::move(array));
    }
    std::string GetCaption() const override { return "Ступенчатая балка"; }
    std::string GetTypeName() const override { return "CompBeam"; }
    void DeclareItems() override {
        Elems().ClearItems();
        Params().Declare<TElReal>("EI", "Real", "", "1");
        Bounds().DeclareMany(&CreateItem<TElReal>,
                             {"w_bot", "dw_bot", "Q1_bot", "M1_bot", "w_top", "dw_top", "Q1_top", "M1_top"}, {}, {},
                             {"0", "0", "", "", "", "", "0", "0"});
        Loads().DeclareMany(&CreateItem<TElValueList>, {"Uniform", "Gidr"}, {}, {}, {});
        for (int i = 0; i < spans_; ++i) AddSpan();
    }
    void AddSpan() {
        auto& s = static_cast<TElBeam&>(
            AddChild(std::make_unique<TElBeam>(&Elems(), "Span" + std::to_string(ChildCount() + 1))));
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
            Beam(i).ReadParams(Params());
            Beam(i).ReadParams(Span(i).Params());
            Beam(i).LoadFuncs.clear();
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
    void BuildEquations(TEquationList& eq) override {
        auto q = [](int k) { return [k](TDomain& d, double w) { static_cast<TDmBeam&>(d).Quantity(k, w); }; };
        Beam(0).WriteStartRows(eq);
        Beam(0).WriteInnerRows(eq);
        for (int i = 0; i + 1 < ChildCount(); ++i) {
            AddJointEquation(eq, i, "w", q(0), q(0), i + 1);
            AddJointEquation(eq, i, "dw", q(1), q(1), i + 1);
            Beam(i).AddMain(eq, Beam(i).StepCount(0));
            Beam(i + 1).AddMain(eq, 0);
            AddJointEquation(eq, i, "Q1", q(2), q(2), i + 1);
            AddJointEquation(eq, i, "M1", q(3), q(3), i + 1);
            Beam(i + 1).WriteInnerRows(eq);
        }
        Beam(ChildCount() - 1).WriteEndRows(eq);
    }

private:
    int spans_;
};

// --- A membrane around a circle of radius R: nodes i = -1 ... n0 + 1,
// j = 0 ... n1 - 1 (column (i + 1) n1 + j); w given at both edges.

class TDmMembrane : public TDmDim2 {
public:
    double R = 1;
    TTamplet W{this, 0};
    explicit TDmMembrane(TDomainOwner* owner) : TDmDim2(owner) { Periodic[1] = true; }

    void ReadParams(TElemList& params) override {
        params.GetReal("H", Lengths[0]);
        params.GetReal("R", R);
        Lengths[1] = 2 * std::numbers::pi * R;
    }
    const TObject* BoundaryValue(int side, int k) const override { return BoundaryLine(k + side); }
    void AddLoad(const std::string& name, const TObject* value) override {
        try {
            if (name == "Uniform") AddUniformLoad(0, value);
            if (name == "q_Rect") AddRegionLoad(0, value);
        } catch (const std::exception&) {
            LoadError(name);
        }
    }
    int ColumnOf(int, const TNodeIdx& idx) const override {
        return (idx[0] + 1) * StepCount(1) + WrapIndex(1, idx[1]);
    }
    void WriteEquations(TEquationList& eq) override {
        const int n0 = StepCount(0);
        auto rows = [&](const char* name, void (TDmMembrane::*writer)(double), int i) {
            for (int j = 0; j < StepCount(1); ++j) AddEquation(eq, name, 1, EquatWriter(writer), {i, j});
        };
        rows("Eq", &TDmMembrane::WriteMain, 0);
        rows("w", &TDmMembrane::WriteW, 0);
        for (int i = 1; i < n0; ++i) rows("Eq", &TDmMembrane::WriteMain, i);
        rows("w", &TDmMembrane::WriteW, n0);
        rows("Eq", &TDmMembrane::WriteMain, n0);
    }
    void WriteMain(double) {
        W.AddDeriv({2, 0}, -1);
        W.AddDeriv({0, 2}, -1);
        AddFree(-LoadValue(0));
    }
    void WriteW(double) {
        W.AddDeriv({0, 0}, 1);
        const TALineItem* line = BoundaryLine(GetPos(0) == 0 ? 0 : 1);
        AddFree(-(line ? line->GetItem(static_cast<std::size_t>(WrapIndex(1, GetPos(1)))) : 0));
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
        Params().DeclareMany(&CreateItem<TElReal>, {"H", "R"}, {}, {}, {"1", "1"});
        Bounds().DeclareMany(&CreateItem<TElValueList>, {"w_bot", "w_top"}, {}, {}, {"0", "0"});
        Loads().DeclareMany(&CreateItem<TElValueList>, {"Uniform", "q_Rect"}, {}, {}, {});
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
