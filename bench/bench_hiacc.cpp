// What the higher-accuracy cylinders buy: the unknowns and the time each
// problem type needs to reach a given error in the largest deflection.
//
// BM_Tank: the long tank R = 10 m, H = 10 m, t = 0.01 m, clamped at its foot,
// free at the top, filled with liquid (Gidr 10000), by "CylSym" and
// "CylSym2". The error is the largest difference between the nodal
// deflections and the closed-form solution (membrane deflection plus the
// decaying edge solution of the clamped foot), in percent of the largest
// deflection. Band Gauss (method 2).
//
// BM_Wind: the same shell without liquid under a wind of one harmonic
// (Wind [0, 1000]) by "CylTech", "CylTech2_2" and "CylTech2_1" on meshes of
// n x n steps (axial x circumferential; both directions must be refined:
// at a fixed circumferential mesh the three-point operators converge to a
// deflection some per cent off). The error is the difference of the largest
// |w| (at the free top, on the line of the wind's crest: always a node) from
// the reference, in percent; the reference is "CylTech2_1" (fourth order in
// both directions) on 256 x 256 steps, improved by extrapolation from
// 128 x 128. Sparse direct method (method 11), as the program chooses for
// two-dimensional problems of this size.
//
// For every type and target error (1, 0.1, 0.01 %) the coarsest mesh of a
// fixed ladder that reaches the target is found before the measurement; the
// measurement is the whole calculation of that mesh (real type "REAL").
// Counters: steps (axial), unknowns, error_pct reached. When the ladder
// ends before the target, the counters add the order observed over the last
// two meshes and the mesh that order predicts for the target (steps_needed).
//
// Build with -DZEM_BENCH=ON; run bin/bench_hiacc (see bench/README.md).
// ZEM_BENCH_VERBOSE=1 prints every error of the ladder as it is found.
#include "domains/Equations.h"
#include "elements/ElLists.h"
#include "elements/Elements.h"
#include "platform/progress.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"
#include "problemtypes/DmCylSym.h"
#include "problemtypes/DmCylTech.h"
#include "problemtypes/Register.h"
#include "solvers/SLCLass.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace zem;

const char* const kTypes[] = {"CylSym", "CylSym2", "CylTech", "CylTech2_2", "CylTech2_1"};
const double kTargets[] = {1, 0.1, 0.01};
const std::vector<int> kTankLadder = {10,  12,  16,  20,  24,  32,  40,  48,   64,   80,   96,   128,  160, 192,
                                      256, 320, 384, 512, 640, 768, 1024, 1280, 1536, 2048, 2560, 3072, 4096};
const std::vector<int> kWindLadder = {8, 12, 16, 24, 32, 48, 64, 96, 128, 192, 256, 320, 400};
const int kWindReference[] = {128, 256};

void Set(TElement& root, const char* section, const char* key, const std::string& text) {
    auto& list = dynamic_cast<TElemList&>(root.Item(root.IndexOfKey(section)));
    list.Item(list.IndexOfKey(key)).SetText(text);
}

bool IsTank(const std::string& type) { return type.rfind("CylSym", 0) == 0; }

std::unique_ptr<TProblem> Shell(const std::string& type, int n) {
    RegisterProblemTypes();
    auto p = std::make_unique<TProblem>(ProblemTypeByName(type), "Bench");
    Set(p->Root(), "MESH", "mesh_x", std::to_string(n));
    if (!IsTank(type)) {
        Set(p->Root(), "MESH", "mesh_y", std::to_string(n));
        Set(p->Root(), "LOADS", "Gidr", "");
        Set(p->Root(), "LOADS", "Wind", "[0, 1000]");
    }
    p->Root().Parse();
    p->CollectDomains();
    return p;
}

void Calculate(TProblem& p) {
    TProgressLog progress;
    p.Calculate(p.Domains().at(0)->Domain->DimCount == 1 ? 2 : kSparseMethod, false, progress);
}

// The tank's closed form.
double TankDeflection(double x) {
    const double r = 10, t = 0.01, e = 2.06e11, mu = 0.3, h = 10, gamma = 10000;
    const double d = e * t * t * t / 12 / (1 - mu * mu), k = e * t / (r * r);
    const double beta = std::pow(k / (4 * d), 0.25);
    const double c1 = gamma * h / k, c2 = c1 - gamma / (k * beta);
    return gamma * (h - x) / k - std::exp(-beta * x) * (c1 * std::cos(beta * x) + c2 * std::sin(beta * x));
}

