#include "problemtypes/DmCylSym.h"

#include "domains/Equations.h"
#include "elements/ElItems.h"
#include "elements/MyObjecs.h"
#include "platform/errors.h"

#include <cmath>

namespace zem {
namespace {

const char* const kBoundNames[] = {"w", "dw", "Q1", "M1"};
const char* const kSideSuffix[] = {"_bot", "_top"};

[[noreturn]] void ParamError(const std::string& key) { throw ZemError("Ошибка в значении параметра " + key); }

// The writer of a quantity row term: X times the quantity, X the term's weight.
TEquatWriter QuantityWriter(void (TDmCylSym::*add)(double)) {
    return [add](TDomain& d, double x) { (static_cast<TDmCylSym&>(d).*add)(x); };
}

const TItemDecl kParams[] = {
    {"R", &CreateItem<TElReal>, "Real", "Радиус, м", "10.0", &IsPositive},
    {"H", &CreateItem<TElReal>, "Real", "Высота, м", "10.0", &IsPositive},
    {"t", &CreateItem<TElReal>, "Real", "Толщина стенки (м)", "0.01", &IsPositive},
    {"E", &CreateItem<TElReal>, "Real", "Модуль Юнга (Па)", "2.06e11", &IsPositive},
    {"mu", &CreateItem<TElReal>, "Real", "Коэффициент Пуассона", "0.3", &IsBelowOneInMagnitude},
};

void DeclareBounds(TElemList& bounds, TItemClass itemClass) {
    bounds.DeclareMany(itemClass, {"w_bot", "dw_bot", "Q1_bot", "M1_bot", "w_top", "dw_top", "Q1_top", "M1_top"},
                       {"Real", "Real", "Real", "Real", "Real", "Real", "Real", "Real"},
                       {"Низ: w (м)", "Низ: dw/dx (рад)", "Низ: Q1 (Н/м)", "Низ: M1 (Н·м/м)", "Верх: w (м)",
                        "Верх: dw/dx (рад)", "Верх: Q1 (Н/м)", "Верх: M1 (Н·м/м)"},
                       {"0", "0", "", "", "", "", "0", "0"});
}

void DeclareLoads(TElemList& loads) {
    loads.Declare<TElValueList>("Uniform", "Real", "Равномерная (Па)", "");
    // The value reads [specific weight, fill height], and so does the caption.
    loads.Declare<TElValueList>("Gidr", "[Real,Real]",
                                "Гидростатика [удельный вес жидкости γ (Н/м³), вода ≈ 9 810; высота налива (м)]", "10000");
}

// The default tank (R = 10 m, t = 10 mm, clamped bottom): steps of 0.032 m
// over the first 0.8 m, then doubling twice, then 0.25 m. The default span of
// a stepped cylinder (R = 1 m, H = 1 m) is all edge zone.
const char* const kTankMesh = "[[25, 0.08], [12, 0.08], [12, 0.16], [27, 0.68]]";
const char* const kSpanMesh = "96";

void DeclareMesh(TElemList& mesh, const char* steps) {
    mesh.Declare<TElValueList>("mesh_x", "Integer/RealList", "Сетка в продольном направлении", steps);
}

void SetCylSymFieldNames(TElement& element) {
    element.TableInputs = element.GraphInputs = FieldNames(cylsym::kInputs);
    element.TableResults = element.GraphResults = FieldNames(cylsym::kResults);
}

}  // namespace

// --- TDmCylSym ----------------------------------------------------------------------

TDmCylSym::TDmCylSym(TDomainOwner* owner) : TDmDim1(owner), Tamplet(std::make_unique<TTamplet>(this, 0)) {
    Lengths[0] = 10;
    UpdateStiffness();
}

void TDmCylSym::UpdateStiffness() {
    Rigidity = t * (t * t * E) / 12 / (1 - mu * mu);  // D = E t^3 / 12 (1 - mu^2)
    HoopStiffness = E * t / R;
}

void TDmCylSym::ReadParams(TElemList& params) {
    auto positive = [&params](const char* key, double& x) {
        double v = x;
        params.GetReal(key, v);
        if (!(v > 0) || !std::isfinite(v)) ParamError(key);
        x = v;
    };
    positive("R", R);
    positive("H", Lengths[0]);
    positive("t", t);
    positive("E", E);
    double m = mu;
    params.GetReal("mu", m);
    if (!(std::fabs(m) < 1)) ParamError("mu");
    mu = m;
    UpdateStiffness();
}

const TObject* TDmCylSym::BoundaryValue(int side, int k) const {
    const int i = k + 4 * side;
    return Boundary && i < Boundary->Count() ? Boundary->ItemValue(i) : nullptr;
}

double TDmCylSym::BoundaryNumber(int side, int k) const {
    const auto* x = dynamic_cast<const TReal*>(BoundaryValue(side, k));
    return x ? x->Value : 0;
}

void TDmCylSym::AddLoad(const std::string& name, const TObject* value) {
    try {
        if (name == "Uniform") AddUniformLoad(0, value);
        if (name == "Gidr") AddHydrostaticLoad(0, 0, value);
    } catch (const std::exception&) {
        ParamError(name);
    }
}

// --- Rows -----------------------------------------------------------------------------

void TDmCylSym::WriteEquations(TEquationList& list) {
    WriteStartRows(list);
    WriteInnerRows(list);
    WriteEndRows(list);
}

void TDmCylSym::CheckEnd(int side) const {
    auto key = [side](int k) { return std::string(kBoundNames[k]) + kSideSuffix[side]; };
    for (int k = 0; k < 4; ++k) {
        const TObject* v = BoundaryValue(side, k);
        if (v && !dynamic_cast<const TReal*>(v)) ParamError(key(k));
    }
    // Without one of them the end has a row too few: the shell equation would
    // be written twice at the node and the system would be singular.
    for (auto [a, b] : {std::pair{bkW, bkQ1}, std::pair{bkDw, bkM1}})
        if (!Given(side, a) && !Given(side, b)) throw ZemError("Не задано ни " + key(a) + ", ни " + key(b));
}

void TDmCylSym::AddMainEquation(TEquationList& list, int i) {
    AddEquation(list, "Eq", 1, EquatWriter(&TDmCylSym::WriteMainRow), {i, 0});
}

void TDmCylSym::AddBoundEquation(TEquationList& list, int k, int i) {
    AddEquation(list, kBoundNames[k], 1, [k](TDomain& d, double) { static_cast<TDmCylSym&>(d).WriteBoundRow(k); },
                {i, 0});
}

void TDmCylSym::AddBoundOrMain(TEquationList& list, int side, int k) {
    const int node = side == 0 ? 0 : StepCount(0);
    if (Given(side, k))
        AddBoundEquation(list, k, node);
    else
        AddMainEquation(list, node);
}

void TDmCylSym::WriteStartRows(TEquationList& list) {
    CheckEnd(0);
    AddBoundOrMain(list, 0, bkQ1);
    AddBoundEquation(list, Given(0, bkDw) ? bkDw : bkM1, 0);
    AddBoundOrMain(list, 0, bkW);
}

void TDmCylSym::WriteInnerRows(TEquationList& list) {
    for (int i = 1; i < StepCount(0); ++i) AddMainEquation(list, i);
}

void TDmCylSym::WriteEndRows(TEquationList& list) {
    CheckEnd(1);
    AddBoundOrMain(list, 1, bkW);
    AddBoundEquation(list, Given(1, bkDw) ? bkDw : bkM1, StepCount(0));
    AddBoundOrMain(list, 1, bkQ1);
}

void TDmCylSym::WriteMainRow(double weight) {
    // D w'''' + (E t / R^2) w - q = 0
    Tamplet->AddDeriv({4}, Rigidity * weight);
    Tamplet->AddDeriv({0}, HoopStiffness / R * weight);
    AddFree(-LoadValue(0) * weight);
}

void TDmCylSym::WriteBoundRow(int k) {
    switch (k) {
        case bkW: AddW(1); break;
        case bkDw: AddDw(1); break;
        case bkQ1: AddQ1(1); break;
        default: AddM1(1); break;
    }
    // quantity - given = 0, the given value of the end the node is at
    AddFree(-BoundaryNumber(GetPos(0) == 0 ? 0 : 1, k));
}

void TDmCylSym::AddW(double x) { Tamplet->AddDeriv({0}, x); }

void TDmCylSym::AddDw(double x) { Tamplet->AddDeriv({1}, x); }

void TDmCylSym::AddQ1(double x) { Tamplet->AddDeriv({3}, -Rigidity * x); }  // Q1 = -D w'''

void TDmCylSym::AddM1(double x) { Tamplet->AddDeriv({2}, -Rigidity * x); }  // M1 = -D w''

// --- Results ------------------------------------------------------------------------------

Extended TDmCylSym::ValueW() { return Tamplet->DerivValue({0}); }

Extended TDmCylSym::ValueDwx() { return Tamplet->DerivValue({1}); }

Extended TDmCylSym::ValueN2() { return ValueW() * HoopStiffness; }  // N2 = E t w / R

Extended TDmCylSym::ValueQ1() { return -Rigidity * Tamplet->DerivValue({3}); }

Extended TDmCylSym::ValueM1() { return -Rigidity * Tamplet->DerivValue({2}); }

Extended TDmCylSym::EquivalentStress(Extended s1, Extended s2) {
    return std::sqrt(s1 * s1 + s2 * s2 + std::fabs(s1 * s2));
}

Extended TDmCylSym::InputValue(int kind) { return kind == 0 ? LoadValue(0) : 0; }

Extended TDmCylSym::ResultValue(int kind) {
    switch (kind) {
        case rkW: return ValueW();
        case rkDwx: return ValueDwx();
        case rkN2: return ValueN2();
        case rkQ1: return ValueQ1();
        case rkM1: return ValueM1();
        case rkSig1: return ValueM1() * 6 / (t * t);  // bending stress at the face
        case rkSig2: return ValueN2() / t;            // hoop membrane stress
        case rkSigEq: return EquivalentStress(ValueM1() * 6 / (t * t), ValueN2() / t);
        default: return 0;
    }
}

// --- TElCylSym ----------------------------------------------------------------------------

TElCylSym::TElCylSym(TObject* owner, std::string key) : TDmElementD1(owner, std::move(key)) {
    Domain = std::make_unique<TDmCylSym>(this);
}

std::string TElCylSym::GetCaption() const { return "Цилиндрическая оболочка. Радиальная осесимметричная нагрузка"; }

std::string TElCylSym::GetTypeName() const { return "CylSym"; }

void TElCylSym::SetFieldNames() { SetCylSymFieldNames(*this); }

void TElCylSym::DeclareItems() {
    Params().DeclareAll(kParams);
    DeclareBounds(Bounds(), &CreateItem<TElReal>);
    DeclareLoads(Loads());
    DeclareMesh(Mesh(), kTankMesh);
    SetFieldNames();
}

void TElCylSym::ApplyLoads() {
    Domain->LoadFuncs.clear();
    Domain->LoadFuncs.emplace_back();
    TDmElementD1::ApplyLoads();
}

// --- TElCompCylSym ---------------------------------------------------------------------------

std::string TElCompCylSym::GetCaption() const { return "Cтупенчатый цилиндр. Радиальная осесимметричная нагрузка"; }

std::string TElCompCylSym::GetTypeName() const { return "CompCylSym"; }

void TElCompCylSym::DeclareItems() {
    Params().DeclareAll(kCompoundParams);
    DeclareBounds(Bounds(), &CreateItem<TElValueList>);
    DeclareLoads(Loads());
    SetCylSymFieldNames(*this);
    DeclareSpans();
}

TElCylSym& TElCompCylSym::AddSpan() {
    auto& span = static_cast<TElCylSym&>(
        AddChild(std::make_unique<TElCylSym>(&Elems(), "Span" + std::to_string(ChildCount() + 1))));
    span.Params().DeclareAll(kSpanParams);
    span.Loads().DeclareAll(kSpanLoads);
    DeclareMesh(span.Mesh(), kSpanMesh);
    span.SetFieldNames();
    span.Cyl().ReadParams(Params());
    return span;
}

void TElCompCylSym::PrepareSpan(int i) {
    auto& span = dynamic_cast<TElCylSym&>(Child(i));
    span.Cyl().ReadParams(Params());
    span.Cyl().ReadParams(span.Params());
    span.BuildMesh();
    span.ApplyLoads();
}

void TElCompCylSym::ApplyLoad(const std::string& key, const TObject* value) {
    if (key == "Uniform") TElCompSeries::ApplyLoad(key, value);
    if (key == "Gidr") {
        try {
            AddHydrostatics(0, value);
        } catch (const std::exception&) {
            ParamError(key);
        }
    }
}

// The joint of spans i and i + 1: the top node of i and the bottom node of
// i + 1 lie at the same height.
void TElCompCylSym::WriteJointRows(TEquationList& equations, int i) {
    TDmCylSym& lower = SpanCyl(i);
    TDmCylSym& upper = SpanCyl(i + 1);
    AddJointEquation(equations, i, "w", QuantityWriter(&TDmCylSym::AddW), QuantityWriter(&TDmCylSym::AddW), i + 1);
    AddJointEquation(equations, i, "dw", QuantityWriter(&TDmCylSym::AddDw), QuantityWriter(&TDmCylSym::AddDw), i + 1);
    lower.AddMainEquation(equations, lower.StepCount(0));
    upper.AddMainEquation(equations, 0);
    AddJointEquation(equations, i, "Q1", QuantityWriter(&TDmCylSym::AddQ1), QuantityWriter(&TDmCylSym::AddQ1), i + 1);
    AddJointEquation(equations, i, "M1", QuantityWriter(&TDmCylSym::AddM1), QuantityWriter(&TDmCylSym::AddM1), i + 1);
}

}  // namespace zem
