#include "domains/Domains.h"

#include "domains/Equations.h"
#include "elements/ElementHost.h"
#include "elements/MyObjecs.h"
#include "platform/errors.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace zem {

namespace {

// Node coordinates of the two solutions match when closer than this.
constexpr Extended kNodeMatch = 1e-10L;
// A snapped length counts as longer than the level only beyond this share of
// the direction's extent, so that the rounding of a sum of steps cannot drop
// the top node of a full tank.
constexpr Extended kLevelTolerance = 1e-9L;

int Round(double x) { return static_cast<int>(std::lround(x)); }

[[noreturn]] void ValueError() { throw ZemError("Ошибка значения"); }

// A scalar value object (TReal or TWord), or null.
const TReal* AsScalar(const TObject* value) { return dynamic_cast<const TReal*>(value); }

}  // namespace

TDomain::TDomain(TDomainOwner* owner, int dimCount) : Owner(owner), DimCount(dimCount) {
    for (auto& c : coords_) c.assign(1, 0.0L);
}

TDomain::~TDomain() = default;

void TDomain::SetPos(int d, int i) {
    ZEM_ASSERT(d >= 0 && d < DimCount, "a direction of the domain");
    Pos[static_cast<std::size_t>(d)] = i;
}

void TDomain::SetBoundary(TElemList* list) { Boundary = list; }

Extended TDomain::PointLoad(const std::vector<double>&) { return 0; }

// --- Mesh -------------------------------------------------------------------

void TDomain::SetSteps(int d, std::vector<double> steps) {
    steps_[static_cast<std::size_t>(d)] = std::move(steps);
    RebuildCoords(d);
}

void TDomain::RebuildCoords(int d) {
    if (Owner) Owner->DomainReshaped();
    for (auto& slot : LoadFuncs)
        for (auto& item : slot)
            if (item->TableDir == d) item->Table = {};
    const auto& s = steps_[static_cast<std::size_t>(d)];
    auto& c = coords_[static_cast<std::size_t>(d)];
    c.resize(s.size() + 1);
    Extended sum = 0;
    c[0] = 0;
    for (std::size_t k = 0; k < s.size(); ++k) {
        sum += s[k];
        c[k + 1] = sum;
    }
}

int TDomain::WrapIndex(int d, int i) const {
    const int n = StepCount(d);
    if (!Periodic[static_cast<std::size_t>(d)] || n == 0) return i;
    return ((i % n) + n) % n;
}

double TDomain::Step(int d, int k) const {
    const auto& s = steps_[static_cast<std::size_t>(d)];
    if (s.empty()) return 0;
    k = WrapIndex(d, k);
    k = std::clamp(k, 0, static_cast<int>(s.size()) - 1);
    return s[static_cast<std::size_t>(k)];
}

Extended TDomain::NodeCoord(int d, int i) const {
    const int n = StepCount(d);
    if (Periodic[static_cast<std::size_t>(d)] && i > 0 && n > 0) i = WrapIndex(d, i - 1) + 1;
    const auto& c = coords_[static_cast<std::size_t>(d)];
    if (i >= 0 && i <= n) return c[static_cast<std::size_t>(i)];
    // Beyond the ends the end steps repeat (or wrap round).
    Extended x = 0;
    if (i < 0) {
        for (int k = i; k < 0; ++k) x -= Step(d, k);
        return x;
    }
    x = c[static_cast<std::size_t>(n)];
    for (int k = n; k < i; ++k) x += Step(d, k);
    return x;
}

Extended TDomain::Extent(int d) const { return coords_[static_cast<std::size_t>(d)].back(); }

int TDomain::NodeSpan(int d) const {
    const int n = StepCount(d);
    return Periodic[static_cast<std::size_t>(d)] ? n : n + 1 + 2 * VirtualLayers(d);
}

std::size_t TDomain::UnknownCount() const {
    std::size_t count = static_cast<std::size_t>(ComponentCount());
    for (int d = 0; d < DimCount; ++d) count *= static_cast<std::size_t>(NodeSpan(d));
    return count;
}

