#include "problemtypes/DmRing.h"

#include "domains/Equations.h"
#include "elements/ElLists.h"
#include "platform/errors.h"
#include "stencils/Tamplet2.h"

#include <cmath>
#include <numbers>

namespace zem {
namespace {

const char* const kRowNames[] = {"Qx_Eq", "N2_Eq", "Qr_Eq", "Mk_Eq"};
const char* const kLoadKeys[] = {"t", "s", "q", "mk"};
// The row whose place each rigid-body condition takes: its name and its
// node (0, or the quarter node for the second translation and tilt).
const char* const kRigidNames[] = {"Rigid_u", "Rigid_v", "Rigid_w", "Rigid_fi", "Rigid_w", "Rigid_u"};
const int kRigidRow[] = {0, 1, 2, 3, 2, 0};
const bool kRigidAtQuarter[] = {false, false, false, false, true, true};
const char* const kRigidLoadNames[] = {"сила вдоль оси кольца (s)", "момент вокруг оси кольца (q)",
                                       "сила в плоскости кольца (t, q)", "момент из плоскости кольца (s, mk)",
                                       "сила в плоскости кольца (t, q)", "момент из плоскости кольца (s, mk)"};

[[noreturn]] void ParamError(const std::string& key) { throw ZemError("Ошибка в значении параметра " + key); }

}  // namespace

// --- TDmRing ---------------------------------------------------------------------------

TDmRing::TDmRing(TDomainOwner* owner) : TDmDim1(owner) {
    for (int c = 0; c < 4; ++c) Tamplets[static_cast<std::size_t>(c)] = std::make_unique<TTamplet>(this, c);
    Periodic[0] = true;
    Lengths[0] = 2 * std::numbers::pi * R;
}

void TDmRing::ReadParams(TElemList& params) {
    auto read = [&params](const char* key, double& x, bool positive) {
        double v = x;
        try {
            params.GetReal(key, v);
        } catch (const std::exception&) {
            ParamError(key);
        }
        if (!std::isfinite(v) || (positive && !(v > 0))) ParamError(key);
        x = v;
    };
    read("R", R, true);
    read("E", E, true);
    read("G", G, true);
    read("F", F, true);
    read("Jx", Jx, true);
    read("Jr", Jr, true);
    read("Jxr", Jxr, false);
    read("Jk", Jk, true);
    // The section must be stiff in every direction of bending.
    if (!(Jxr * Jxr < Jx * Jr)) ParamError("Jxr");
    Lengths[0] = 2 * std::numbers::pi * R / Period;
}

void TDmRing::AddLoad(const std::string& name, const TObject* value) {
    for (int k = 0; k < 4; ++k)
        if (name == kLoadKeys[k]) {
            try {
                AddHarmonicLoad(k, 0, value);
            } catch (const std::exception&) {
                ParamError(name);
            }
        }
}

// --- Balance ----------------------------------------------------------------------------

void TDmRing::Harmonic(int slot, int k, double& a, double& b) const {
    a = b = 0;
    if (slot >= static_cast<int>(LoadFuncs.size())) return;
    for (const auto& item : LoadFuncs[static_cast<std::size_t>(slot)]) {
        const std::vector<double>& p = item->Params;
        if (item->Func == &TDomain::ConstLoad) {
            if (k == 0) a += p[0];
        } else if (item->Func == &TDomain::CosLoad) {
            if (std::lround(p[2]) == k) a += p[1];
        } else if (item->Func == &TDomain::SinLoad) {
            if (std::lround(p[2]) == k && k != 0) b += p[1];
        }
    }
}

void TDmRing::RigidLoadWork(int m, double& work, double& scale) const {
    // Cosine (c) and sine (s) amplitudes of harmonic 0 (m < 2) or 1.
    double tc, ts, qc, qs, sc, ss, mc, ms;
    const int k = m < 2 ? 0 : 1;
    Harmonic(lsT, k, tc, ts);
    Harmonic(lsQ, k, qc, qs);
    Harmonic(lsS, k, sc, ss);
    Harmonic(lsMk, k, mc, ms);
    // The work over the ring of the load on the motion of RigidMotion(m),
    // divided by the factor every term of it shares.
    double a = 0, b = 0;
    switch (m) {
        case 0: a = sc; break;                // u = 1
        case 1: a = qc; break;                // v = 1
        case 2: a = tc, b = -qs; break;       // w = cos, v = -sin
        case 3: a = R * sc, b = mc; break;    // u = R cos, fi = cos
        case 4: a = ts, b = qc; break;        // w = sin, v = cos
        default: a = R * ss, b = ms; break;   // u = R sin, fi = sin
    }
    work = a + b;
    scale = std::fabs(a) + std::fabs(b);
}

void TDmRing::CheckBalance() const {
    std::string what;
    for (int m = 0; m < RigidMotionCount(); ++m) {
        double work, scale;
        RigidLoadWork(m, work, scale);
        // Loads typed to about seven digits balance within that.
        if (!(std::fabs(work) <= 1e-6 * scale)) {
            const std::string name = kRigidLoadNames[m];
            if (what.find(name) != std::string::npos) continue;
            what += (what.empty() ? "" : "; ") + name;
        }
    }
    if (!what.empty())
        throw ZemError("Нагрузка на кольцо не уравновешена: " + what +
                       ". Свободное кольцо воспринимает только самоуравновешенную нагрузку");
}

std::array<double, 4> TDmRing::RigidMotion(int m, double theta) const {
    const double c = std::cos(theta), s = std::sin(theta);
    switch (m) {
        case 0: return {1, 0, 0, 0};
        case 1: return {0, 1, 0, 0};
        case 2: return {0, -s, c, 0};
        case 3: return {R * c, 0, 0, c};
        case 4: return {0, c, s, 0};
        default: return {R * s, 0, 0, s};
    }
}

int TDmRing::QuarterNode() const {
    int best = 0;
    double far = -1;
    for (int j = 1; j < StepCount(0); ++j) {
        const double x = std::fabs(std::sin(static_cast<double>(NodeCoord(0, j)) / R));
        if (x > far) far = x, best = j;
    }
    return best;
}

void TDmRing::WriteRigidRow(int m) {
    const int n = StepCount(0);
    const double mean = static_cast<double>(Extent(0)) / n;
    // Scaled like the membrane stiffness of the rows it replaces; a tilt's
    // u is R times its angle.
    const double scale = E * F / (R * R) / (m == 3 || m == 5 ? R : 1);
    const double weights[4] = {1, 1, 1, R * R};
    for (int j = 0; j < n; ++j) {
        const double cell = (Step(0, j - 1) + Step(0, j)) / 2 / mean;
        const auto motion = RigidMotion(m, static_cast<double>(NodeCoord(0, j)) / R);
        for (int c = 0; c < 4; ++c)
            if (motion[static_cast<std::size_t>(c)] != 0)
                AddCoef(c, {j, 0}, scale * cell * weights[c] * motion[static_cast<std::size_t>(c)]);
    }
}

void TDmRing::WriteEquations(TEquationList& list) {
    CheckBalance();
    const int n = StepCount(0);
    const int motions = RigidMotionCount();
    if (motions > 2 && n < 3) throw ZemError("Сетка кольца слишком редкая: нужно не менее 3 шагов");
    const int quarter = motions > 2 ? QuarterNode() : 0;
    using TWriter = void (TDmRing::*)(double);
    const TWriter rows[] = {&TDmRing::WriteQxEq, &TDmRing::WriteN2Eq, &TDmRing::WriteQrEq, &TDmRing::WriteMkEq};
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < 4; ++k) {
            int rigid = -1;
            for (int m = 0; m < motions; ++m)
                if (kRigidRow[m] == k && (kRigidAtQuarter[m] ? quarter : 0) == i) rigid = m;
            if (rigid < 0)
                AddEquation(list, kRowNames[k], 1, EquatWriter(rows[k]), {i, 0});
            else
                AddEquation(list, kRigidNames[rigid], 1,
                            [rigid](TDomain& d, double) { static_cast<TDmRing&>(d).WriteRigidRow(rigid); }, {i, 0});
        }
}

