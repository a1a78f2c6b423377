// Stepped cylinders of many spans: reading the text, listing the equations
// and writing every row (each coefficient climbs from its span through the
// compound, which adds the span's unknown offset), and the whole calculation.
// Also the joint rows of two technical-theory spans whose circumferential
// meshes differ widely (each node of the fine span finds its neighbours on
// the coarse one).
//
// "CompCylSym": R = 1 m, spans of the compound's height 1 m and 2 steps each
// (7 unknowns per span), clamped bottom, free top, full of liquid.
// "CompCylTech": two spans of 1 axial step, M and 4 circumferential steps.
//
// Build with -DZEM_BENCH=ON; run bin/bench_spans (see bench/README.md).
#include "domains/Equations.h"
#include "elements/ElLists.h"
#include "elements/Elements.h"
#include "platform/progress.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"
#include "problemtypes/Register.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace zem;

// The default text of Type with its ELEMS replaced by Spans.
std::string WithSpans(const TProblem& p, const std::string& spans) {
    std::string text = p.Root().Text();
    const std::size_t from = text.find("ELEMS={");
    std::size_t to = from + 6;
    for (int depth = 0;; ++to) {
        if (text[to] == '{') ++depth;
        if (text[to] == '}' && --depth == 0) break;
    }
    return text.substr(0, from) + "ELEMS={" + spans + "}" + text.substr(to + 1);
}

std::unique_ptr<TProblem> SymSpans(int count) {
    RegisterProblemTypes();
    auto p = std::make_unique<TProblem>(ProblemTypeByName("CompCylSym"), "Bench");
    std::string spans;
    for (int i = 1; i <= count; ++i)
        spans += (i > 1 ? ", Span" : "Span") + std::to_string(i) + "={MESH={mesh_x=2}}";
    p->Root().SetText(WithSpans(*p, spans));
    return p;
}

std::unique_ptr<TProblem> TechJoint(int m) {
    RegisterProblemTypes();
    auto p = std::make_unique<TProblem>(ProblemTypeByName("CompCylTech"), "Bench");
    p->Root().SetText(WithSpans(*p, "Span1={MESH={mesh_x=1, mesh_y=" + std::to_string(m) +
                                        "}}, Span2={MESH={mesh_x=1, mesh_y=4}}"));
    return p;
}

// arg: spans. The text of the whole compound read again.
void BM_SpansRead(benchmark::State& state) {
    auto p = SymSpans(static_cast<int>(state.range(0)));
    const std::string text = p->Root().Text();
    for (auto _ : state) p->Root().SetText(text);
    state.counters["spans"] = static_cast<double>(state.range(0));
}

// arg: spans. The equations listed and every row written once.
void BM_SpansAssembly(benchmark::State& state) {
    auto p = SymSpans(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        p->BuildEquations();
        TRowItems items;
        for (std::size_t r = 0; r < p->UnknownCount(); ++r) benchmark::DoNotOptimize(p->GetRow(r, items));
    }
    state.counters["N"] = static_cast<double>(p->UnknownCount());
}

// arg: spans. The whole calculation by the band method.
void BM_SpansCalculate(benchmark::State& state) {
    auto p = SymSpans(static_cast<int>(state.range(0)));
    TProgressLog progress;
    for (auto _ : state) {
        p->Calculate(2, false, progress);
        benchmark::DoNotOptimize(p->Solution(0));
    }
    state.counters["N"] = static_cast<double>(p->UnknownCount());
}

// arg: M. The equations of two spans of M and 4 circumferential steps.
void BM_JointRows(benchmark::State& state) {
    auto p = TechJoint(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        p->BuildEquations();
        benchmark::DoNotOptimize(p->UnknownCount());
    }
    state.counters["N"] = static_cast<double>(p->UnknownCount());
}

}  // namespace

BENCHMARK(BM_SpansRead)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpansAssembly)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpansCalculate)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JointRows)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
