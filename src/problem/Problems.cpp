#include "problem/Problems.h"

#include "solvers/SLEstimate.h"

#include "domains/ElDomain.h"
#include "elements/ElComp.h"
#include "elements/Elements.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/extended.h"
#include "platform/progress.h"
#include "problem/PbTypes.h"

#include <fstream>

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
    root_->BuildEquations(equations_);
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
}

void TProblem::Calculate(int method, bool estimateError, TProgress& progress) {
    calculated_ = false;
    progress.SetRunning(true);
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
    freeTerm_ = 0;
    struct TReset {
        TRowItems*& row;
        ~TReset() { row = nullptr; }
    } reset{row_};
    write();
    lastRowSize_ = items.size();
    return freeTerm_;
}

void TProblem::AddToRow(std::size_t c, Extended x) {
    if (x == 0) return;
    if (!row_) throw std::logic_error("no equation row is being built");
    ZEM_ASSERT(c < UnknownCount(), "a column of the system");
    auto it = row_->begin();
    while (it != row_->end() && it->Col < c) ++it;
    if (it != row_->end() && it->Col == c)
        it->Value += x;
    else
        row_->insert(it, TListItem{c, x});
}

Extended TProblem::Solution(std::size_t i) const {
    // A problem never solved has no values: answering 0 would pass for a
    // result (a mesh selection once compared its fine mesh with such zeros).
    if (!solver_ || i >= solver_->N()) throw ZemError("Задача не рассчитана");
    return solver_->X().GetItem(i);
}

void TProblem::SaveResults(const std::string& nativeFileName) const {
    if (!solver_) RaiseFileFailure(kWriteFailure, nativeFileName, "задача не рассчитана");
    solver_->X().SaveToFile(nativeFileName);
}

void TProblem::LoadResults(const std::string& nativeFileName) {
    if (!solver_) RaiseFileFailure(kLoadFailure, nativeFileName, "система уравнений задачи не построена");
    solver_->X().LoadFromFile(nativeFileName);
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

}  // namespace zem
