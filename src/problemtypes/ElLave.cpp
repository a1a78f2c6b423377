#include "problemtypes/ElLave.h"

#include "domains/Equations.h"
#include "problemtypes/DmRing.h"
#include "problemtypes/ElCylPnl.h"
#include "problemtypes/ElRing.h"

#include "elements/ElItems.h"
#include "elements/ElLists.h"
#include "problem/PbTypes.h"

#include <cmath>
#include <numbers>

namespace zem {

// --- TDmCylLave ------------------------------------------------------------------------------

void TDmCylLave::WriteEqII(double weight) {
    TDmCylTech::WriteEqII(weight);
    const Extended k = T2_12 * InvR;
    MixW().AddDerivLow({0, 3}, -k);                // -k/R w_yyy, compact
    W().AddDeriv({2, 1}, -k);                      // -k/R w_xxy
    V().AddDeriv({0, 2}, k * InvR);                // k/R^2 v_yy
    V().AddDeriv({2, 0}, k * InvR * (1 - mu));     // k/R^2 (1 - mu) v_xx
}

void TDmCylLave::WriteEqIII(double weight) {
    TDmCylTech2_2::WriteEqIII(weight);
    const Extended k = T2_12 * InvR;
    MixV().AddDerivLow({0, 3}, -k);        // -k/R v_yyy, compact
    V().AddDeriv({2, 1}, -k * (2 - mu));   // -k/R (2 - mu) v_xxy
}

void TDmCylLave::AddS1g(Extended c) {
    TDmCylTech2_2::AddS1g(c);
    V().AddDeriv({1, 0}, c * D * (1 - mu) * InvR2);  // (1 - mu) D/R^2 v_x
}

void TDmCylLave::AddS1gEdge(Extended c) {
    TDmCylTech2_2::AddS1gEdge(c);
    V().AddDerivSel({1, 0}, {Inwards()}, c * D * (1 - mu) * InvR2);
}

void TDmCylLave::AddQ1g(Extended c) {
    TDmCylTech2_2::AddQ1g(c);
    V().AddDeriv({1, 1}, c * D * (2 - mu) * InvR);  // (2 - mu) D/R v_xy
}

void TDmCylLave::AddM1t(Extended c) {
    TDmCylTech2_2::AddM1t(c);
    V().AddDeriv({0, 1}, -c * D * MuR);  // -D mu/R v_y
}

Extended TDmCylLave::ResultQ1() { return TDmCylTech2_2::ResultQ1() + D * InvR * V().DerivValue({1, 1}); }

Extended TDmCylLave::ResultQ2() {
    return TDmCylTech2_2::ResultQ2() +
           D * InvR * ((1 - mu) * V().DerivValue({2, 0}) + V().DerivValue({0, 2}));
}

Extended TDmCylLave::ResultM1() { return TDmCylTech2_2::ResultM1() - D * MuR * V().DerivValue({0, 1}); }

Extended TDmCylLave::ResultM2() { return TDmCylTech2_2::ResultM2() - D * InvR * V().DerivValue({0, 1}); }

Extended TDmCylLave::ResultM12() {
    return TDmCylTech2_2::ResultM12() + (1 - mu) * D * InvR * V().DerivValue({1, 0});
}

// --- TDmCylLaveP -----------------------------------------------------------------------------

void TDmCylLaveP::ReadParams(TElemList& params) {
    TDmCylLave::ReadParams(params);
    Period = ReadPeriod(params);
    Lengths[1] = 2 * std::numbers::pi * R / Period;
}

// --- Elements --------------------------------------------------------------------------------

TElCylLave::TElCylLave(TObject* owner, std::string key) : TElCylTech2_2(owner, std::move(key)) {
    Domain = std::make_unique<TDmCylLave>(this);
}

std::string TElCylLave::GetCaption() const {
    return "Цилиндрическая оболочка. Ур-ния Лява. КР шаблоны повышенной точности";
}

std::string TElCylLave::GetTypeName() const { return "CylLave"; }

TElCylLaveP::TElCylLaveP(TObject* owner, std::string key) : TElCylLave(owner, std::move(key)) {
    Domain = std::make_unique<TDmCylLaveP>(this);
}

std::string TElCylLaveP::GetCaption() const { return "Цилиндрическая оболочка. Ур-ния Лява. Периодическая задача"; }

std::string TElCylLaveP::GetTypeName() const { return "CylLaveP"; }

void TElCylLaveP::DeclarePeriod(TElemList& params) {
    params.Declare<TElWord>("Period", "Integer", "Периодичность", "2");
}

void TElCylLaveP::DeclareItems() {
    TElCylLave::DeclareItems();
    DeclarePeriod(Params());
}

// --- The shell with a stiffening ring ---------------------------------------------------------------

namespace {

// A writer of the shell's or the ring's domain, as a term of a coupling row.
template <class TDm, class TArg, void (TDm::*Writer)(TArg)>
TEquatWriter Term() {
    return [](TDomain& d, double weight) { (static_cast<TDm&>(d).*Writer)(weight); };
}

const char* const kTopKeys[8] = {"u_top", "v_top", "w_top", "dw_top", "N1_top", "S1_top", "Q1_top", "M1_top"};

}  // namespace

TElCylRing::TElCylRing(TObject* owner, std::string key) : TElCylLave(owner, std::move(key)) {}

std::string TElCylRing::GetCaption() const { return "Цилиндр + кольцо жесткости"; }

std::string TElCylRing::GetTypeName() const { return "CylRing"; }

std::unique_ptr<TElRing> TElCylRing::NewRing() { return std::make_unique<TElRing2>(&Elems(), "Ring"); }

TElRing& TElCylRing::RingElement() const { return static_cast<TElRing&>(Child(0)); }

TDmRing& TElCylRing::Ring() const { return RingElement().Ring(); }

void TElCylRing::DeclareItems() {
    TElCylLave::DeclareItems();
    for (const char* key : kTopKeys) Bounds().DeleteItem(key);
    Elems().ClearItems();
    TElement& ring = AddChild(NewRing());
    ring.DeclareItems();
    // The ring sits on the shell's edge: it takes the shell's radius and
    // circumferential mesh (and period), and its E unless one is typed.
    ring.Params().DeleteItem("R");
    ring.Params().DeleteItem("Period");
    ring.Params().Item(ring.Params().IndexOfKey("E")).SetText("");
    ring.Mesh().DeleteItem("mesh");
}

void TElCylRing::Parse() {
    TElCylLave::Parse();
    if (ChildCount() == 0) return;
    TElRing& element = RingElement();
    TDmRing& ring = Ring();
    // R and E (and the period) of the shell, then the ring's own section;
    // an empty ring item keeps the value it has.
    ring.ReadParams(Params());
    ring.TDmRing::ReadParams(element.Params());
    ring.BuildSteps(Mesh().ItemValue(Mesh().IndexOfKey("mesh_y")), 0);
    ring.LoadFuncs.clear();
    element.ApplyLoads();
}

std::size_t TElCylRing::UnknownOffset(const TElement* child, std::size_t index) const {
    if (!child || child == this || ChildCount() == 0 || child != &Child(0)) return index;
    const TDmCylTech& cyl = Cyl();
    return index + static_cast<std::size_t>(3 * cyl.StepCount(1) * (cyl.StepCount(0) + 5));
}

void TElCylRing::AddCouplingRow(TEquationList& equations, const std::string& name, int j, TEquatWriter shell,
                                TEquatWriter ring) {
    TDmCylTech& cyl = Cyl();
    std::vector<std::unique_ptr<TSLAEEquat>> terms;
    terms.push_back(std::make_unique<TSLAEEquat>(&cyl, TNodeIdx{cyl.StepCount(0), j}, std::move(shell), 1.0));
    terms.push_back(std::make_unique<TSLAEEquat>(&Ring(), TNodeIdx{j, 0}, std::move(ring), -1.0));
    std::string rowName = "Cnt(" + name + "[" + std::to_string(j) + "])";
    if (!IsRoot()) rowName += "." + Key();
    equations.AddTerms(std::move(rowName), std::move(terms));
}

void TElCylRing::BuildEquations(TEquationList& equations) {
    TDmCylLave& cyl = Lave();
    const int n = cyl.StepCount(0), m = cyl.StepCount(1);
    cyl.WriteStartRows(equations);
    cyl.WriteInnerRows(equations);
    // Displacements: the ring's minus the shell's.
    auto displacement = [&](const std::string& name, int j, TEquatWriter shell, TEquatWriter ring) {
        AddCouplingRow(equations, name, j, [shell](TDomain& d, double w) { shell(d, -w); },
                       [ring](TDomain& d, double w) { ring(d, -w); });
    };
    for (int j = 0; j < m; ++j) {
        displacement("u", j, Term<TDmCylTech, Extended, &TDmCylTech::AddU>(), Term<TDmRing, double, &TDmRing::AddU>());
        displacement("v", j, Term<TDmCylTech, Extended, &TDmCylTech::AddV>(), Term<TDmRing, double, &TDmRing::AddV>());
        displacement("w", j, Term<TDmCylTech, Extended, &TDmCylTech::AddW>(), Term<TDmRing, double, &TDmRing::AddW>());
    }
    for (int j = 0; j < m; ++j) {
        cyl.AddRow(equations, "DfBT(u)", [](TDomain& d, double) { static_cast<TDmCylTech2_1&>(d).WriteDfBTRow(0); },
                   n - 1, j);
        cyl.AddRow(equations, "DfBT(v)", [](TDomain& d, double) { static_cast<TDmCylTech2_1&>(d).WriteDfBTRow(1); },
                   n - 1, j);
        // The ring's twist plus the shell's slope.
        AddCouplingRow(equations, "dw0", j, Term<TDmCylTech, Extended, &TDmCylTech::AddDw>(),
                       [](TDomain& d, double w) { static_cast<TDmRing&>(d).AddFi(-w); });
    }
    for (int j = 0; j < m; ++j)
        for (int e = 1; e <= 3; ++e) cyl.AddEqRow(equations, e, n, j);
    // Forces: the shell's edge force minus the ring's equilibrium row; the
    // moment, which the ring takes on its twist, plus it.
    for (int j = 0; j < m; ++j) {
        AddCouplingRow(equations, "N1", j, Term<TDmCylTech, Extended, &TDmCylTech::AddN1>(),
                       Term<TDmRing, double, &TDmRing::WriteQxEq>());
        AddCouplingRow(equations, "S1", j, Term<TDmCylTech, Extended, &TDmCylTech::AddS1g>(),
                       Term<TDmRing, double, &TDmRing::WriteN2Eq>());
        AddCouplingRow(equations, "Q1", j, Term<TDmCylTech, Extended, &TDmCylTech::AddQ1g>(),
                       Term<TDmRing, double, &TDmRing::WriteQrEq>());
        AddCouplingRow(equations, "M1", j, Term<TDmCylTech, Extended, &TDmCylTech::AddM1t>(),
                       [](TDomain& d, double w) { static_cast<TDmRing&>(d).WriteMkEq(-w); });
    }
}

TElCylRingP::TElCylRingP(TObject* owner, std::string key) : TElCylRing(owner, std::move(key)) {
    Domain = std::make_unique<TDmCylLaveP>(this);
}

std::string TElCylRingP::GetCaption() const { return "Цилиндр + кольцо жесткости. Периодическая задача"; }

std::string TElCylRingP::GetTypeName() const { return "CylRingP"; }

std::unique_ptr<TElRing> TElCylRingP::NewRing() { return std::make_unique<TElRingP>(&Elems(), "Ring"); }

void TElCylRingP::DeclareItems() {
    TElCylRing::DeclareItems();
    TElCylLaveP::DeclarePeriod(Params());
}

void RegisterLaveTypes() {
    RegisterProblemType(ProblemTypeByName("CylLave"), &CreateElement<TElCylLave>);
    RegisterProblemType(ProblemTypeByName("CylLaveP"), &CreateElement<TElCylLaveP>);
    RegisterProblemType(ProblemTypeByName("CylPanel"), &CreateElement<TElCylPanel>);
    RegisterProblemType(ProblemTypeByName("CylRing"), &CreateElement<TElCylRing>);
    RegisterProblemType(ProblemTypeByName("CylRingP"), &CreateElement<TElCylRingP>);
}

}  // namespace zem
