// The iterative methods: Gauss–Seidel and successive relaxation.
#include "platform/numtext.h"
#include "solvers/SLCLass.h"
#include "solvers/SLInternal.h"

#include <cmath>

namespace zem {

void TZejdel::SolveSystem() {
    if (realType_ == rtExtended)
        Run<Extended>();
    else
        Run<double>();
}

template <class T>
void TZejdel::Run() {
    const std::size_t n = n_;
    // The starting approximation is X as it stands (zeros when created).
    std::vector<T> x(n);
    {
        const std::vector<Extended> start = x_->Values();
        for (std::size_t i = 0; i < n; ++i) x[i] = static_cast<T>(start[i]);
    }
    TRowItems items;
    Extended f = 0;
    auto residualText = [](std::int64_t k, Extended r) { return std::to_string(k) + ": " + RealToStrGen(15, 0, r); };

    progress_.SetMaximum(100);
    progress_.BeginStage("Итерационный процесс");
    Extended firstR = 0, prevR = 0;
    int growing = 0;
    for (std::int64_t k = 1;; ++k) {
        Extended s = 0;
        for (std::size_t i = 0; i < n; ++i) {
            PullRow(i, items, f);
            // r: residual of row i with the current values (new ones before
            // i, old ones from i on); t: the same without the diagonal term.
            Extended r = f, t = f, d = 0;
            bool diagonal = false;
            for (const TListItem& it : items) {
                const Extended c = it.Value * x[it.Col];
                r += c;
                if (it.Col == i)
                    d = it.Value, diagonal = true;
                else
                    t += c;
            }
            s += r * r;
            if (!diagonal) throw ZemError("Строка " + sl::RowNo(i) + " СЛАУ не содержит диагонального коэффициента");
            if (d == 0) sl::ZeroPivot(i);
            x[i] = static_cast<T>(UpdateUnknown(x[i], -t / d));
        }
        const Extended r = std::sqrt(s / n);  // root-mean-square residual of the sweep
        sweeps_ = k;
        progress_.SetStageLabel("Итерационный процесс: " + residualText(k, r));
        progress_.StepProgress(static_cast<std::size_t>(k % 100));
        if (!std::isfinite(r))
            throw ZemError("Итерационный процесс расходится (итерация " + residualText(k, r) +
                           "). Выберите прямой метод решения СЛАУ");
        if (r <= Eps) break;
        if (k == 1) firstR = r;
        growing = r > prevR ? growing + 1 : 0;
        prevR = r;
        if (growing >= kDivergingSweeps && r > firstR)
            throw ZemError("Итерационный процесс расходится: невязка растет " + std::to_string(growing) +
                           " итераций подряд (итерация " + residualText(k, r) +
                           "). Выберите прямой метод решения СЛАУ");
        if (k >= MaxSweeps)
            throw ZemError("Итерационный процесс не сошелся за " + std::to_string(k) + " итераций (невязка " +
                           RealToStrGen(15, 0, r) + "). Выберите прямой метод решения СЛАУ");
    }
    StoreSolution(x);
}

}  // namespace zem
