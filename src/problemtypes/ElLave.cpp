#include "problemtypes/ElLave.h"

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
    MixW().AddDerivLow({0, 3}, -k);  // -k/R w_yyy, compact
    W().AddDeriv({2, 1}, -k);        // -k/R w_xxy
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
    double p = 1;
    try {
        params.GetReal("Period", p);
    } catch (const std::exception&) {
        ParamError("Period");
    }
    if (!(std::isfinite(p) && std::lround(p) >= 1 && p < 1e6)) ParamError("Period");
    Period = static_cast<int>(std::lround(p));
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

void RegisterLaveTypes() {
    RegisterProblemType(ProblemTypeByName("CylLave"), &CreateElement<TElCylLave>);
    RegisterProblemType(ProblemTypeByName("CylLaveP"), &CreateElement<TElCylLaveP>);
}

}  // namespace zem