// --- Rows ------------------------------------------------------------------------------

void TDmRing::AddHigh(int c, int order, Extended x) { AddDeriv(c, order, x); }

Extended TDmRing::HighValue(int c, int order) { return Deriv(c, order); }

void TDmRing::WriteQxEq(double c) {
    // Qx' + s = 0
    AddHigh(cU, 4, -E * Jx * c);
    AddDeriv(cU, 2, G * Jk / (R * R) * c);
    AddDeriv(cFi, 2, -(E * Jx + G * Jk) / R * c);
    AddHigh(cW, 4, -E * Jxr * c);
    AddHigh(cV, 3, E * Jxr / R * c);
    AddFree(LoadValue(lsS) * c);
}

void TDmRing::WriteN2Eq(double c) {
    // N2' + Qr / R + q = 0
    AddDeriv(cV, 2, E * (Jr / (R * R) + F) * c);
    AddDeriv(cW, 1, E * F / R * c);
    AddHigh(cW, 3, -E * Jr / R * c);
    AddHigh(cU, 3, -E * Jxr / R * c);
    AddDeriv(cFi, 1, -E * Jxr / (R * R) * c);
    AddFree(LoadValue(lsQ) * c);
}

void TDmRing::WriteQrEq(double c) {
    // Qr' - N2 / R + t = 0
    AddHigh(cW, 4, -E * Jr * c);
    AddDeriv(cW, 0, -E * F / (R * R) * c);
    AddHigh(cV, 3, E * Jr / R * c);
    AddDeriv(cV, 1, -E * F / R * c);
    AddHigh(cU, 4, -E * Jxr * c);
    AddDeriv(cFi, 2, -E * Jxr / R * c);
    AddFree(LoadValue(lsT) * c);
}

