#include "problem/PbHarmonic.h"

#include "domains/ElDomain.h"
#include "domains/Equations.h"
#include "problem/Problems.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <unordered_map>

namespace zem {

THarmonicLayout HarmonicLayout(TProblem& p) {
    THarmonicLayout lay;
    lay.FreeTerm = [&p](std::size_t r, const TCoefSink& sink) { return p.FreeTermOf(r, sink); };
    lay.FreeTermAlone = [&p](std::size_t r) { return p.FreeTerm(r); };
    lay.RowName = [&p](std::size_t r) {
        return r < p.UnknownCount() ? p.Equations().Name(static_cast<int>(r)) : std::string();
    };
    struct TPart {
        TDomain* Domain;
        int Dir;
        std::size_t Steps;
        // The node indices of cell 0 (virtual layers included), and where
        // their row slots begin.
        std::array<int, kMaxDims> Lo{}, Hi{};
        std::size_t FirstSlot = 0;
    };
    std::vector<TPart> parts;
    std::size_t g = 0;
    for (TDmElement* dm : p.Domains()) {
        TDomain* d = dm->Domain.get();
        if (!d || d->UnknownCount() == 0) continue;
        int dir = -1;
        for (int k = 0; k < d->DimCount; ++k)
            if (d->Periodic[static_cast<std::size_t>(k)]) dir = dir < 0 ? k : -2;
        if (dir < 0) {
            lay.Refusal = "область «" + dm->GetTypeName() + "» не замкнута по окружности";
            return lay;
        }
        const std::vector<double>& steps = d->Steps(dir);
        for (double s : steps)
            if (s != steps.front()) {
                lay.Refusal = "сетка области «" + dm->GetTypeName() + "» по окружности неравномерна";
                return lay;
            }
        parts.push_back({d, dir, steps.size(), {}, {}, 0});
        g = std::gcd(g, steps.size());
    }
    if (parts.empty()) {
        lay.Refusal = "в задаче нет неизвестных";
        return lay;
    }
    if (g < 2) {
        lay.Refusal = "сетки областей по окружности не имеют общего шага";
        return lay;
    }
    lay.Period = g;
    std::size_t slots = 0;
    for (TPart& part : parts) {
        TDomain& d = *part.Domain;
        const int k = static_cast<int>(part.Steps / g);
        // Every node index of the other directions (virtual layers
        // included) and the first K nodes round the circumference.
        std::array<int, kMaxDims>&lo = part.Lo, &hi = part.Hi;
        std::size_t nodes = 1;
        for (int dim = 0; dim < d.DimCount; ++dim) {
            const auto i = static_cast<std::size_t>(dim);
            lo[i] = dim == part.Dir ? 0 : -d.VirtualLayers(dim);
            hi[i] = dim == part.Dir ? k - 1 : d.StepCount(dim) + d.VirtualLayers(dim);
            nodes *= static_cast<std::size_t>(hi[i] - lo[i] + 1);
        }
        part.FirstSlot = slots;
        slots += nodes;
        TNodeIdx idx{};
        for (int dim = 0; dim < d.DimCount; ++dim) idx[static_cast<std::size_t>(dim)] = lo[static_cast<std::size_t>(dim)];
        for (bool more = true; more;) {
            for (int c = 0; c < d.ComponentCount(); ++c) {
                TNodeIdx next = idx;
                next[static_cast<std::size_t>(part.Dir)] += k;
                const int base = d.ColumnOf(c, idx), step = d.ColumnOf(c, next) - base;
                if (base < 0 || step <= 0) {
                    lay.Refusal = "неизвестные задачи не повторяются по окружности";
                    return lay;
                }
                lay.Base.push_back(d.ColumnBase() + static_cast<std::size_t>(base));
                lay.Stride.push_back(static_cast<std::size_t>(step));
            }
            more = false;
            for (int dim = d.DimCount - 1; dim >= 0 && !more; --dim) {
                const auto i = static_cast<std::size_t>(dim);
                if (idx[i] < hi[i]) {
                    ++idx[i];
                    more = true;
                } else {
                    idx[i] = lo[i];
                }
            }
        }
    }

    // The rows: a row line is one equation (its name without the numbers in
    // it) at one node of one domain (its first term's) up to a rotation by
    // whole cells; the cell is where the rotation puts it. A row without
    // equation stands on its unknown's line and cell.
    const std::size_t n = p.UnknownCount(), lines = lay.Base.size();
    std::vector<std::uint32_t> lineOf(n, ~0u), cellOf(n, 0);
    for (std::size_t l = 0; l < lines; ++l)
        for (std::size_t q = 0; q < g; ++q) {
            const std::size_t u = lay.Base[l] + q * lay.Stride[l];
            if (u >= n || lineOf[u] != ~0u) {
                lay.Refusal = "неизвестные задачи не повторяются по окружности";
                return lay;
            }
            lineOf[u] = static_cast<std::uint32_t>(l);
            cellOf[u] = static_cast<std::uint32_t>(q);
        }
    if (lines * g != n) {
        lay.Refusal = "не все неизвестные задачи лежат на замкнутой окружности";
        return lay;
    }
    const TEquationList& eq = p.Equations();
    // Row lines by node of cell 0 (a slot): each holds the few equations
    // written there, by name, chained through Next.
    struct TRowLine {
        std::string Name;
        std::uint32_t Next;
    };
    std::vector<TRowLine> rowLines;
    std::vector<std::uint32_t> slotHead(slots, ~0u), unknownLine(lines, ~0u);
    std::unordered_map<std::string, std::uint32_t> elsewhere;  // equations at nodes outside those
    std::vector<std::uint32_t> rowLine(n), rowCell(n);
    std::vector<std::size_t> firstRow, rowCount;
    std::string name, key;
    const TPart* part = &parts.front();
    for (std::size_t r = 0; r < n; ++r) {
        std::size_t cell = 0;
        std::uint32_t* head = nullptr;
        if (const TTermPlace term = eq.FirstTerm(static_cast<int>(r))) {
            if (part->Domain != term->Domain) {
                auto at = std::find_if(parts.begin(), parts.end(), [&](const TPart& x) { return x.Domain == term->Domain; });
                if (at == parts.end()) {
                    lay.Refusal = "уравнение «" + eq.Name(static_cast<int>(r)) + "» не относится к замкнутой области";
                    return lay;
                }
                part = &*at;
            }
            const std::size_t k = part->Steps / g;
            TNodeIdx node = term->NodeIdx;
            const auto dir = static_cast<std::size_t>(part->Dir);
            const auto j = static_cast<std::size_t>(part->Domain->WrapIndex(part->Dir, node[dir]));
            cell = j / k;
            node[dir] = static_cast<int>(j % k);
            name.clear();
            for (char c : eq.Name(static_cast<int>(r)))
                if (c < '0' || c > '9') name += c;
            std::size_t slot = 0;
            bool inside = true;
            for (int dim = 0; dim < part->Domain->DimCount; ++dim) {
                const auto i = static_cast<std::size_t>(dim);
                inside = inside && node[i] >= part->Lo[i] && node[i] <= part->Hi[i];
                slot = slot * static_cast<std::size_t>(part->Hi[i] - part->Lo[i] + 1) +
                       static_cast<std::size_t>(node[i] - part->Lo[i]);
            }
            if (inside) {
                head = &slotHead[part->FirstSlot + slot];
            } else {
                key = name;
                key += '\0';
                key.append(reinterpret_cast<const char*>(&term->Domain), sizeof term->Domain);
                key.append(reinterpret_cast<const char*>(node.data()), sizeof node);
                head = &elsewhere.emplace(key, ~0u).first->second;
            }
        } else {
            cell = cellOf[r];
            head = &unknownLine[lineOf[r]];
            name.clear();
        }
        std::uint32_t line = *head;
        while (line != ~0u && rowLines[line].Name != name) line = rowLines[line].Next;
        if (line == ~0u) {
            line = static_cast<std::uint32_t>(rowLines.size());
            rowLines.push_back({name, *head});
            *head = line;
            firstRow.push_back(r);
            rowCount.push_back(0);
        }
        rowLine[r] = line;
        rowCell[r] = static_cast<std::uint32_t>(cell);
        ++rowCount[line];
    }
    // The L fullest lines of rows repeat; a row of any other line (a row
    // fixing a mean value round the circumference) is odd and fills a hole
    // of a repeating line. Too many of them, or a line of odd rows that is
    // itself most of a circumference (a prescribed deflection over a
    // region), and the lines do not repeat.
    std::vector<std::uint32_t> byCount(firstRow.size());
    std::iota(byCount.begin(), byCount.end(), 0u);
    std::stable_sort(byCount.begin(), byCount.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return rowCount[a] > rowCount[b]; });
    auto odd = [&]() {
        std::size_t fewest = byCount.back();
        for (std::size_t i = lines; i < byCount.size(); ++i)
            if (rowCount[byCount[i]] < rowCount[fewest]) fewest = byCount[i];
        return "уравнение «" + eq.Name(static_cast<int>(firstRow[fewest])) + "» есть не во всех узлах окружности";
    };
    if (firstRow.size() < lines) {
        lay.Refusal = odd();
        return lay;
    }
    std::vector<std::uint32_t> slotLine(firstRow.size(), ~0u);
    for (std::size_t i = 0; i < lines; ++i) slotLine[byCount[i]] = static_cast<std::uint32_t>(i);
    lay.RowOf.assign(lines * g, THarmonicLayout::kNoRow);
    for (std::size_t r = 0; r < n; ++r) {
        const std::uint32_t line = slotLine[rowLine[r]];
        if (line == ~0u) {
            lay.OddRows.push_back(r);
            continue;
        }
        std::size_t& slot = lay.RowOf[std::size_t{line} * g + rowCell[r]];
        if (slot != THarmonicLayout::kNoRow) {
            lay.Refusal = "уравнение «" + eq.Name(static_cast<int>(r)) + "» не повторяется по окружности";
            lay.RowOf.clear();
            return lay;
        }
        slot = r;
    }
    // Each hole in a line of its own, which keeps some row.
    bool shared = false;
    for (std::size_t i = 0; i < lay.RowOf.size(); ++i)
        if (lay.RowOf[i] == THarmonicLayout::kNoRow) {
            shared = shared || (!lay.Holes.empty() && lay.Holes.back() / g == i / g);
            lay.Holes.push_back(i);
        }
    for (std::size_t i = 0; i < lines && !shared; ++i) shared = rowCount[byCount[i]] < 2;
    if (shared || lay.OddRows.size() > kMaxHarmonicOddRows || lay.OddRows.size() != lay.Holes.size()) {
        lay.Refusal = odd();
        lay.RowOf.clear();
        lay.OddRows.clear();
        lay.Holes.clear();
    }
    return lay;
}

bool HarmonicApplies(TProblem& p) {
    p.BuildEquations();
    const THarmonicLayout lay = HarmonicLayout(p);
    return lay.Refusal.empty() && lay.OddRows.empty();
}

int MethodForCopy(TProblem& p, int method) {
    return method == kHarmonicMethod && !HarmonicApplies(p) ? kSparseMethod : method;
}

}  // namespace zem