double LargestW(TProblem& p) {
    auto& d = dynamic_cast<TDmCylTech&>(*p.Domains().at(0)->Domain);
    double m = 0;
    for (int i = 0; i <= d.StepCount(0); ++i)
        for (int j = 0; j < d.StepCount(1); ++j) {
            d.SetPos(0, i);
            d.SetPos(1, j);
            m = std::max(m, std::fabs(static_cast<double>(d.ResultValue(2))));
        }
    return m;
}

// Error in percent of a solved problem.
double ErrorPct(const std::string& type, TProblem& p) {
    if (IsTank(type)) {
        auto& d = dynamic_cast<TDmCylSym&>(*p.Domains().at(0)->Domain);
        const int n = d.StepCount(0);
        double err = 0, largest = 0;
        for (int i = 0; i <= n; ++i) {
            d.SetPos(0, i);
            const double exact = TankDeflection(10.0 * i / n);
            err = std::max(err, std::fabs(static_cast<double>(d.ResultValue(0)) - exact));
            largest = std::max(largest, std::fabs(exact));
        }
        return 100 * err / largest;
    }
    static const double reference = [] {
        double w[2];
        for (int k : {0, 1}) {
            auto p = Shell("CylTech2_1", kWindReference[k]);
            Calculate(*p);
            w[k] = LargestW(*p);
        }
        const double extrapolated = w[1] + (w[1] - w[0]) / 15;  // fourth order: 16-fold per doubling
        if (std::getenv("ZEM_BENCH_VERBOSE"))
            std::fprintf(stderr, "reference %.12g (finest mesh %.12g, correction %.3g %%)\n", extrapolated, w[1],
                         100 * std::fabs(extrapolated - w[1]) / extrapolated);
        return extrapolated;
    }();
    return 100 * std::fabs(LargestW(p) - reference) / reference;
}

// The coarsest mesh of the ladder reaching the target, and its error; the
// finest mesh (reached false) when none does.
struct TFound {
    int Steps = 0;
    double Error = 0;
    bool Reached = false;
    double Order = 0;  // over the last two meshes, when not reached
    double Needed = 0;  // the steps that order predicts for the target
};

TFound MeshFor(const std::string& type, double target) {
    static std::map<std::pair<std::string, int>, double> errors;
    TFound found, previous;
    for (int n : IsTank(type) ? kTankLadder : kWindLadder) {
        auto key = std::make_pair(type, n);
        if (!errors.count(key)) {
            auto p = Shell(type, n);
            Calculate(*p);
            errors[key] = ErrorPct(type, *p);
            if (std::getenv("ZEM_BENCH_VERBOSE"))
                std::fprintf(stderr, "%s %d: %.4g %%\n", type.c_str(), n, errors[key]);
        }
        previous = found;
        found = {n, errors[key], errors[key] <= target};
        if (found.Reached) break;
    }
    if (!found.Reached && previous.Error > found.Error) {
        found.Order = std::log(previous.Error / found.Error) / std::log(double(found.Steps) / previous.Steps);
        found.Needed = found.Steps * std::pow(found.Error / target, 1 / found.Order);
    }
    return found;
}

// args: type index, target index.
void BM_ToError(benchmark::State& state) {
    const std::string type = kTypes[state.range(0)];
    const double target = kTargets[state.range(1)];
    const TFound found = MeshFor(type, target);
    state.SetLabel(type + " to " + std::to_string(target).substr(0, 4) + " %" +
                   (found.Reached ? "" : ": not reached, the finest mesh"));
    auto p = Shell(type, found.Steps);
    for (auto _ : state) {
        Calculate(*p);
        benchmark::DoNotOptimize(p->Solution(0));
    }
    state.counters["steps"] = found.Steps;
    state.counters["unknowns"] = static_cast<double>(p->UnknownCount());
    state.counters["error_pct"] = found.Error;
    if (found.Order > 0) {
        state.counters["order"] = found.Order;
        state.counters["steps_needed"] = found.Needed;
    }
}

void Tank(benchmark::internal::Benchmark* b) {
    for (int type : {0, 1})
        for (int target = 0; target < 3; ++target) b->Args({type, target});
}

void Wind(benchmark::internal::Benchmark* b) {
    for (int type : {2, 3, 4})
        for (int target = 0; target < 3; ++target) b->Args({type, target});
}

}  // namespace

BENCHMARK(BM_ToError)->Name("BM_Tank")->Apply(Tank)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToError)->Name("BM_Wind")->Apply(Wind)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