void TDmRing::WriteMkEq(double c) {
    // Hk' + Mx / R + mk = 0
    AddDeriv(cFi, 2, G * Jk * c);
    AddDeriv(cFi, 0, -E * Jx / (R * R) * c);
    AddDeriv(cU, 2, -(G * Jk + E * Jx) / R * c);
    AddDeriv(cW, 2, -E * Jxr / R * c);
    AddDeriv(cV, 1, E * Jxr / (R * R) * c);
    AddFree(LoadValue(lsMk) * c);
}

// --- Results ---------------------------------------------------------------------------

Extended TDmRing::ValueU() { return Deriv(cU, 0); }

Extended TDmRing::ValueV() { return Deriv(cV, 0); }

Extended TDmRing::ValueW() { return Deriv(cW, 0); }

Extended TDmRing::ValueFi() { return Deriv(cFi, 0); }

Extended TDmRing::ValueN2() { return E * F * (Deriv(cV, 1) + Deriv(cW, 0) / R); }

Extended TDmRing::ValueQx() {
    const Extended out = Deriv(cFi, 1) + R * HighValue(cU, 3);
    const Extended in = R * HighValue(cW, 3) - Deriv(cV, 2);
    return -E / R * (Jx * out + Jxr * in) - ValueHk() / R;
}

Extended TDmRing::ValueQr() {
    const Extended out = Deriv(cFi, 1) + R * HighValue(cU, 3);
    const Extended in = R * HighValue(cW, 3) - Deriv(cV, 2);
    return -E / R * (Jr * in + Jxr * out);
}

Extended TDmRing::ValueMx() {
    const Extended out = Deriv(cFi, 0) + R * Deriv(cU, 2);
    const Extended in = R * Deriv(cW, 2) - Deriv(cV, 1);
    return -E / R * (Jx * out + Jxr * in);
}

Extended TDmRing::ValueMr() {
    const Extended out = Deriv(cFi, 0) + R * Deriv(cU, 2);
    const Extended in = R * Deriv(cW, 2) - Deriv(cV, 1);
    return -E / R * (Jr * in + Jxr * out);
}

Extended TDmRing::ValueHk() { return G * Jk * (Deriv(cFi, 1) - Deriv(cU, 1) / R); }

Extended TDmRing::ResultValue(int kind) {
    switch (kind) {
        case rkU: return ValueU();
        case rkV: return ValueV();
        case rkW: return ValueW();
        case rkFi: return ValueFi();
        case rkN2: return ValueN2();
        case rkQx: return ValueQx();
        case rkQr: return ValueQr();
        case rkMx: return ValueMx();
        case rkMr: return ValueMr();
        case rkHk: return ValueHk();
        default: return 0;
    }
}

// --- TDmRing2 ---------------------------------------------------------------------------

TDmRing2::TDmRing2(TDomainOwner* owner) : TDmRing(owner) {
    for (int c = 0; c < 4; ++c) Tamplets[static_cast<std::size_t>(c)] = std::make_unique<TTampletMix>(this, c);
}

void TDmRing2::AddHigh(int c, int order, Extended x) {
    static_cast<TTampletMix&>(*Tamplets[static_cast<std::size_t>(c)]).AddDerivLow({order}, x);
}

Extended TDmRing2::HighValue(int c, int order) {
    return static_cast<TTampletMix&>(*Tamplets[static_cast<std::size_t>(c)]).DerivValueLow({order});
}

// --- TDmRingP ---------------------------------------------------------------------------

int ReadPeriod(TElemList& params) {
    double p = 1;
    try {
        params.GetReal("Period", p);
    } catch (const std::exception&) {
        ParamError("Period");
    }
    if (!(std::isfinite(p) && std::lround(p) >= 1 && p < 1e6)) ParamError("Period");
    return static_cast<int>(std::lround(p));
}

void TDmRingP::ReadParams(TElemList& params) {
    Period = ReadPeriod(params);
    TDmRing2::ReadParams(params);
}

}  // namespace zem