int TDomain::ColumnOf(int c, const TNodeIdx& idx) const {
    int column = 0;
    for (int d = 0; d < DimCount; ++d) {
        const int i = Periodic[static_cast<std::size_t>(d)] ? WrapIndex(d, idx[static_cast<std::size_t>(d)])
                                                              : idx[static_cast<std::size_t>(d)] + VirtualLayers(d);
        column = column * NodeSpan(d) + i;
    }
    return column * ComponentCount() + c;
}

const TFieldTable& TDomain::Fields() const {
    static const TFieldTable none{};
    return none;
}

Extended TDomain::StepSum(int d, int m) const {
    const int n = StepCount(d);
    if (m <= 0) return 0;
    const auto& c = coords_[static_cast<std::size_t>(d)];
    if (m <= n) return c[static_cast<std::size_t>(m)];
    // Past the end the steps wrap round (closed) or repeat the last one.
    if (Periodic[static_cast<std::size_t>(d)])
        return c[static_cast<std::size_t>(n)] * (m / n) + c[static_cast<std::size_t>(m % n)];
    return c[static_cast<std::size_t>(n)] + static_cast<Extended>(Step(d, n - 1)) * (m - n);
}

void TDomain::BuildSteps(const TObject* meshValue, int d) {
    auto& steps = steps_[static_cast<std::size_t>(d)];
    steps.clear();
    const double length = Lengths[static_cast<std::size_t>(d)];
    bool ok = true;
    // Appends m equal steps of `step`; false for a count or step the mesh
    // cannot have.
    auto append = [&](int m, double step) {
        if (m < 1 || m > kMaxSteps - static_cast<int>(steps.size()) || !(step > 0) || !std::isfinite(step))
            return false;
        steps.insert(steps.end(), static_cast<std::size_t>(m), step);
        return true;
    };
    try {
        if (const auto* word = dynamic_cast<const TWord*>(meshValue)) {
            // 2. N equal steps.
            const int n = word->AsInteger();
            ok = append(n, length / n);
        } else if (const auto* list = dynamic_cast<const TValueList*>(meshValue)) {
            // 3. Fractions f and pairs [m, f], the fractions summing to 1.
            double sum = 0;
            for (int e = 0; ok && e < list->Count(); ++e) {
                const TObject* entry = list->Items(e);
                if (const TReal* f = AsScalar(entry)) {
                    ok = append(1, f->Value * length);
                    sum += f->Value;
                } else if (const auto* pair = dynamic_cast<const TValueList*>(entry); pair && pair->Count() == 2) {
                    const int m = pair->AsInteger(0);
                    const double f = pair->AsReal(1);
                    ok = m >= 1 && append(m, f / m * length);
                    sum += f;
                } else {
                    ok = false;
                }
            }
            if (ok && std::fabs(1 - sum) > 1e-4) ok = false;
        } else {
            // Nothing, or a single number that is not a count of steps.
            ok = false;
        }
    } catch (const std::exception&) {
        ok = false;
    }
    RebuildCoords(d);
    if (!ok) MeshDataError(d);
}

void TDomain::MeshDataError(int d) const {
    throw ZemError("Ошибка данных сетки " + (Owner ? Owner->MeshItemKey(d) : std::string()));
}

// --- Rows and results -----------------------------------------------------------

void TRowSink::AddFinishedRow(const TListItem* items, std::size_t count, std::size_t shift) {
    for (std::size_t k = 0; k < count; ++k) AddCoef(items[k].Col + shift, items[k].Value);
}

void TDomain::PlaceColumns(TElementHost& host, std::size_t base) {
    columnHost_ = &host;
    columnBase_ = base;
    placedAt_ = host.TreeVersion();
}

void TDomain::NoRow() const { throw std::logic_error("no equation row is being written"); }

// A negative column would land in a neighbouring domain's unknowns: the
// domain's numbering and its writers disagree.
void TDomain::AddCoef(int c, const TNodeIdx& idx, Extended x) {
    if (freeOnly_) return;
    const int column = ColumnOf(c, idx);
    ZEM_ASSERT(column >= 0, "a column of this domain");
    if (!row_) NoRow();
    row_->AddCoef(columnBase_ + static_cast<std::size_t>(column), x);
}

