#include "problemtypes/DmCylTech.h"

#include "domains/Equations.h"
#include "elements/ElLists.h"
#include "elements/MyObjecs.h"
#include "platform/errors.h"
#include "solvers/Matrises.h"

#include <cmath>
#include <numbers>

namespace zem {

namespace {

int Round(double x) { return static_cast<int>(std::lround(x)); }

// The quantities of the boundary conditions, in the order of BOUNDS.
const char* const kBoundNames[8] = {"u", "v", "w", "dw0", "N1", "S1", "Q1", "M1"};

// The no-liquid segment of a tilted load: covers no node.
constexpr double kNoSegment[4] = {1, 0, 0, 0};

}  // namespace

// --- Stresses ----------------------------------------------------------------------------

double FibreStress(double force, double moment, double t) {
    const double bending = std::fabs(6 * moment / (t * t));
    return force >= 0 ? force / t + bending : force / t - bending;
}

TWallStresses PlaneStresses(double sigX, double sigY, double tau) {
    TWallStresses s;
    const double centre = (sigX + sigY) / 2;
    const double radius = std::sqrt((sigX - sigY) / 2 * ((sigX - sigY) / 2) + tau * tau);
    s.Max = centre + radius;
    s.Min = centre - radius;
    // Greatest shear with the third principal stress 0: the largest of
    // |Max|, |Min| and Max - Min (two compressions give |Min|).
    if (s.Min > 0)
        s.Eq3 = s.Max;
    else if (s.Max < 0)
        s.Eq3 = -s.Min;
    else
        s.Eq3 = s.Max - s.Min;
    s.Eq4 = std::sqrt(sigX * sigX + sigY * sigY + 3 * tau * tau - sigX * sigY);
    return s;
}

// --- Construction and parameters ---------------------------------------------------------------

TDmCylTech::TDmCylTech(TDomainOwner* owner) : TDmDim2(owner) {
    Periodic[1] = true;
    for (int c = 0; c < 3; ++c) Tamplets[static_cast<std::size_t>(c)] = std::make_unique<TTamplet>(this, c);
    Lengths[0] = 10;
    Lengths[1] = 2 * std::numbers::pi * R;
    DeriveConstants();
    UpdateStiffness();
}

TDmCylTech::~TDmCylTech() = default;

void TDmCylTech::ParamError(const std::string& key) { throw ZemError("Ошибка в значении параметра " + key); }

void TDmCylTech::ReadParams(TElemList& params) {
    params.GetReal("R", R);
    params.GetReal("H", Lengths[0]);
    params.GetReal("E", E);
    params.GetReal("mu", mu);
    if (!(R > 0) || !std::isfinite(R)) ParamError("R");
    if (!(Lengths[0] > 0) || !std::isfinite(Lengths[0])) ParamError("H");
    if (!(E > 0) || !std::isfinite(E)) ParamError("E");
    if (!(mu > -1 && mu < 1)) ParamError("mu");
    Lengths[1] = 2 * std::numbers::pi * R;  // the whole circumference
    DeriveConstants();
    // E and mu enter the stiffnesses whether or not the thickness changes.
    UpdateStiffness();
}

void TDmCylTech::DeriveConstants() {
    HalfOneMinusMu = (1 - mu) / 2;
    HalfOnePlusMu = (1 + mu) / 2;
    InvR = 1 / R;
    InvR2 = 1 / (R * R);
    MuR = mu / R;
}

void TDmCylTech::UpdateStiffness() {
    T2_12 = t * t / 12;
    Compliance = (1 - mu * mu) / (E * t);
    B = E * t / (1 - mu * mu);
    Gt = E * t / 2 / (1 + mu);
    D = t * t * (t * E) / 12 / (1 - mu * mu);
}

// --- Thickness -----------------------------------------------------------------------------------

void TDmCylTech::SetThickness(const TObject* value) {
    ThicknessRegions.clear();
    if (const auto* x = dynamic_cast<const TReal*>(value)) {
        if (!(x->Value > 0) || !std::isfinite(x->Value)) ParamError("t");
        t = x->Value;
        UpdateStiffness();
        return;
    }
    const auto* list = dynamic_cast<const TValueList*>(value);
    if (!list) ParamError("t");
    try {
        for (int e = 0; e < list->Count(); ++e) {
            const TObject* entry = list->Items(e);
            if (const auto* a = dynamic_cast<const TReal*>(entry)) {
                ThicknessRegions.push_back({a->Value});
                continue;
            }
            const auto* r = dynamic_cast<const TValueList*>(entry);
            if (!r) ParamError("t");
            const int n = r->Count();
            std::vector<double> region;
            if (n == 4) {
                // A circle, as given.
                for (int k = 0; k < 4; ++k) region.push_back(r->AsReal(k));
            } else if (n == 5 || n == 8) {
                // A rectangle: corners snapped outward to cell edges, kept as
                // node indices, then its values.
                int i1 = 0, j1 = 0, i4 = 0, j4 = 0;
                LowerCellEdge(0, r->AsReal(0), i1);
                LowerCellEdge(1, r->AsReal(1), j1);
                UpperCellEdge(0, r->AsReal(2), i4);
                UpperCellEdge(1, r->AsReal(3), j4);
                region = {double(i1), double(j1), double(i4), double(j4)};
                for (int k = 4; k < n; ++k) region.push_back(r->AsReal(k));
            } else {
                ParamError("t");
            }
            ThicknessRegions.push_back(std::move(region));
        }
    } catch (const std::exception&) {
        ThicknessRegions.clear();
        ParamError("t");
    }
    // Every node must get a wall: a node outside all regions, or a bilinear
    // value that falls to zero, would divide by a zero thickness.
    const TNodeIdx saved = Pos;
    for (int i = 0; i <= StepCount(0); ++i)
        for (int j = 0; j < LineNodeCount(); ++j) {
            Pos = {i, j};
            const double a = ThicknessAt();
            if (!(a > 0) || !std::isfinite(a)) {
                Pos = saved;
                ThicknessRegions.clear();
                ParamError("t");
            }
        }
    Pos = saved;
    t = ThicknessAt();
    UpdateStiffness();
}

double TDmCylTech::ThicknessAt() const {
    const int i = GetPos(0), j = WrapIndex(1, GetPos(1));
    const Extended x = NodeCoord(0, i), y = NodeCoord(1, j);
    double value = 0;
    for (const std::vector<double>& r : ThicknessRegions) {
        if (r.size() == 1) {
            value = r[0];
        } else if (r.size() == 4) {
            if ((x - r[0]) * (x - r[0]) + (y - r[1]) * (y - r[1]) <= r[2]) value = r[3];
        } else {
            const int i1 = Round(r[0]), j1 = Round(r[1]), i4 = Round(r[2]), j4 = Round(r[3]);
            if (i < i1 || i > i4 || j < j1 || j > j4) continue;
            if (r.size() == 5) {
                value = r[4];
                continue;
            }
            // Bilinear: t1 at (x1, y1), t2 at (x4, y1), t3 at (x1, y4), t4 at
            // (x4, y4); a rectangle one node wide keeps its lower values.
            const Extended x1 = NodeCoord(0, i1), x4 = NodeCoord(0, i4);
            const Extended y1 = NodeCoord(1, j1), y4 = NodeCoord(1, j4);
            const Extended o = x4 != x1 ? r[4] + (x - x1) * (r[5] - r[4]) / (x4 - x1) : r[4];
            const Extended p = x4 != x1 ? r[6] + (x - x1) * (r[7] - r[6]) / (x4 - x1) : r[6];
            value = static_cast<double>(y4 != y1 ? o + (y - y1) * (p - o) / (y4 - y1) : o);
        }
    }
    return value;
}

void TDmCylTech::SetPos(int d, int i) {
    TDmDim2::SetPos(d, i);
    if (ThicknessRegions.empty()) return;
    const double a = ThicknessAt();
    if (a != t && a > 0) {
        t = a;
        UpdateStiffness();
    }
}

int TDmCylTech::CoefReach(int d) const {
    if (!ThicknessRegions.empty() || (d == 1 && !Periodic[1])) return -1;
    return 2;
}

// --- Columns and boundary values --------------------------------------------------------------------

const TObject* TDmCylTech::BoundaryValue(int side, int k) const {
    if (k < 0 || k > 7 || side < 0 || side > 1) return nullptr;
    return BoundaryLine(k + 8 * side);
}

// --- Row registration ----------------------------------------------------------------------------------

void TDmCylTech::AddRow(TEquationList& list, const std::string& name, TEquatWriter writer, int i, int j) {
    AddEquation(list, name, 1.0, std::move(writer), TNodeIdx{i, j});
}

void TDmCylTech::AddNil(TEquationList& list, const std::string& name) {
    list.AddNil((Owner ? Owner->EquationPrefix() : std::string()) + name);
}

void TDmCylTech::AddBoundRow(TEquationList& list, int k, int i, int j) {
    AddRow(list, kBoundNames[k], [k](TDomain& d, double) { static_cast<TDmCylTech&>(d).WriteBoundRow(k); }, i, j);
}

void TDmCylTech::AddEqRow(TEquationList& list, int eq, int i, int j) {
    if (i == 0 && j == 0 && eq <= 2 && RigidFree[std::size_t(eq - 1)]) {
        AddRow(list, eq == 1 ? "Rigid_u" : "Rigid_v",
               [eq](TDomain& d, double) { static_cast<TDmCylTech&>(d).WriteRigidRow(eq - 1); }, i, j);
        return;
    }
    switch (eq) {
    case 1: AddRow(list, "EqI", EquatWriter(&TDmCylTech::WriteEqI), i, j); break;
    case 2: AddRow(list, "EqII", EquatWriter(&TDmCylTech::WriteEqII), i, j); break;
    default: AddRow(list, "EqIII", EquatWriter(&TDmCylTech::WriteEqIII), i, j); break;
    }
}

void TDmCylTech::WriteEquations(TEquationList& list) {
    TakeOutRigidMotions(*this);
    WriteStartRows(list);
    WriteInnerRows(list);
    WriteEndRows(list);
}

// Three passes over the circumference at i = 0; pass p fills the columns of
// node line p - 3 (the fictitious lines -2 and -1, then the edge).
void TDmCylTech::WriteStartRows(TEquationList& list) {
    const int m = LineNodeCount();
    // Row of condition k when it is given, else equation `eq`.
    auto boundOrEq = [&](int k, int eq, int j) {
        if (Given(0, k))
            AddBoundRow(list, k, 0, j);
        else
            AddEqRow(list, eq, 0, j);
    };
    for (int j = 0; j < m; ++j) {
        AddNil(list, "Nil(u)");
        AddNil(list, "Nil(v)");
        boundOrEq(6, 3, j);  // Q1 / EqIII
    }
    for (int j = 0; j < m; ++j) {
        boundOrEq(4, 1, j);  // N1 / EqI
        boundOrEq(5, 2, j);  // S1 / EqII
        AddBoundRow(list, Given(0, 3) ? 3 : 7, 0, j);  // dw0 / M1
    }
    for (int j = 0; j < m; ++j) {
        boundOrEq(0, 1, j);  // u / EqI
        boundOrEq(1, 2, j);  // v / EqII
        boundOrEq(2, 3, j);  // w / EqIII
    }
}

void TDmCylTech::WriteInnerRows(TEquationList& list) {
    const int n = StepCount(0), m = LineNodeCount();
    for (int i = 1; i < n; ++i)
        for (int j = 0; j < m; ++j) AddInnerNodeRows(list, i, j);
}

void TDmCylTech::AddInnerNodeRows(TEquationList& list, int i, int j) {
    AddEqRow(list, 1, i, j);
    AddEqRow(list, 2, i, j);
    // A node inside a prescribed-deflection region keeps its w.
    SetPos(0, i);
    SetPos(1, j);
    LoadValue(3);
    if (RegionHit)
        AddRow(list, "w_Constr", EquatWriter(&TDmCylTech::WriteConstraint), i, j);
    else
        AddEqRow(list, 3, i, j);
}

// The mirror of the start rows at i = N: node lines N, N + 1, N + 2.
void TDmCylTech::WriteEndRows(TEquationList& list) {
    const int n = StepCount(0), m = LineNodeCount();
    auto boundOrEq = [&](int k, int eq, int j) {
        if (Given(1, k))
            AddBoundRow(list, k, n, j);
        else
            AddEqRow(list, eq, n, j);
    };
    for (int j = 0; j < m; ++j) {
        boundOrEq(0, 1, j);
        boundOrEq(1, 2, j);
        boundOrEq(2, 3, j);
    }
    for (int j = 0; j < m; ++j) {
        boundOrEq(4, 1, j);
        boundOrEq(5, 2, j);
        AddBoundRow(list, Given(1, 3) ? 3 : 7, n, j);
    }
    for (int j = 0; j < m; ++j) {
        AddNil(list, "Nil(u)");
        AddNil(list, "Nil(v)");
        boundOrEq(6, 3, j);
    }
}

// --- Rigid motions --------------------------------------------------------------------------------

void TDmCylTech::EdgeSum(int side, int k, double& sum, double& magnitude) const {
    sum = magnitude = 0;
    const TALineItem* line = BoundaryLine(k + 8 * side);
    if (!line) return;
    const double mean = static_cast<double>(Extent(1)) / StepCount(1);
    for (int j = 0; j < LineNodeCount(); ++j) {
        const double share = (Step(1, j - 1) + Step(1, j)) / 2 / mean;
        const double value = static_cast<double>(line->GetItem(static_cast<std::size_t>(j)));
        sum += share * value;
        magnitude += share * std::fabs(value);
    }
}

void TDmCylTech::TakeOutRigidMotions(const TDmCylTech& top) {
    RigidFree = {false, false};
    // A shell whose ends hold w nowhere is free across its axis as well, and
    // stays so: its singular system is reported as such.
    if (!Periodic[1] || !(Given(0, 2) || top.Given(1, 2))) return;
    // The surface loads are all normal to the wall: only the given N1 (S1)
    // of the two ends can drive the slide (the turn).
    const char* const names[2] = {"осевая сила (N1)", "крутящий момент (S1)"};
    std::string what;
    for (int c = 0; c < 2; ++c) {
        // A held end, or one given neither the displacement nor the force
        // (singular in another way), leaves the motion alone.
        if (Given(0, c) || top.Given(1, c) || !Given(0, c + 4) || !top.Given(1, c + 4)) continue;
        double bottom, bottomScale, upper, upperScale;
        EdgeSum(0, c + 4, bottom, bottomScale);
        top.EdgeSum(1, c + 4, upper, upperScale);
        // Per unit of the circumference: the two ends may have meshes of
        // their own.
        bottom /= StepCount(1);
        bottomScale /= StepCount(1);
        upper /= top.StepCount(1);
        upperScale /= top.StepCount(1);
        // Values typed to about seven digits balance within that.
        if (!(std::fabs(upper - bottom) <= 1e-6 * (bottomScale + upperScale)))
            what += (what.empty() ? "" : "; ") + std::string(names[c]);
        RigidFree[std::size_t(c)] = true;
    }
    if (!what.empty()) {
        RigidFree = {false, false};
        throw ZemError("Нагрузка на оболочку не уравновешена: " + what +
                       ". Оболочка, торцы которой не закреплены от смещения как целого, воспринимает только "
                       "уравновешенную нагрузку");
    }
}

void TDmCylTech::WriteRigidRow(int c) {
    // Scaled like the equation divided by B whose place it takes (u_xx).
    const double h = Step(0, 0), mean = static_cast<double>(Extent(1)) / StepCount(1);
    for (int j = 0; j < LineNodeCount(); ++j)
        AddCoef(c, {0, j}, (Step(1, j - 1) + Step(1, j)) / 2 / mean / (h * h));
}

// --- Equations ------------------------------------------------------------------------------------

// dN1/dx + dS/dy + qx = 0, divided by B.
void TDmCylTech::WriteEqI(double) {
    U().AddDeriv({2, 0}, 1);                 // u_xx
    U().AddDeriv({0, 2}, HalfOneMinusMu);    // (1 - mu)/2 u_yy
    V().AddDeriv({1, 1}, HalfOnePlusMu);     // (1 + mu)/2 v_xy
    W().AddDeriv({1, 0}, MuR);               // mu/R w_x
    AddFree(InputQx() * Compliance);         // qx/B
}

// dS/dx + dN2/dy + qy = 0, divided by B.
void TDmCylTech::WriteEqII(double) {
    U().AddDeriv({1, 1}, HalfOnePlusMu);     // (1 + mu)/2 u_xy
    V().AddDeriv({0, 2}, 1);                 // v_yy
    V().AddDeriv({2, 0}, HalfOneMinusMu);    // (1 - mu)/2 v_xx
    W().AddDeriv({0, 1}, InvR);              // w_y/R
    AddFree(InputQy() * Compliance);         // qy/B
}

// D lapl lapl w + N2/R = qz, divided by B (D/B = t^2/12).
void TDmCylTech::WriteEqIII(double) {
    U().AddDeriv({1, 0}, MuR);               // mu/R u_x
    V().AddDeriv({0, 1}, InvR);              // v_y/R
    W().AddDeriv({4, 0}, T2_12);             // t^2/12 (w_xxxx
    W().AddDeriv({2, 2}, 2 * T2_12);         //   + 2 w_xxyy
    W().AddDeriv({0, 4}, T2_12);             //   + w_yyyy)
    W().AddDeriv({0, 0}, InvR2);             // w/R^2
    AddFree(-InputQz() * Compliance);        // -qz/B
}

void TDmCylTech::WriteConstraint(double) {
    W().AddDeriv({0, 0}, 1);
    AddFree(-LoadValue(3));
}

void TDmCylTech::WriteBoundRow(int k) {
    AddBoundQuantity(k, 1);
    WriteBoundFree(k);
}

void TDmCylTech::WriteBoundFree(int k) {
    const TALineItem* line = BoundaryLine(k + 8 * (GetPos(0) == 0 ? 0 : 1));
    if (line) AddFree(-line->GetItem(static_cast<std::size_t>(WrapIndex(1, GetPos(1)))));
}

// --- Quantity writers ------------------------------------------------------------------------------

void TDmCylTech::AddU(Extended c) { U().AddDeriv({0, 0}, c); }
void TDmCylTech::AddV(Extended c) { V().AddDeriv({0, 0}, c); }
void TDmCylTech::AddW(Extended c) { W().AddDeriv({0, 0}, c); }
void TDmCylTech::AddDw(Extended c) { W().AddDeriv({1, 0}, c); }

void TDmCylTech::AddN1(Extended c) {
    U().AddDeriv({1, 0}, c * B);         // B u_x
    V().AddDeriv({0, 1}, c * B * mu);    // B mu v_y
    W().AddDeriv({0, 0}, c * B * MuR);   // B mu/R w
}

void TDmCylTech::AddS1g(Extended c) {
    const Extended b = c * D * (1 - mu);
    U().AddDeriv({0, 1}, 6 * b / (t * t));  // G t u_y  (6 D (1 - mu)/t^2 = G t)
    V().AddDeriv({1, 0}, 6 * b / (t * t));  // G t v_x
    W().AddDeriv({1, 1}, -b / R);           // M12/R = -(1 - mu) D w_xy/R
}

void TDmCylTech::AddQ1g(Extended c) {
    W().AddDeriv({1, 2}, -c * D * (2 - mu));  // -D (2 - mu) w_xyy
    W().AddDeriv({3, 0}, -c * D);             // -D w_xxx
}

void TDmCylTech::AddM1t(Extended c) {
    W().AddDeriv({2, 0}, c * D);       // D w_xx
    W().AddDeriv({0, 2}, c * D * mu);  // D mu w_yy
}

void TDmCylTech::AddBoundQuantity(int k, Extended c) {
    switch (k) {
    case 0: AddU(c); break;
    case 1: AddV(c); break;
    case 2: AddW(c); break;
    case 3: AddDw(c); break;
    case 4: AddN1(c); break;
    case 5: AddS1g(c); break;
    case 6: AddQ1g(c); break;
    default: AddM1t(c); break;
    }
}

// --- Results --------------------------------------------------------------------------------------------

Extended TDmCylTech::ResultN1() {
    return B * (U().DerivValue({1, 0}) + mu * V().DerivValue({0, 1}) + MuR * W().DerivValue({0, 0}));
}

Extended TDmCylTech::ResultN2() {
    return B * (V().DerivValue({0, 1}) + InvR * W().DerivValue({0, 0}) + mu * U().DerivValue({1, 0}));
}

Extended TDmCylTech::ResultS1() { return Gt * (U().DerivValue({0, 1}) + V().DerivValue({1, 0})); }

Extended TDmCylTech::ResultQ1() { return -D * (W().DerivValue({3, 0}) + W().DerivValue({1, 2})); }

Extended TDmCylTech::ResultQ2() { return -D * (W().DerivValue({2, 1}) + W().DerivValue({0, 3})); }

Extended TDmCylTech::ResultM1() { return D * (W().DerivValue({2, 0}) + mu * W().DerivValue({0, 2})); }

Extended TDmCylTech::ResultM2() { return D * (W().DerivValue({0, 2}) + mu * W().DerivValue({2, 0})); }

Extended TDmCylTech::ResultM12() { return -(1 - mu) * D * W().DerivValue({1, 1}); }

Extended TDmCylTech::InputValue(int kind) {
    switch (kind) {
    case 0: return t;
    case 1: return InputQz();
    case 2: return InputQx();
    case 3: return InputQy();
    case 4: return LoadValue(3);
    default: return 0;
    }
}

Extended TDmCylTech::ResultValue(int kind) {
    switch (kind) {
    case 0: return U().DerivValue({0, 0});
    case 1: return V().DerivValue({0, 0});
    case 2: return W().DerivValue({0, 0});
    case 3: return W().DerivValue({1, 0});
    case 4: return W().DerivValue({0, 1});
    case 5: return ResultN1();
    case 6: return ResultN2();
    case 7:
    case 8: return ResultS1();
    case 9: return ResultQ1();
    case 10: return ResultQ2();
    case 11: return ResultM1();
    case 12: return ResultM2();
    case 13:
    case 14: return ResultM12();
    default: break;
    }
    if (kind < 15 || kind > 21) return 0;
    const double sigX = FibreStress(double(ResultN1()), double(ResultM1()), t);
    if (kind == 15) return sigX;
    const double sigY = FibreStress(double(ResultN2()), double(ResultM2()), t);
    if (kind == 16) return sigY;
    const double tau = double(ResultS1()) / t;
    if (kind == 17) return tau;
    const TWallStresses s = PlaneStresses(sigX, sigY, tau);
    switch (kind) {
    case 18: return s.Max;
    case 19: return s.Min;
    case 20: return s.Eq3;
    default: return s.Eq4;
    }
}

// --- Loads --------------------------------------------------------------------------------------------

void TDmCylTech::AddLoad(const std::string& name, const TObject* value) {
    try {
        if (name == "Uniform") {
            AddUniformLoad(0, value);
        } else if (name == "Gidr") {
            double gamma = 0, level = 0, angle = 0;
            if (TiltedLevel(value, gamma, level, angle))
                AddTiltedHydrostatics(0, gamma, level, angle, 0);
            else
                AddHydrostaticLoad(0, 0, value);
        } else if (name == "Wind") {
            AddHarmonicLoad(0, 1, value);  // Fourier series around
        } else if (name == "q_Rect") {
            AddRegionLoad(0, value);
        } else if (name == "w_Rect") {
            AddRegionLoad(3, value);
        }
    } catch (const std::exception&) {
        ParamError(name);
    }
}

bool TDmCylTech::TiltedLevel(const TObject* value, double& gamma, double& level, double& angle) {
    const auto* list = dynamic_cast<const TValueList*>(value);
    if (!list || list->Count() < 3) return false;
    if (list->Count() > 3) throw ZemError("Ошибка значения");
    gamma = list->AsReal(0);
    level = list->AsReal(1);
    angle = list->AsReal(2);
    return true;
}

void TDmCylTech::AddTiltedHydrostatics(int slot, double gamma, double level, double angle, double bottom) {
    const int m = LineNodeCount();
    const Extended rise = R * std::sin(angle * std::numbers::pi_v<Extended> / 180);
    std::vector<double> params;
    params.reserve(static_cast<std::size_t>(1 + 4 * m));
    params.push_back(m);
    for (int j = 0; j < m; ++j) {
        // The liquid's depth above this domain's start at arc y.
        const double depth = static_cast<double>(level + rise * std::cos(NodeCoord(1, j) / R)) - bottom;
        // The segment the axial hydrostatic load of that depth would add,
        // taken from the load builder itself (through a scratch slot).
        const std::size_t scratch = LoadFuncs.size();
        AddHydrostatics(static_cast<int>(scratch), 0, gamma, depth);
        if (LoadFuncs.size() > scratch && !LoadFuncs[scratch].empty()) {
            const std::vector<double>& p = LoadFuncs[scratch].back()->Params;  // [d, iLo, iHi, qLo, qHi]
            params.insert(params.end(), p.begin() + 1, p.begin() + 5);
        } else {
            params.insert(params.end(), std::begin(kNoSegment), std::end(kNoSegment));
        }
        LoadFuncs.resize(scratch);
    }
    AddLoadFunc(slot, LoadFunc(&TDmCylTech::TiltedLoad), std::move(params));
}

Extended TDmCylTech::TiltedLoad(const std::vector<double>& p) {
    const int m = Round(p.at(0));
    const int j = WrapIndex(1, GetPos(1));
    if (j < 0 || j >= m) return 0;
    const double* s = &p.at(static_cast<std::size_t>(1 + 4 * j));
    const int iLo = Round(s[0]), iHi = Round(s[1]);
    const int i = GetPos(0);
    if (i < iLo || i > iHi) return 0;
    // Linear along the axis between the segment's nodes, as SegmentLoad.
    const Extended xLo = NodeCoord(0, iLo);
    const Extended span = NodeCoord(0, iHi) - xLo;
    if (span == 0) return s[2];
    return s[2] + (PosCoord(0) - xLo) * (s[3] - s[2]) / span;
}

}  // namespace zem
