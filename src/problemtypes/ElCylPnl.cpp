#include "problemtypes/ElCylPnl.h"

#include "domains/Equations.h"
#include "elements/ElItems.h"
#include "elements/ElLists.h"
#include "elements/MyObjecs.h"
#include "platform/errors.h"
#include "solvers/Matrises.h"

#include <cmath>
#include <numbers>

namespace zem {

// --- TDmCylPanel -------------------------------------------------------------------------------

TDmCylPanel::TDmCylPanel(TDomainOwner* owner) : TDmCylLaveP(owner) {
    Periodic[1] = false;
    Lengths[1] = Width * std::numbers::pi / 180 * R;
}

void TDmCylPanel::ReadParams(TElemList& params) {
    TDmCylLaveP::ReadParams(params);
    double w = Width;
    try {
        params.GetReal("Width", w);
    } catch (const std::exception&) {
        ParamError("Width");
    }
    if (!(w > 0 && w < 360)) ParamError("Width");
    Width = w;
    Lengths[1] = Width * std::numbers::pi / 180 * R;
}

void TDmCylPanel::SetBoundary(TElemList* list) {
    TDmCylLaveP::SetBoundary(list);
    const int n = StepCount(0);
    for (int side = 0; side < 2; ++side)
        for (int k = 0; k < 8; ++k) {
            std::vector<double>& values = SideValues[std::size_t(side)][std::size_t(k)];
            values.clear();
            const int item = 16 + 8 * side + k;
            const TObject* v = list && item < list->Count() ? list->ItemValue(item) : nullptr;
            if (!v) continue;
            values.assign(std::size_t(n + 1), 0);
            if (const auto* q = dynamic_cast<const TReal*>(v)) {
                for (double& x : values) x = q->Value;
                continue;
            }
            // A Fourier series along the side: entry h the cosine amplitude
            // of harmonic h over the height, or a pair [cos, sin].
            const auto* harmonics = dynamic_cast<const TValueList*>(v);
            for (int h = 0; harmonics && h < harmonics->Count(); ++h) {
                double a = 0, b = 0;
                if (const auto* pair = dynamic_cast<const TValueList*>(harmonics->Items(h))) {
                    a = pair->AsReal(0);
                    b = pair->AsReal(1);
                } else {
                    a = harmonics->AsReal(h);
                }
                for (int i = 0; i <= n; ++i) {
                    const double angle = static_cast<double>(2 * std::numbers::pi_v<Extended> * h * NodeCoord(0, i) /
                                                             Lengths[0]);
                    values[std::size_t(i)] += a * std::cos(angle) + b * std::sin(angle);
                }
            }
        }
}

double TDmCylPanel::SideValue(int side, int k, int i) const {
    const std::vector<double>& values = SideValues[std::size_t(side)][std::size_t(k)];
    return i >= 0 && i < static_cast<int>(values.size()) ? values[std::size_t(i)] : 0;
}

void TDmCylPanel::WriteBoundFree(int k) {
    const TALineItem* line = BoundaryLine(k + 8 * (GetPos(0) == 0 ? 0 : 1));
    const int m = StepCount(1);
    if (line && m > 0) AddFree(-line->GetItem(static_cast<std::size_t>(GetPos(1) % m)));
}

void TDmCylPanel::CheckMesh() const {
    TDmCylLaveP::CheckMesh();
    // The corner rows continue the last five nodes of a line.
    if (StepCount(1) < 4)
        throw ZemError("Сетка в окружном направлении слишком редка для панели: нужно не менее 4 шагов");
}

// --- Side writers ------------------------------------------------------------------------------

void TDmCylPanel::AddN2(Extended c) {
    V().AddDeriv({0, 1}, c * B);       // B v_y
    W().AddDeriv({0, 0}, c * B * InvR); // B w/R
    U().AddDeriv({1, 0}, c * B * mu);  // B mu u_x
}

void TDmCylPanel::AddS2(Extended c) {
    U().AddDeriv({0, 1}, c * Gt);  // G t u_y
    V().AddDeriv({1, 0}, c * Gt);  // G t v_x
}

void TDmCylPanel::AddQ2g(Extended c) {
    W().AddDeriv({2, 1}, -c * D * (2 - mu));                 // -D (2 - mu) w_xxy
    MixW().AddDerivLow({0, 3}, -c * D);                      // -D w_yyy, compact
    V().AddDeriv({2, 0}, c * D * InvR * 2 * (1 - mu));       // 2 (1 - mu) D/R v_xx
    V().AddDeriv({0, 2}, c * D * InvR);                      // D/R v_yy
}

void TDmCylPanel::AddM2t(Extended c) {
    W().AddDeriv({0, 2}, c * D);         // D w_yy
    W().AddDeriv({2, 0}, c * D * mu);    // D mu w_xx
    V().AddDeriv({0, 1}, -c * D * InvR); // -D/R v_y
}

void TDmCylPanel::AddDwY(Extended c) { W().AddDeriv({0, 1}, c); }

// --- Rows --------------------------------------------------------------------------------------

namespace {

const char* const kSideNames[8] = {"u", "v", "w", "dw1", "N2", "S2", "Q2g", "M2"};
const char* const kCornerNames[3] = {"Crn(u)", "Crn(v)", "Crn(w)"};
constexpr Extended kFifth[6] = {1, -5, 10, -10, 5, -1};

}  // namespace

void TDmCylPanel::WriteSideRow(int k) {
    switch (k) {
    case 0: AddU(1); break;
    case 1: AddV(1); break;
    case 2: AddW(1); break;
    case 3: AddDwY(1); break;
    case 4: AddN2(1); break;
    case 5: AddS2(1); break;
    case 6: AddQ2g(1); break;
    default: AddM2t(1); break;
    }
    AddFree(-SideValue(GetPos(1) == 0 ? 0 : 1, k, GetPos(0)));
}

void TDmCylPanel::WriteDfLRRow(int c) {
    TTamplet& s = *Tamplets[static_cast<std::size_t>(c)];
    s.AddDerivSel({0, 1}, {-1}, 1);
    s.AddDerivSel({0, 1}, {1}, -1);
}

void TDmCylPanel::WriteCornerRow(int c) {
    const int i = GetPos(0), j = GetPos(1);
    const int towards = j < 0 ? 1 : -1;  // into the panel
    for (int m = 0; m < 6; ++m) AddCoef(c, TNodeIdx{i, j + towards * m}, kFifth[m]);
}

void TDmCylPanel::WriteCornerRows(TEquationList& list, int side, int i) {
    const int m = StepCount(1);
    for (int j : side == 0 ? std::array<int, 2>{-2, -1} : std::array<int, 2>{m + 1, m + 2})
        for (int c = 0; c < 3; ++c)
            AddRow(list, kCornerNames[c], [c](TDomain& d, double) { static_cast<TDmCylPanel&>(d).WriteCornerRow(c); },
                   i, j);
}

void TDmCylPanel::WriteSideRows(TEquationList& list, int side, int i) {
    const int j = SideNode(side);
    const int next = side == 0 ? 1 : StepCount(1) - 1;
    auto sideRow = [&](int k) {
        AddRow(list, kSideNames[k], [k](TDomain& d, double) { static_cast<TDmCylPanel&>(d).WriteSideRow(k); }, i, j);
    };
    // 1. Reaching two nodes beyond the side.
    auto reachTwo = [&] {
        if (SideGiven(side, 0)) AddEqRow(list, 1, i, j); else sideRow(5);
        if (SideGiven(side, 1)) AddEqRow(list, 2, i, j); else sideRow(4);
        sideRow(SideGiven(side, 3) ? 3 : 7);
    };
    // 2. Reaching one node beyond.
    auto reachOne = [&] {
        AddRow(list, "DfLR(u)", [](TDomain& d, double) { static_cast<TDmCylPanel&>(d).WriteDfLRRow(0); }, i, next);
        AddRow(list, "DfLR(v)", [](TDomain& d, double) { static_cast<TDmCylPanel&>(d).WriteDfLRRow(1); }, i, next);
        AddEqRow(list, 3, i, j);
    };
    // 3. At the side node.
    auto atNode = [&] {
        if (SideGiven(side, 0)) sideRow(0); else AddEqRow(list, 1, i, j);
        if (SideGiven(side, 1)) sideRow(1); else AddEqRow(list, 2, i, j);
        sideRow(SideGiven(side, 2) ? 2 : 6);
    };
    if (side == 0) {
        reachTwo();
        reachOne();
        atNode();
    } else {
        atNode();
        reachOne();
        reachTwo();
    }
}

void TDmCylPanel::WriteStartRows(TEquationList& list) {
    CheckMesh();
    WriteCornerRows(list, 0, -2);
    WritePassBounds(list, 0);
    WriteCornerRows(list, 1, -2);
    WriteCornerRows(list, 0, -1);
    WritePassEdge(list, 0);
    WriteCornerRows(list, 1, -1);
    WriteCornerRows(list, 0, 0);
    WritePassDisplacements(list, 0);
    WriteCornerRows(list, 1, 0);
}

void TDmCylPanel::WriteInnerRows(TEquationList& list) {
    const int n = StepCount(0), m = StepCount(1);
    for (int i = 1; i < n; ++i) {
        WriteSideRows(list, 0, i);
        for (int j = 1; j < m; ++j) AddInnerNodeRows(list, i, j);
        WriteSideRows(list, 1, i);
    }
}

void TDmCylPanel::WriteEndRows(TEquationList& list) {
    const int n = StepCount(0);
    WriteCornerRows(list, 0, n);
    WritePassDisplacements(list, 1);
    WriteCornerRows(list, 1, n);
    WriteCornerRows(list, 0, n + 1);
    WritePassEdge(list, 1);
    WriteCornerRows(list, 1, n + 1);
    WriteCornerRows(list, 0, n + 2);
    WritePassBounds(list, 1);
    WriteCornerRows(list, 1, n + 2);
}

// --- TElCylPanel -------------------------------------------------------------------------------

TElCylPanel::TElCylPanel(TObject* owner, std::string key) : TElCylLave(owner, std::move(key)) {
    Domain = std::make_unique<TDmCylPanel>(this);
}
std::string TElCylPanel::GetCaption() const { return "Цилиндрическая панель"; }

std::string TElCylPanel::GetTypeName() const { return "CylPanel"; }

void TElCylPanel::DeclareSides(TElemList& bounds) {
    bounds.DeclareMany(&CreateItem<TElValueList>,
                       {"u_left", "v_left", "w_left", "dw_left", "N2_left", "S2_left", "Q2_left", "M2_left",
                        "u_right", "v_right", "w_right", "dw_right", "N2_right", "S2_right", "Q2_right", "M2_right"},
                       std::vector<std::string>(16, "Real"),
                       {"Лево: u (м)", "Лево: v (м)", "Лево: w (м)", "Лево: dw/dx (рад)", "Лево: N2 (Н/м)",
                        "Лево: S2 (Н/м)", "Лево: Q2 (Н/м)", "Лево: M2 (Н·м/м)", "Право: u (м)", "Право: v (м)",
                        "Право: w (м)", "Право: dw/dx (рад)", "Право: N2 (Н/м)", "Право: S2 (Н/м)", "Право: Q2 (Н/м)",
                        "Право: M2 (Н·м/м)"},
                       {"0", "0", "0", "0", "", "", "", "", "0", "0", "0", "0", "", "", "", ""});
}

void TElCylPanel::DeclareItems() {
    TElCylLave::DeclareItems();
    Params().Declare<TElWord>("Width", "Real", "Ширина(град)", "180");
    DeclareSides(Bounds());
}

}  // namespace zem