Extended TDomain::SolutionAt(int c, const TNodeIdx& idx) {
    const int column = ColumnOf(c, idx);
    ZEM_ASSERT(column >= 0, "a column of this domain");
    return solutionProbe_ ? (*solutionProbe_)(column) : Unknown(column);
}

Extended TDomain::Unknown(int column) {
    if (!columnHost_ || columnHost_->TreeVersion() != placedAt_) {
        // The tree changed shape since the columns were placed: a mesh
        // rebuilt here or in a domain before this one moves them.
        if (TElementHost* host = Owner ? Owner->ColumnHost() : nullptr) host->PlaceColumns();
        if (!columnHost_ || columnHost_->TreeVersion() != placedAt_)
            throw std::logic_error("the domain's unknowns are in no system");
    }
    return columnHost_->GetUnknown(columnBase_ + static_cast<std::size_t>(column));
}

void TDomain::AddFree(Extended x) {
    if (!row_) NoRow();
    row_->AddFree(x);
}

void TDomain::AddEquation(TEquationList& list, const std::string& prefix, double weight, TEquatWriter writer,
                          const TNodeIdx& nodeIdx) {
    TNodeIdx node{};
    for (int d = 0; d < DimCount; ++d) node[static_cast<std::size_t>(d)] = nodeIdx[static_cast<std::size_t>(d)];
    list.AddAtNode(*this, prefix, node, weight, std::move(writer));
}

// --- Loads ----------------------------------------------------------------------

Extended TDomain::LoadValue(int slot) {
    RegionHit = false;
    if (slot < 0 || slot >= static_cast<int>(LoadFuncs.size())) return 0;
    Extended sum = 0;
    for (const auto& item : LoadFuncs[static_cast<std::size_t>(slot)])
        sum += item->TableDir >= 0 ? TabulatedLoad(*item) : (this->*(item->Func))(item->Params);
    return sum;
}

Extended TDomain::TabulatedLoad(TLoadFuncItem& item) {
    const int d = item.TableDir;
    const auto k = static_cast<std::size_t>(d);
    const int i = Pos[k], n = StepCount(d);
    if (i < 0 || i > n) return (this->*(item.Func))(item.Params);
    if (item.Table.size() != static_cast<std::size_t>(n) + 1) {
        // The same evaluation at every node of the direction, the node moved
        // there alone (the function reads nothing else of the position).
        item.Table.resize(static_cast<std::size_t>(n) + 1);
        for (int m = 0; m <= n; ++m) {
            Pos[k] = m;
            item.Table[static_cast<std::size_t>(m)] = (this->*(item.Func))(item.Params);
        }
        Pos[k] = i;
    }
    return item.Table[static_cast<std::size_t>(i)];
}

void TDomain::AddLoadFunc(int slot, TLoadFunc func, std::vector<double> params) {
    if (slot < 0) return;
    if (slot >= static_cast<int>(LoadFuncs.size())) LoadFuncs.resize(static_cast<std::size_t>(slot) + 1);
    auto item = std::make_unique<TLoadFuncItem>(func, std::move(params));
    if ((func == &TDomain::CosLoad || func == &TDomain::SinLoad) && !item->Params.empty()) {
        const int d = Round(item->Params[0]);
        if (d >= 0 && d < DimCount) item->TableDir = d;
    }
    LoadFuncs[static_cast<std::size_t>(slot)].push_back(std::move(item));
}

void TDomain::AddUniformLoad(int slot, const TObject* value) {
    double q = 0;
    if (const TReal* x = AsScalar(value))
        q = x->Value;
    else if (const auto* list = dynamic_cast<const TValueList*>(value))
        for (int i = 0; i < list->Count(); ++i) q += list->AsReal(i);
    else
        ValueError();
    AddLoadFunc(slot, &TDomain::ConstLoad, {q});
}

void TDomain::AddHydrostaticLoad(int slot, int d, const TObject* value) {
    if (const TReal* x = AsScalar(value))
        AddHydrostatics(slot, d, x->Value, Lengths[static_cast<std::size_t>(d)]);
    else if (const auto* list = dynamic_cast<const TValueList*>(value))
        AddHydrostatics(slot, d, list->AsReal(0), list->AsReal(1));
    else
        ValueError();
}

