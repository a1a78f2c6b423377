#include "calc/MeshGuard.h"

#include "domains/ElDomain.h"
#include "platform/errors.h"
#include "platform/numtext.h"
#include "problem/Problems.h"
#include "problemtypes/DmCyl2.h"
#include "problemtypes/DmCylSym.h"
#include "problemtypes/DmCylTech.h"
#include "problemtypes/DmRing.h"
#include "problemtypes/ElCylPnl.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <regex>

namespace zem {
namespace {

// Steps within the edge zone 2.5 sqrt(R t): second-order stencils, and the
// uniform higher-accuracy stencils of the two-dimensional shells.
constexpr int kEdgeSteps = 24;
constexpr int kEdgeStepsHigh = 6;
constexpr double kEdgeZone = 2.5;
// Steps per wave of the highest load harmonic: a shell, the ring with its
// higher-accuracy stencils, the ring with the second-order ones.
constexpr int kWaveSteps = 16;
constexpr int kRingWaveStepsHigh = 32;
constexpr int kRingWaveSteps = 256;
// A step this much above the limit still passes (the limit comes out of a
// division, the steps out of printed shares of the length).
constexpr double kSlack = 1e-4;

std::string Num(double x) { return RealToStrGen(5, 2, x); }

// What the guard knows of a shell domain.
struct TShell {
    double R = 0, t = 0;
    int EdgeSteps = kEdgeSteps;
    bool Uniform = false;  // its stencils want equal steps
};

std::optional<TShell> ShellOf(TDomain& d) {
    if (auto* s = dynamic_cast<TDmCylSym*>(&d)) return TShell{s->R, s->t, kEdgeSteps, false};
    if (auto* c = dynamic_cast<TDmCylTech*>(&d)) {
        const bool high = dynamic_cast<TDmCylTech2_1*>(&d) != nullptr;
        return TShell{c->R, c->t, high ? kEdgeStepsHigh : kEdgeSteps, high};
    }
    return std::nullopt;
}

// Whether end Side of shell domain D is held: a kinematic condition is given
// there (w, dw/dx of the axisymmetric shell; u, v, w, dw/dx of the others),
// or the shell is one of several domains (the spans of a stepped shell meet
// at joints, a ring sits on the shell's top).
bool EndHeld(TProblem& problem, TDomain& d, int side) {
    if (problem.Domains().size() > 1) return true;
    const int kinematic = dynamic_cast<TDmCylSym*>(&d) ? 2 : 4;
    for (int k = 0; k < kinematic; ++k)
        if (d.BoundaryValue(side, k)) return true;
    return false;
}

// Whether straight side Side of a panel is held: u, v, w or the slope
// across it given.
bool SideHeld(const TDmCylPanel& panel, int side) {
    for (int k = 0; k < 4; ++k)
        if (panel.SideGiven(side, k)) return true;
    return false;
}

// The edges of direction Dir that bend the shell: the ends along the axis,
// and the straight sides of a panel round it (an edge disturbance decays
// over the same length measured as an arc). None for a closed direction.
struct TEdges {
    bool Lo = false, Hi = false;
    const char* Coord = "x";
};

std::optional<TEdges> EdgesOf(TProblem& problem, TDomain& d, int dir) {
    if (dir == 0) return TEdges{EndHeld(problem, d, 0), EndHeld(problem, d, 1), "x"};
    if (auto* panel = dynamic_cast<TDmCylPanel*>(&d)) return TEdges{SideHeld(*panel, 0), SideHeld(*panel, 1), "y"};
    return std::nullopt;
}

// The highest harmonic of the loads along direction Dir (0 when none).
int HighestHarmonic(const TDomain& d, int dir) {
    int highest = 0;
    for (const TLoadSlot& slot : d.LoadFuncs)
        for (const auto& f : slot) {
            if (!f || (f->Func != &TDomain::CosLoad && f->Func != &TDomain::SinLoad)) continue;
            if (f->Params.size() < 3 || std::lround(f->Params[0]) != dir || f->Params[1] == 0) continue;
            highest = std::max(highest, static_cast<int>(std::lround(f->Params[2])));
        }
    return highest;
}

int WaveSteps(TDomain& d) {
    if (dynamic_cast<TDmRing2*>(&d)) return kRingWaveStepsHigh;
    if (dynamic_cast<TDmRing*>(&d)) return kRingWaveSteps;
    return kWaveSteps;
}

// The largest step of direction Dir among those that reach into [from, to]
// by more than the rounding of a printed mesh.
double LargestStep(const TDomain& d, int dir, double from, double to) {
    const double eps = kSlack * (to - from);
    double largest = 0, x = 0;
    for (double h : d.Steps(dir)) {
        if (x + h > from + eps && x < to - eps) largest = std::max(largest, h);
        x += h;
    }
    return largest;
}

int StepsFor(double length, double step) { return std::max(1, static_cast<int>(std::ceil(length / step - 1e-9))); }

// A mesh of length L, its steps at most Cap, graded toward the held ends:
// steps of zone/EdgeSteps over the zone, then twice and four times that over
// the next one and two zones, then eight times that up to the middle. Equal
// steps when the stencils want them or the shell is too short for grading.
std::string SuggestGraded(double length, double zone, int edgeSteps, bool lo, bool hi, double cap, bool uniform) {
    const double fine = std::min(zone / edgeSteps, cap);
    const int ends = (lo ? 1 : 0) + (hi ? 1 : 0);
    if (uniform || ends == 0 || length < ends * 4 * zone + zone) return std::to_string(StepsFor(length, fine));
    struct TGroup {
        int Count;
        double Length;
    };
    std::vector<TGroup> layer;
    double used = 0;
    for (auto [share, scale] : {std::pair{1.0, 1.0}, {1.0, 2.0}, {2.0, 4.0}}) {
        // The fine steps cover the zone even after the shares are rounded.
        const double len = share * zone * (scale == 1.0 ? 1 + 1e-5 : 1.0);
        layer.push_back({StepsFor(share * zone, std::min(fine * scale, cap)), len});
        used += len;
    }
    const double middle = length - ends * used;
    std::vector<TGroup> groups;
    if (lo) groups = layer;
    groups.push_back({StepsFor(middle, std::min(fine * 8, cap)), middle});
    if (hi) groups.insert(groups.end(), layer.rbegin(), layer.rend());
    // The shares as printed, the middle one making the sum exact.
    std::vector<std::string> shares(groups.size());
    double sum = 0;
    const std::size_t mid = lo ? layer.size() : 0;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (i == mid) continue;
        shares[i] = RealToStrGen(7, 2, groups[i].Length / length);
        sum += static_cast<double>(StrToReal(shares[i]));
    }
    shares[mid] = RealToStrGen(7, 2, 1 - sum);
    std::string text = "[";
    for (std::size_t i = 0; i < groups.size(); ++i)
        text += (i ? ", [" : "[") + std::to_string(groups[i].Count) + ", " + shares[i] + "]";
    return text + "]";
}

void CheckDomain(TProblem& problem, std::size_t index, std::vector<TMeshAdvice>& advice) {
    TDmElement& dm = *problem.Domains()[index];
    if (!dm.Domain) return;
    TDomain& d = *dm.Domain;
    const std::optional<TShell> shell = ShellOf(d);
    for (int dir = 0; dir < d.DimCount; ++dir) {
        if (dm.MeshItemKey(dir).empty() || d.StepCount(dir) == 0) continue;  // a mesh another item sets
        const double length = static_cast<double>(d.Extent(dir));
        std::vector<std::string> findings;
        // Round the circumference: steps per wave of the highest harmonic.
        double cap = length;
        if (const int k = HighestHarmonic(d, dir); k > 0) {
            const int perWave = WaveSteps(d);
            cap = length / k / perWave;
            const double largest = LargestStep(d, dir, 0, length);
            if (largest > cap * (1 + kSlack))
                findings.push_back("гармоника нагрузки k = " + std::to_string(k) + ": наибольший шаг " + Num(largest) +
                                   " м, шагов на волну " + Num(length / k / largest) + ", нужно не менее " +
                                   std::to_string(perWave) + " (шаг не более " + Num(cap) + " м)");
        }
        // Near every held edge: along the axis its ends, round a panel its
        // straight sides.
        bool lo = false, hi = false;
        double zone = 0;
        const std::optional<TEdges> edges = shell ? EdgesOf(problem, d, dir) : std::nullopt;
        if (edges && shell->R > 0 && shell->t > 0) {
            zone = kEdgeZone * std::sqrt(shell->R * shell->t);
            const double limit = zone / shell->EdgeSteps;
            lo = edges->Lo;
            hi = edges->Hi;
            for (int side = 0; side < 2; ++side) {
                if (!(side == 0 ? lo : hi)) continue;
                const double largest = side == 0 ? LargestStep(d, dir, 0, std::min(zone, length))
                                                 : LargestStep(d, dir, std::max(0.0, length - zone), length);
                if (largest > limit * (1 + kSlack))
                    findings.push_back(std::string("у края ") + edges->Coord + " = " + Num(side == 0 ? 0 : length) +
                                       " м шаг " + Num(largest) + " м, а в зоне краевого эффекта 2.5·sqrt(R·t) = " +
                                       Num(zone) + " м нужно не менее " + std::to_string(shell->EdgeSteps) +
                                       " шагов (шаг не более " + Num(limit) + " м)");
            }
        }
        if (findings.empty()) continue;
        TMeshAdvice a;
        a.Axis = problem.AxisNameByDomain(static_cast<int>(index), dir);
        a.Warning = "сетка " + a.Axis + " слишком редка: ";
        for (std::size_t i = 0; i < findings.size(); ++i) a.Warning += (i ? "; " : "") + findings[i];
        if (zone > 0)
            a.Suggested = SuggestGraded(length, zone, shell->EdgeSteps, lo, hi, cap, shell->Uniform);
        else
            a.Suggested = std::to_string(StepsFor(length, cap));
        advice.push_back(std::move(a));
    }
}

}  // namespace

void CheckMeshItemsGiven(const std::string& objectText) {
    static const std::regex kEmpty(R"((^|[{,\s])(mesh(_[xy])?)\s*=\s*([,}]|$))");
    std::smatch m;
    if (std::regex_search(objectText, m, kEmpty))
        throw ZemError("Сетка " + m[2].str() +
                       " не задана: укажите число шагов или список долей длины (например, 100 или [[20, 0.1], [30, 0.9]])");
}

std::vector<TMeshAdvice> CheckMeshResolution(TProblem& problem) {
    std::vector<TMeshAdvice> advice;
    for (std::size_t i = 0; i < problem.Domains().size(); ++i) CheckDomain(problem, i, advice);
    return advice;
}

std::vector<std::string> MeshGuardLines(TProblem& problem) {
    std::vector<std::string> lines;
    for (const TMeshAdvice& a : CheckMeshResolution(problem))
        lines.push_back("Предупреждение: " + a.Warning + "; предлагается " + a.Axis + " = " + a.Suggested);
    return lines;
}

}  // namespace zem
