// The iterative methods: Gauss–Seidel and successive relaxation.
#include "platform/numtext.h"
#include "solvers/SLCLass.h"
#include "solvers/SLInternal.h"

#include <algorithm>
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
    // The same iteration on the homogeneous system A·z = 0 from a start of
    // its own. It converges to zero when the matrix is regular; when the
    // matrix has a null vector, the part of the start along it never leaves,
    // and the solution of the system has an arbitrary part of that kind too:
    // such a system is refused as singular. Z shares the rows pulled for X.
    std::vector<T> z(n);
    for (std::size_t i = 0; i < n; ++i) z[i] = static_cast<T>(1 + static_cast<double>((i * 2654435761u) % 1000) / 1000);
    const Extended zStart = 2;  // above every start value
    TRowItems items;
    Extended f = 0;
    auto residualText = [](std::int64_t k, Extended r) { return std::to_string(k) + ": " + RealToStrGen(15, 0, r); };
    // One sweep over every row: X (when Solving) and Z updated in place;
    // returns the root-mean-square residual of X's sweep.
    auto sweep = [&](bool solving, Extended& zMax) {
        Extended s = 0;
        zMax = 0;
        for (std::size_t i = 0; i < n; ++i) {
            sl::CheckStopEvery(i, progress_);
            PullRow(i, items, f);
            // r: residual of row i with the current values (new ones before
            // i, old ones from i on); t: the same without the diagonal term.
            Extended r = f, t = f, d = 0, tz = 0;
            bool diagonal = false;
            for (const TListItem& it : items) {
                if (it.Col == i) {
                    d = it.Value, diagonal = true;
                    r += it.Value * x[it.Col];
                } else {
                    const Extended c = it.Value * x[it.Col];
                    r += c, t += c;
                    tz += it.Value * z[it.Col];
                }
            }
            if (!diagonal) throw ZemError("Строка " + sl::RowNo(i) + " СЛАУ не содержит диагонального коэффициента");
            if (d == 0) sl::ZeroPivot(i);
            if (solving) {
                s += r * r;
                x[i] = static_cast<T>(UpdateUnknown(x[i], -t / d));
            }
            z[i] = static_cast<T>(UpdateUnknown(z[i], -tz / d));
            zMax = std::max(zMax, std::fabs(static_cast<Extended>(z[i])));
        }
        return std::sqrt(s / n);  // root-mean-square residual of the sweep
    };

    progress_.SetMaximum(100);
    progress_.BeginStage("Итерационный процесс");
    Extended firstR = 0, prevR = 0, zMax = zStart;
    int growing = 0;
    for (std::int64_t k = 1;; ++k) {
        const Extended r = sweep(true, zMax);
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
    // X has converged. Z must have come down to half its start: when it
    // has not yet, it is given as many sweeps again as X took (at least
    // kNullSweeps): a null vector keeps it where it is for good.
    const std::int64_t more = std::max<std::int64_t>(sweeps_, kNullSweeps);
    for (std::int64_t k = 0; zMax > zStart / 2 && k < more; ++k) {
        if (!std::isfinite(zMax)) break;
        sweep(false, zMax);
        progress_.StepProgress(static_cast<std::size_t>((sweeps_ + k + 1) % 100));
    }
    if (!(zMax <= zStart / 2)) sl::Singular();
    StoreSolution(x);
}

}  // namespace zem