void TDomain::AddHarmonicLoad(int slot, int d, const TObject* value) {
    if (const TReal* x = AsScalar(value)) {
        AddLoadFunc(slot, &TDomain::ConstLoad, {x->Value});
        return;
    }
    const auto* list = dynamic_cast<const TValueList*>(value);
    if (!list) ValueError();
    const double dir = d;
    for (int k = 0; k < list->Count(); ++k) {
        const TObject* entry = list->Items(k);
        if (const TReal* a = AsScalar(entry)) {
            AddLoadFunc(slot, &TDomain::CosLoad, {dir, a->Value, double(k)});
        } else if (const auto* pair = dynamic_cast<const TValueList*>(entry); pair && pair->Count() == 2) {
            const double a = pair->AsReal(0);
            const double b = pair->AsReal(1);
            AddLoadFunc(slot, &TDomain::CosLoad, {dir, a, double(k)});
            AddLoadFunc(slot, &TDomain::SinLoad, {dir, b, double(k)});
        } else {
            ValueError();
        }
    }
}

void TDomain::AddHydrostatics(int slot, int d, double gamma, double h) {
    if (!(h > 0) || StepCount(d) == 0) return;  // no liquid above the start
    const Extended level = h;
    // 1. Snap [0, h] to cell edges.
    Extended r = 0;
    int iHi = 0, iLo = 0;
    SnapInterval(d, r, iHi, iLo, 1, level, 0);
    // 2. An edge above the level is replaced by the next edge below it, unless
    //    that would leave no node under the liquid; a length that exceeds the
    //    level only by the rounding of the step sum is not above it.
    if (r - level > kLevelTolerance * std::max(level, Extent(d)) && iHi > iLo) {
        --iHi;
        r = NodeCoord(d, iHi) + Step(d, iHi) / 2;
    }
    // 3. Pressures at the start and at the snapped edge.
    const Extended p0 = gamma * level;
    const Extended p1 = gamma * (level - r);
    // 4. The resultant of gamma*(h - x) over the part a of the direction the
    //    liquid covers, against that of the trapezoid applied over r; the
    //    difference is spread uniformly.
    const Extended a = std::min(level, Extent(d));
    const Extended f = gamma * (level * a - a * a / 2);
    const Extended t = (p0 + p1) * r / 2;
    const Extended c = (f - t) / r;
    // 5. A single node under the liquid carries the resultant uniformly over
    //    its cell.
    const Extended qLo = iHi > iLo ? p0 + c : f / r;
    const Extended qHi = iHi > iLo ? p1 + c : f / r;
    AddLoadFunc(slot, &TDomain::SegmentLoad,
                {static_cast<double>(d), static_cast<double>(iLo), static_cast<double>(iHi),
                 static_cast<double>(qLo), static_cast<double>(qHi)});
}

Extended TDomain::ConstLoad(const std::vector<double>& p) { return p.at(0); }

Extended TDomain::SegmentLoad(const std::vector<double>& p) {
    const int d = Round(p.at(0));
    const int iLo = Round(p.at(1));
    const int iHi = Round(p.at(2));
    const int i = GetPos(d);
    if (i < iLo || i > iHi) return 0;
    const Extended xLo = NodeCoord(d, iLo);
    const Extended span = NodeCoord(d, iHi) - xLo;
    if (span == 0) return p.at(3);  // a segment of one node
    return p.at(3) + (PosCoord(d) - xLo) * (p.at(4) - p.at(3)) / span;
}

Extended TDomain::LinearLoad(const std::vector<double>& p) {
    const int d = Round(p.at(0));
    return p.at(1) + PosCoord(d) * (p.at(2) - p.at(1)) / Extent(d);
}

Extended TDomain::CosLoad(const std::vector<double>& p) {
    const int d = Round(p.at(0));
    return p.at(1) * std::cos(2 * std::numbers::pi_v<Extended> * p.at(2) * PosCoord(d) / Extent(d));
}

