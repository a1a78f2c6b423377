#include "problem/Problems.h"
#include "problem/PbHarmonic.h"

#include "solvers/SLEstimate.h"

#include "domains/ElDomain.h"
#include "elements/ElComp.h"
#include "elements/Elements.h"
#include "elements/MyStr.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/extended.h"
#include "platform/progress.h"
#include "problem/PbTypes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string_view>

namespace zem {

TProblem::TProblem(int typeIndex, const std::string& name) : typeIndex_(typeIndex) {
    root_ = CreateProblemElement(typeIndex, this, name);
    root_->DeclareItems();
    root_->Parse();
    CollectDomains();
}

TProblem::~TProblem() = default;

TElement& TProblem::Root() const { return *root_; }

std::unique_ptr<TProblem> TProblem::Clone() const {
    int type = ProblemTypeByNameNoCase(root_->GetTypeName());
    if (type < 0) type = typeIndex_;
    auto copy = std::make_unique<TProblem>(type, root_->Key());
    copy->Root().Assign(*root_);
    copy->CollectDomains();
    return copy;
}

const std::vector<TDmElement*>& TProblem::Domains() const {
    if (domainsVersion_ != TreeVersion()) const_cast<TProblem*>(this)->CollectDomains();
    return domains_;
}

void TProblem::CollectDomains() {
    domainsVersion_ = TreeVersion();
    domains_.clear();
    // Depth first: a domain element is listed and its columns placed after
    // those of the domains before it in its compound; a compound is
    // descended into, each child starting at its UnknownOffset.
    auto walk = [this](auto&& self, TElement& e, std::size_t base) -> void {
        if (auto* dm = dynamic_cast<TDmElement*>(&e)) {
            domains_.push_back(dm);
            if (dm->Domain) dm->Domain->PlaceColumns(*this, base);
        }
        if (auto* comp = dynamic_cast<TElComp*>(&e))
            for (int i = 0; i < comp->ChildCount(); ++i) {
                TElement& child = comp->Child(i);
                self(self, child, e.UnknownOffset(&child, base));
            }
    };
    walk(walk, *root_, 0);
}

void TProblem::BuildEquations() {
    CollectDomains();
    equations_.Clear();
    std::size_t unknowns = 0;
    for (TDmElement* dm : domains_)
        if (dm->Domain) unknowns += dm->Domain->UnknownCount();
    equations_.Reserve(unknowns);
    // A mesh of millions of nodes takes seconds to list: a stop need not wait.
    equations_.SetGrowthCheck([this] {
        if (progress_ && !progress_->Running()) throw EBreakCalcule();
    });
    root_->BuildEquations(equations_);
    equations_.SetGrowthCheck(nullptr);
    equationsVersion_ = TreeVersion();
}

void TProblem::CheckEquationMemory() {
    // Each deferred row holds its name, one term and the list around it: about
    // this much, heap overhead included. A mesh whose rows cannot fit is
    // refused before the first one is made.
    constexpr std::uint64_t kBytesPerRow = 200;
    std::uint64_t unknowns = 0;
    for (TDmElement* dm : Domains())
        if (dm->Domain) unknowns += dm->Domain->UnknownCount();
    const std::uint64_t need = unknowns * kBytesPerRow;
    const std::uint64_t available = AvailableMemory();
    if (need > available)
        throw ZemError("Недостаточно памяти для построения уравнений задачи: " + std::to_string(unknowns) +
                       " неизвестных требуют около " + MemoryText(need) + ", доступно " + MemoryText(available));
}

void TProblem::CreateSolver(int method, TProgress& progress) {
    solver_.reset();
    solver_ = NewSolver(method, UnknownCount(),
                        [this](std::size_t r, TRowItems& items, Extended& freeTerm) { freeTerm = GetRow(r, items); },
                        progress);
    if (auto* harmonic = dynamic_cast<THarmonicSolver*>(solver_.get())) harmonic->SetLayout(HarmonicLayout(*this));
}

void TProblem::Calculate(int method, bool estimateError, TProgress& progress) {
    calculated_ = false;
    progress.SetRunning(true);
    struct TRunning {
        TProgress*& progress;
        ~TRunning() { progress = nullptr; }
    } running{progress_ = &progress};
    progress.CheckStop();
    CheckEquationMemory();
    try {
        BuildEquations();
    } catch (const std::bad_alloc&) {
        equations_.Clear();
        throw ZemError("Недостаточно памяти для построения уравнений задачи");
    }
    if (UnknownCount() == 0) throw ZemError("Задача не имеет неизвестных");
    try {
        CreateSolver(method, progress);
        solver_->Solve();
    } catch (const std::bad_alloc&) {
        solver_.reset();
        throw ZemError("Недостаточно памяти для решения СЛАУ порядка " + std::to_string(UnknownCount()));
    }
    if (estimateError) EstimateError(*solver_);
    progress.FinishCalculation("Расчет закончен");
    calculated_ = true;
}

Extended TProblem::GetRow(std::size_t r, TRowItems& items) {
    if (equationsVersion_ != TreeVersion()) BuildEquations();
    return BuildRow(items, [&] {
        if (r >= UnknownCount() || !equations_.WriteRow(static_cast<int>(r), *this))
            items.push_back(TListItem{r, 1});  // an unknown no equation defines
    });
}

Extended TProblem::BuildRow(TRowItems& items, const std::function<void()>& write) {
    items.clear();
    // A row kept by the caller needs no room for growth: rows of one system
    // are about as long as the last one.
    if (items.capacity() == 0) items.reserve(lastRowSize_);
    row_ = &items;
    rowSorted_ = true;
    freeTerm_ = 0;
    struct TReset {
        TRowItems*& row;
        ~TReset() { row = nullptr; }
    } reset{row_};
    write();
    // Coefficients that came out of column order are put in order once.
    if (!rowSorted_) FinishRow(items);
    lastRowSize_ = items.size();
    return freeTerm_;
}

Extended TProblem::FreeTermOf(std::size_t r, const TCoefSink& sink) {
    TRowItems unused;
    coefSink_ = &sink;
    struct TReset {
        const TCoefSink*& sink;
        ~TReset() { sink = nullptr; }
    } reset{coefSink_};
    return GetRow(r, unused);
}

Extended TProblem::FreeTerm(std::size_t r) {
    if (equationsVersion_ != TreeVersion()) BuildEquations();
    if (r >= UnknownCount()) return 0;
    struct TFree : TRowSink {
        Extended Sum = 0;
        void AddCoef(std::size_t, Extended) override {}
        void AddFree(Extended x) override { Sum += x; }
    } free;
    equations_.WriteFreeTerm(static_cast<int>(r), free);
    return free.Sum;
}

void TProblem::AddFinishedRow(const TListItem* items, std::size_t count, std::size_t shift) {
    ZEM_ASSERT(row_ && row_->empty() && !coefSink_, "a finished row goes into an empty row");
    // Copied as a block, then the columns moved: an extended real copied
    // field by field costs the most.
    row_->insert(row_->end(), items, items + count);
    for (TListItem& item : *row_) item.Col += shift;
    ZEM_ASSERT(count == 0 || row_->back().Col < UnknownCount(), "a column of the system");
}

void TProblem::AddToRow(std::size_t c, Extended x) {
    if (x == 0) return;
    if (coefSink_) return (*coefSink_)(c, x);
    if (!row_) throw std::logic_error("no equation row is being built");
    ZEM_ASSERT(c < UnknownCount(), "a column of the system");
    // Appended; BuildRow orders the row once it is written. Most rows come in
    // column order, or add to their last column again.
    if (!row_->empty()) {
        TListItem& last = row_->back();
        if (last.Col == c && rowSorted_) {
            last.Value += x;
            return;
        }
        if (last.Col > c) rowSorted_ = false;
    }
    row_->push_back(TListItem{c, x});
    // A row with a coefficient at every node (a ring's rigid-body condition)
    // is long: a stop need not wait for its end.
    if (progress_ && (row_->size() & (kStopCheckItems - 1)) == 0 && !progress_->Running())
        throw EBreakCalcule();
}

Extended TProblem::Solution(std::size_t i) const {
    // A problem never solved has no values: answering 0 would pass for a
    // result (a mesh selection once compared its fine mesh with such zeros).
    if (!solver_ || i >= solver_->N()) throw ZemError("Задача не рассчитана");
    return solver_->X().GetItem(i);
}

namespace {
constexpr std::string_view kDigestTag = "ZEMDIGST";
constexpr std::size_t kDigestTail = kDigestTag.size() + 16;
}  // namespace

std::string TProblem::ObjectDigest() const {
    std::uint64_t h = 14695981039346656037ull;
    auto add = [&h](std::string_view bytes) {
        for (unsigned char c : bytes) {
            h ^= c;
            h *= 1099511628211ull;
        }
    };
    for (const std::string& line : TextToLines(root_->Text())) {
        add(line);
        add("\r\n");
    }
    static const char kHex[] = "0123456789abcdef";
    std::string digest(16, '0');
    for (int i = 15; i >= 0; --i, h >>= 4) digest[static_cast<std::size_t>(i)] = kHex[h & 0xF];
    return digest;
}

std::string TProblem::ResultsBytes() const {
    if (!solver_) throw ZemError("Задача не рассчитана");
    const std::size_t n = solver_->N();
    std::string data;
    data.reserve(n * kExtendedSize + kDigestTail);
    unsigned char rec[kExtendedSize];
    for (std::size_t i = 0; i < n; ++i) {
        PackExtended(Solution(i), rec);
        data.append(reinterpret_cast<const char*>(rec), kExtendedSize);
    }
    data += kDigestTag;
    data += ObjectDigest();
    return data;
}

void TProblem::SaveResults(const std::string& nativeFileName) const {
    if (!solver_) RaiseFileFailure(kWriteFailure, nativeFileName, "задача не рассчитана");
    WriteFileAtomic(nativeFileName, ResultsBytes());
}

void TProblem::LoadResults(const std::string& nativeFileName) {
    if (!solver_) RaiseFileFailure(kLoadFailure, nativeFileName, "система уравнений задачи не построена");
    TLineItem& x = solver_->X();
    // A file that ends in the digest tail holds as many values as the
    // unknowns of the problem solved, for the object text of the digest.
    // Any other file is one of bare values, checked by their count.
    std::string tail;
    std::uintmax_t size = 0;
    {
        std::ifstream f(nativeFileName, std::ios::binary | std::ios::ate);
        if (f) {
            size = static_cast<std::uintmax_t>(f.tellg());
            if (size >= kDigestTail && size % kExtendedSize == kDigestTail % kExtendedSize) {
                tail.resize(kDigestTail);
                f.seekg(static_cast<std::streamoff>(size - kDigestTail));
                if (!f.read(tail.data(), static_cast<std::streamsize>(kDigestTail))) tail.clear();
            }
        }
    }
    if (tail.compare(0, kDigestTag.size(), kDigestTag) != 0) {
        x.LoadFromFile(nativeFileName);
        return;
    }
    const std::uintmax_t count = (size - kDigestTail) / kExtendedSize;
    if (count != x.Count())
        RaiseFileFailure(kLoadFailure, nativeFileName,
                         "результаты другой задачи (в файле " + std::to_string(count) + " значений, в задаче " +
                             std::to_string(x.Count()) + " неизвестных)");
    if (tail.compare(kDigestTag.size(), 16, ObjectDigest()) != 0)
        RaiseFileFailure(kLoadFailure, nativeFileName,
                         "результаты получены для другого текста задачи (задача изменена после расчета)");
    std::string data, cause;
    if (!TryReadFileBytes(nativeFileName, static_cast<std::size_t>(size), data, cause))
        RaiseFileFailure(kLoadFailure, nativeFileName, cause);
    if (data.size() != size) RaiseFileFailure(kLoadFailure, nativeFileName, "файл изменился при чтении");
    x.LoadRecords(data, nativeFileName);
}

void TProblem::DoubleMesh() {
    // Refining a span may rebuild its neighbours through the compound: the
    // elements are found again by position after every step.
    const std::size_t count = Domains().size();
    for (std::size_t i = 0; i < count && i < Domains().size(); ++i)
        for (int d = 0; d < Domains()[i]->Domain->DimCount; ++d) Domains()[i]->RefineMesh(d, nullptr);
}

namespace {
// The domain element's own element, when it lies inside a compound: its
// owner chain reaches another element before the problem.
bool InsideCompound(const TDmElement& dm) {
    for (TObject* o = dm.Owner(); o; ) {
        if (dynamic_cast<TElement*>(o)) return true;
        auto* item = dynamic_cast<TElemItem*>(o);
        if (!item) return false;
        o = item->Owner();
    }
    return false;
}
}  // namespace

std::string TProblem::AxisNameByDomain(int d, int j) const {
    const TDmElement& dm = *Domains().at(static_cast<std::size_t>(d));
    std::string axis = dm.MeshItemKey(j);
    return InsideCompound(dm) ? dm.Key() + "." + axis : axis;
}

std::string TProblem::AxisNameByType(int d, int j) const {
    const TDmElement& dm = *Domains().at(static_cast<std::size_t>(d));
    std::string axis = dm.MeshItemKey(j);
    return InsideCompound(dm) ? dm.GetTypeName() + "." + axis : axis;
}

void TProblem::ShowTable(TElement& element, int selector, const std::string& caption,
                         const std::string& extension, std::unique_ptr<TObject> data) {
    if (views_) views_->ShowTable(element, selector, caption, extension, std::move(data));
}

void TProblem::ShowGraph(TElement& element, int selector, const std::string& caption,
                         std::unique_ptr<TObject> data) {
    if (views_) views_->ShowGraph(element, selector, caption, std::move(data));
}

namespace {

// The object text without its meshes, for comparing a problem with an
// approximation that does not record what it was made from.
std::string WithoutMeshes(const TProblem& p) {
    std::string text = p.Root().Text();
    const std::string head = "MESH={";
    for (std::size_t at = text.find(head); at != std::string::npos; at = text.find(head, at)) {
        std::size_t end = at + head.size();
        for (int depth = 1; end < text.size() && depth > 0; ++end) {
            if (text[end] == '{') ++depth;
            if (text[end] == '}') --depth;
        }
        text.erase(at, end - at);
    }
    return text;
}

// Every node of Coarse's meshes is a node of Fine's: Fine was refined from it.
bool Refines(TProblem& fine, TProblem& coarse) {
    if (fine.Domains().size() != coarse.Domains().size()) return false;
    for (std::size_t i = 0; i < coarse.Domains().size(); ++i) {
        const TDomain& c = *coarse.Domains()[i]->Domain;
        const TDomain& f = *fine.Domains()[i]->Domain;
        if (c.DimCount != f.DimCount) return false;
        for (int j = 0; j < c.DimCount; ++j) {
            int k = 0;
            for (int n = 0; n <= c.StepCount(j); ++n) {
                const Extended x = c.NodeCoord(j, n);
                while (k <= f.StepCount(j) && f.NodeCoord(j, k) < x - 1e-10) ++k;
                if (k > f.StepCount(j) || std::fabs(f.NodeCoord(j, k) - x) > 1e-10) return false;
            }
        }
    }
    return true;
}

}  // namespace

bool MadeFromProblem(TProblem& problem, TProblem& approx) {
    if (!approx.MadeFrom.empty()) return approx.MadeFrom == problem.ObjectDigest();
    return WithoutMeshes(approx) == WithoutMeshes(problem) && Refines(approx, problem);
}

}  // namespace zem