Extended TDomain::SinLoad(const std::vector<double>& p) {
    const int d = Round(p.at(0));
    return p.at(1) * std::sin(2 * std::numbers::pi_v<Extended> * p.at(2) * PosCoord(d) / Extent(d));
}

// --- Cell edges and nearest nodes ---------------------------------------------------

Extended TDomain::LowerCellEdge(int d, Extended x, int& i) const {
    Extended best = 0;
    i = 0;
    for (int a = 1; a <= StepCount(d); ++a) {
        const Extended edge = NodeCoord(d, a) - Step(d, a - 1) / 2.0L;
        if (std::fabs(edge - x) < std::fabs(best - x)) {
            best = edge;
            i = a;
        }
    }
    return best;
}

Extended TDomain::UpperCellEdge(int d, Extended x, int& i) const {
    const int n = StepCount(d);
    Extended best = Extent(d);
    i = n;
    for (int b = n - 1; b >= 0; --b) {
        const Extended edge = NodeCoord(d, b) + Step(d, b) / 2.0L;
        if (std::fabs(edge - x) <= std::fabs(best - x)) {
            best = edge;
            i = b;
        }
    }
    return best;
}

Extended TDomain::SnapInterval(int d, Extended& len, int& iHi, int& iLo, Extended total, Extended xHi,
                               Extended xLo) const {
    const Extended hi = UpperCellEdge(d, xHi, iHi);
    const Extended lo = LowerCellEdge(d, xLo, iLo);
    len = hi - lo;
    return xHi != xLo ? total * (xHi - xLo) / len : total / len;
}

std::vector<int> TDomain::NearestNodes(int d, int count, Extended x) const {
    const int n = StepCount(d);
    const auto& c = coords_[static_cast<std::size_t>(d)];
    if (n > 0) {
        // A node lying exactly at x answers alone.
        const auto at = std::lower_bound(c.begin(), c.begin() + n, x);
        if (at != c.begin() + n && *at == x) return {static_cast<int>(at - c.begin())};
    }
    // The candidates j = 0 ... 2n - 1 lie at the increasing sums StepSum(j):
    // the nearest are found by widening a window around x, the lower index
    // winning a tie.
    int hi = 0, top = 2 * n;
    for (int lo = 0; lo < top;) {
        const int mid = lo + (top - lo) / 2;
        if (StepSum(d, mid) < x)
            lo = mid + 1;
        else
            top = mid;
        hi = lo;
    }
    int lo = hi - 1;
    std::vector<int> nodes;
    for (int k = 0; k < count && (lo >= 0 || hi < 2 * n); ++k) {
        const bool takeLow =
            hi >= 2 * n || (lo >= 0 && std::fabs(StepSum(d, lo) - x) <= std::fabs(StepSum(d, hi) - x));
        nodes.push_back(takeLow ? lo-- : hi++);
    }
    std::sort(nodes.begin(), nodes.end());
    return nodes;
}

// --- Mesh error -------------------------------------------------------------------

int TDomain::MatchNode(TDomain& f, int e, int from) const {
    const Extended x = NodeCoord(e, GetPos(e));
    for (int k = from; k <= f.StepCount(e); ++k) {
        if (std::fabs(f.NodeCoord(e, k) - x) <= kNodeMatch) {
            f.SetPos(e, k);
            return k;
        }
    }
    throw ZemError("Узлы сеток не совпадают: сетка решения не получена делением шагов");
}

Extended TDomain::NodeDifference(int kind, TDomain& f, int comp, Extended acc) {
    const Extended diff = f.ResultValue(comp) - ResultValue(comp);
    if (kind == 1) return std::max(acc, std::fabs(diff));
    return acc + diff * diff;
}

void TDomain::ErrorSweep(int kind, TDomain& f, int comp, int skipDir, int dir, Extended& acc) {
    while (dir < DimCount && dir == skipDir) ++dir;
    if (dir >= DimCount) {
        acc = NodeDifference(kind, f, comp, acc);
        return;
    }
    int from = 0;
    for (int i = 0; i <= StepCount(dir); ++i) {
        SetPos(dir, i);
        from = MatchNode(f, dir, from);
        ErrorSweep(kind, f, comp, skipDir, dir + 1, acc);
    }
}

Extended TDomain::ErrorSum(int kind, TDomain& f, int comp, int skipDir, Extended acc) {
    ErrorSweep(kind, f, comp, skipDir, 0, acc);
    if (kind == 0)
        for (int e = 0; e < DimCount; ++e)
            if (e != skipDir) acc = std::sqrt(acc) / (StepCount(e) + 1);
    return acc;
}

void TDomain::ForEachNode(const std::function<void()>& visit) {
    const int last0 = Periodic[0] ? StepCount(0) - 1 : StepCount(0);
    if (DimCount == 1) {
        for (int i = 0; i <= last0; ++i) {
            SetPos(0, i);
            visit();
        }
        return;
    }
    const int last1 = Periodic[1] ? StepCount(1) - 1 : StepCount(1);
    for (int j = 0; j <= last1; ++j) {
        SetPos(1, j);
        for (int i = 0; i <= last0; ++i) {
            SetPos(0, i);
            visit();
        }
    }
}

double TDomain::MaxAbsResult(int comp) {
    double m = 0;
    ForEachNode([&] { m = std::max(m, static_cast<double>(std::fabs(ResultValue(comp)))); });
    return m;
}

void TDomain::ForEachMatchedNode(TDomain& f, const std::function<void()>& visit) {
    if (DimCount == 1) {
        int from = 0;
        for (int i = 0; i <= StepCount(0); ++i) {
            SetPos(0, i);
            from = MatchNode(f, 0, from);
            visit();
        }
        return;
    }
    // Every node of the surface once, matched on F direction by direction.
    int from1 = 0;
    const int last1 = Periodic[1] ? StepCount(1) - 1 : StepCount(1);
    for (int j = 0; j <= last1; ++j) {
        SetPos(1, j);
        from1 = MatchNode(f, 1, from1);
        int from0 = 0;
        for (int i = 0; i <= StepCount(0); ++i) {
            SetPos(0, i);
            from0 = MatchNode(f, 0, from0);
            visit();
        }
    }
}

TDomain::TLargestDifference TDomain::LargestDifference(int comp, TDomain& f) {
    TLargestDifference largest;
    Extended worst = -1;
    ForEachMatchedNode(f, [&] {
        const Extended coarse = ResultValue(comp), fine = f.ResultValue(comp);
        if (std::fabs(fine - coarse) <= worst) return;
        worst = std::fabs(fine - coarse);
        largest = {Pos, coarse, fine};
    });
    return largest;
}

Extended TDomain::MeshError(int kind, int comp, TDomain& f) {
    Extended acc = 0;
    long nodes = 0;
    ForEachMatchedNode(f, [&] {
        acc = NodeDifference(kind, f, comp, acc);
        ++nodes;
    });
    if (kind == 0 && nodes > 0) acc = std::sqrt(acc / nodes);
    const double m = f.MaxAbsResult(comp);
    if (m == 0) {
        // An unloaded problem: two zero solutions agree; anything else has no
        // magnitude to be measured against.
        if (acc == 0) return 0;
        throw ZemError("Погрешность не определена: результат на уточненной сетке равен нулю");
    }
    return 100 * acc / m;
}

namespace {

// A fixed pseudo-random sign per column.
bool ColumnSign(int column) {
    std::uint64_t z = static_cast<std::uint64_t>(column) + 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return ((z ^ (z >> 31)) & 1) != 0;
}

// A field smaller than this share of the size rounding can give it counts as
// zero. Elimination loses several digits on the stiff shell systems, so the
// share is well above the unit roundoff of a double.
constexpr Extended kRoundingShare = 1e-8L;
// The results read to find the size of the unknowns.
constexpr int kScannedKinds = 3;

}  // namespace

bool TDomain::ResultIsRoundingZero(int comp, int kinds) {
    const TNodeIdx saved = Pos;
    struct TRestore {
        TDomain& d;
        TNodeIdx pos;
        ~TRestore() {
            d.solutionProbe_ = nullptr;
            for (int e = 0; e < d.DimCount; ++e) d.SetPos(e, pos[static_cast<std::size_t>(e)]);
        }
    } restore{*this, saved};

    // The field's largest magnitude, and the largest unknown that it and the
    // first results (every type begins with its displacements) read. Missing
    // an unknown only makes the measure stricter.
    Extended largest = 0, field = 0;
    const std::function<Extended(int)> record = [&](int column) {
        const Extended v = Unknown(column);
        largest = std::max(largest, std::fabs(v));
        return v;
    };
    solutionProbe_ = &record;
    ForEachNode([&] {
        for (int k = 0; k < std::min(kinds, kScannedKinds); ++k)
            if (k != comp) (void)ResultValue(k);
        field = std::max(field, std::fabs(ResultValue(comp)));
    });
    if (field == 0) return true;

    // The same formulas on a solution of that size with random signs: the
    // size the field takes from errors of the unknowns' order.
    Extended noise = 0;
    const std::function<Extended(int)> random = [&](int column) { return ColumnSign(column) ? largest : -largest; };
    solutionProbe_ = &random;
    ForEachNode([&] { noise = std::max(noise, std::fabs(ResultValue(comp))); });
    return field <= kRoundingShare * noise;
}

double TDomain::ErrorTolerance(int comp, double pct) { return MaxAbsResult(comp) * pct / 100; }

std::optional<TStepMarks> TDomain::MarkSteps(int kind, int comp, double pct, int e, TDomain& f) {
    const double tol = f.ErrorTolerance(comp, pct);
    const int n = StepCount(e);
    TStepMarks marks(static_cast<std::size_t>(n), 0);
    bool any = false;
    int from = 0;
    for (int k = 0; k <= n; ++k) {
        SetPos(e, k);
        from = MatchNode(f, e, from);
        Extended err = 0;
        if (DimCount == 1)
            err = std::fabs(f.ResultValue(comp) - ResultValue(comp));
        else
            err = ErrorSum(kind, f, comp, e, 0);
        if (err > tol) {
            if (k > 0) marks[static_cast<std::size_t>(k - 1)] = 1;
            if (k < n) marks[static_cast<std::size_t>(k)] = 1;
            any = true;
        }
    }
    if (!any) return std::nullopt;
    return marks;
}

void TDomain::SplitSteps(int e, const TStepMarks* marks) {
    const auto& old = Steps(e);
    std::vector<double> steps;
    steps.reserve(old.size() * 2);
    for (std::size_t k = 0; k < old.size(); ++k) {
        if (!marks || (k < marks->size() && (*marks)[k] != 0)) {
            steps.push_back(old[k] / 2);
            steps.push_back(old[k] / 2);
        } else {
            steps.push_back(old[k]);
        }
    }
    SetSteps(e, std::move(steps));
}

// --- Graph hints --------------------------------------------------------------------

void TDomain::NearestNodeIdx(const TCoords& coords, TNodeIdx& idx) const {
    for (int d = 0; d < DimCount; ++d) {
        const Extended x = coords[static_cast<std::size_t>(d)];
        int best = 0;
        for (int i = 1; i <= StepCount(d); ++i)
            if (std::fabs(NodeCoord(d, i) - x) < std::fabs(NodeCoord(d, best) - x)) best = i;
        idx[static_cast<std::size_t>(d)] = best;
    }
}

std::string TDomain::CoordText(const TNodeIdx& idx, const TTableModel::TNumberFormat& format) const {
    std::string text;
    for (int d = 0; d < DimCount; ++d) {
        if (d > 0) text += "; ";
        text += format(NodeCoord(d, idx[static_cast<std::size_t>(d)]));
    }
    return text;
}

std::string TDomain::HintCoords(const TRect& rect, const TPoint& point,
                                const TTableModel::TNumberFormat& format) const {
    TCoords coords{};
    PointToCoords(rect, point, coords);
    TNodeIdx idx{};
    NearestNodeIdx(coords, idx);
    return CoordText(idx, format);
}

std::string TDomain::HintValue(const TRect& rect, const TPoint& point, const TObject& table,
                               const TTableModel::TNumberFormat& format) const {
    TCoords coords{};
    PointToCoords(rect, point, coords);
    TNodeIdx idx{};
    NearestNodeIdx(coords, idx);
    return format(TableValue(idx, table));
}

}  // namespace zem
