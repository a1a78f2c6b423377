#include "domains/Equations.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cassert>
#include <charconv>
#include <cstring>
#include <stdexcept>
#include <unordered_map>

namespace zem {

namespace {

std::atomic<bool> checkCopies{false};

// Records a row's coefficients as they come (zeros dropped, as a problem's
// row drops them) and its free-term additions.
class TCapture : public TRowSink {
public:
    TRowItems Items;
    std::vector<Extended> Free;
    void AddCoef(std::size_t column, Extended x) override {
        if (x != 0) Items.push_back(TListItem{column, x});
    }
    void AddFree(Extended x) override { Free.push_back(x); }
    void Clear() {
        Items.clear();
        Free.clear();
    }
};

// Passes the free term on, recording its additions as well.
class TFreeTap : public TRowSink {
public:
    explicit TFreeTap(TRowSink& sink, std::vector<Extended>* tap) : sink_(sink), tap_(tap) {}
    void AddCoef(std::size_t, Extended) override {}
    void AddFree(Extended x) override {
        if (tap_) tap_->push_back(x);
        sink_.AddFree(x);
    }

private:
    TRowSink& sink_;
    std::vector<Extended>* tap_;
};

bool SameBits(Extended a, Extended b) {
    // The 80 significant bits of an extended real; the padding is not compared.
    constexpr std::size_t bits = sizeof(Extended) < 10 ? sizeof(Extended) : 10;
    return std::memcmp(&a, &b, bits) == 0;
}

}  // namespace

void FinishRow(TRowItems& items) {
    std::stable_sort(items.begin(), items.end(), [](const TListItem& a, const TListItem& b) { return a.Col < b.Col; });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (kept > 0 && items[kept - 1].Col == items[i].Col)
            items[kept - 1].Value += items[i].Value;
        else
            items[kept++] = items[i];
    }
    items.resize(kept);
}

// --- TSLAEEquat ----------------------------------------------------------------------

TSLAEEquat::TSLAEEquat(TDomain* domain, const TNodeIdx& nodeIdx, TEquatWriter writer, double weight)
    : Domain(domain), NodeIdx(nodeIdx), Writer(std::move(writer)), Weight(weight) {}

void TSLAEEquat::Write(TRowSink& row, bool freeOnly) const {
    assert(Domain && Writer && "a term names its domain and writer");
    for (int d = 0; d < Domain->DimCount; ++d) Domain->SetPos(d, NodeIdx[static_cast<std::size_t>(d)]);
    const TDomain::TRowScope scope(*Domain, row, freeOnly);
    Writer(*Domain, Weight);
}

// --- The copies of repeating rows ------------------------------------------------------

// The finished rows of writer kinds by the pattern of steps around their node
// (TDomain::CoefReach), with their columns local to the domain; a row of the
// same kind and pattern elsewhere is the copy shifted by the columns between
// the two nodes, provided no column of it crosses the seam of a closed
// direction or an end (then it is written afresh).
class TEquationList::TCopies {
public:
    // Past so many items the store keeps no more rows (a mesh graded in
    // every direction repeats little).
    static constexpr std::size_t kMaxItems = std::size_t{1} << 20;
    static constexpr int kMaxReach = 6;

    // The pattern of a node for a kind: per direction the node itself, or
    // its distances to the ends and the steps in reach.
    struct TKey {
        std::uint32_t Kind = 0, Count = 0;
        std::array<std::uint64_t, 2 * (2 * kMaxReach + 2)> Words{};
        bool operator==(const TKey& o) const {
            return Kind == o.Kind && Count == o.Count &&
                   std::equal(Words.begin(), Words.begin() + Count, o.Words.begin());
        }
        std::uint64_t Hash() const {
            // Each word mixed through the splitmix64 finaliser before it joins.
            auto mix = [](std::uint64_t x) {
                x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
                x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
                return x ^ (x >> 31);
            };
            std::uint64_t h = mix(Kind);
            for (std::uint32_t k = 0; k < Count; ++k) h = mix(h ^ mix(Words[k] + k));
            return h;
        }
    };
    struct TTemplate {
        TKey Key;
        std::array<int, kMaxDims> Pos{}, Lo{}, Hi{};  // the node's line, its columns' line offsets
        std::size_t First = 0, Count = 0;             // into Items
    };

    // Whether any direction of the domain repeats.
    static bool Repeats(const TDomain& d) {
        for (int e = 0; e < d.DimCount; ++e)
            if (Reach(d, e) >= 0) return true;
        return false;
    }
    static int Reach(const TDomain& d, int e) {
        const int r = d.CoefReach(e);
        return r > kMaxReach ? -1 : r;
    }
    static int Line(const TDomain& d, int e, int i) {
        return d.Periodic[static_cast<std::size_t>(e)] ? d.WrapIndex(e, i) : i + d.VirtualLayers(e);
    }

    static void MakeKey(std::uint32_t kind, const TDomain& d, const TNodeIdx& node, TKey& key) {
        key.Kind = kind;
        std::uint32_t n = 0;
        for (int e = 0; e < d.DimCount; ++e) {
            const int i = node[static_cast<std::size_t>(e)];
            const int r = Reach(d, e);
            if (r < 0) {
                key.Words[n++] = static_cast<std::uint32_t>(i);
                continue;
            }
            if (!d.Periodic[static_cast<std::size_t>(e)]) {
                const int steps = d.StepCount(e);
                key.Words[n++] = static_cast<std::uint32_t>(std::clamp(i, -r - 1, r + 1)) |
                                 std::uint64_t{static_cast<std::uint32_t>(std::clamp(steps - i, -r - 1, r + 1))} << 32;
            }
            const std::vector<double>& steps = d.Steps(e);
            const int count = static_cast<int>(steps.size());
            for (int k = i - r; k < i + r; ++k) {
                const double h = k >= 0 && k < count ? steps[static_cast<std::size_t>(k)] : d.Step(e, k);
                std::memcpy(&key.Words[n++], &h, sizeof h);
            }
        }
        key.Count = n;
    }

    // The template for Key whose columns all stay inside the domain when
    // moved to Node, and the shift of its columns; null when there is none.
    const TTemplate* Find(const TKey& key, const TDomain& d, const TNodeIdx& node, std::size_t& shift) {
        // Rows of one kind come in runs of one pattern: the kind's last
        // template is tried first.
        if (key.Kind >= last_.size()) last_.resize(key.Kind + 1, kNone);
        std::uint32_t index = last_[key.Kind];
        if (index == kNone || !(templates_[index].Key == key)) {
            const auto at = byKey_.find(key.Hash());
            if (at == byKey_.end()) return nullptr;
            index = at->second;
            if (!(templates_[index].Key == key)) return nullptr;
            last_[key.Kind] = index;
        }
        const TTemplate& t = templates_[index];
        std::size_t delta = 0, stride = static_cast<std::size_t>(d.ComponentCount());
        for (int e = d.DimCount; e-- > 0;) {
            const auto k = static_cast<std::size_t>(e);
            const int line = Line(d, e, node[k]);
            if (line + t.Lo[k] < 0 || line + t.Hi[k] >= d.NodeSpan(e)) return nullptr;
            delta += static_cast<std::size_t>(static_cast<std::ptrdiff_t>(line - t.Pos[k])) * stride;
            stride *= static_cast<std::size_t>(d.NodeSpan(e));
        }
        shift = d.ColumnBase() + delta;
        return &t;
    }

    const TListItem* ItemsOf(const TTemplate& t) const { return Items.data() + t.First; }

    // Keeps Row, finished at Node, as the template of Key, unless it reaches
    // outside the domain or a template of the key already spans fewer
    // lines.
    void Keep(const TKey& key, const TDomain& d, const TNodeIdx& node, const TRowItems& row) {
        if (Items.size() + row.size() > kMaxItems) return;
        TTemplate t;
        t.Key = key;
        const std::size_t base = d.ColumnBase(), count = d.UnknownCount();
        const auto comps = static_cast<std::size_t>(d.ComponentCount());
        for (int e = 0; e < d.DimCount; ++e) {
            const auto k = static_cast<std::size_t>(e);
            t.Pos[k] = Line(d, e, node[k]);
            t.Lo[k] = 0;
            t.Hi[k] = 0;
        }
        for (const TListItem& it : row) {
            if (it.Col < base || it.Col - base >= count) return;
            std::size_t line = (it.Col - base) / comps;
            for (int e = d.DimCount; e-- > 0;) {
                const auto k = static_cast<std::size_t>(e);
                const auto span = static_cast<std::size_t>(d.NodeSpan(e));
                const int off = static_cast<int>(line % span) - t.Pos[k];
                line /= span;
                t.Lo[k] = std::min(t.Lo[k], off);
                t.Hi[k] = std::max(t.Hi[k], off);
            }
        }
        const auto [at, added] = byKey_.emplace(key.Hash(), static_cast<std::uint32_t>(templates_.size()));
        if (!added) {
            const TTemplate& old = templates_[at->second];
            if (!(old.Key == key)) return;  // another pattern of the same hash keeps its place
            int oldSpan = 0, newSpan = 0;
            for (std::size_t k = 0; k < kMaxDims; ++k) {
                oldSpan += old.Hi[k] - old.Lo[k];
                newSpan += t.Hi[k] - t.Lo[k];
            }
            if (newSpan >= oldSpan) return;
            at->second = static_cast<std::uint32_t>(templates_.size());
        }
        t.First = Items.size();
        t.Count = row.size();
        for (const TListItem& it : row) Items.push_back(TListItem{it.Col - base, it.Value});
        if (key.Kind < last_.size()) last_[key.Kind] = kNone;  // the run's template may have been replaced
        templates_.push_back(t);
    }

    TRowItems Items;
    TCapture Fresh, Check;
    TKey Key;
    std::size_t Copied = 0;

private:
    static constexpr std::uint32_t kNone = ~std::uint32_t{0};
    std::vector<TTemplate> templates_;
    std::vector<std::uint32_t> last_;  // by kind
    std::unordered_map<std::uint64_t, std::uint32_t> byKey_;
};

// --- TEquationList -----------------------------------------------------------------------

TEquationList::TEquationList() = default;
TEquationList::~TEquationList() = default;

void TEquationList::SetCheckCopies(bool on) { checkCopies = on; }

std::size_t TEquationList::CopiedRows() const { return copies_ ? copies_->Copied : 0; }

void TEquationList::AddGiven(std::string name, std::size_t first) {
    entries_.push_back(TEntry{kGiven, {static_cast<int>(given_.size()), 0}});
    given_.push_back(TGiven{std::move(name), first, terms_.size()});
    Grown();
}

void TEquationList::Add(std::string name, std::unique_ptr<TSLAEEquat> equat) {
    const std::size_t first = terms_.size();
    if (equat) terms_.push_back(std::move(*equat));
    AddGiven(std::move(name), first);
}

void TEquationList::AddTerms(std::string name, std::vector<std::unique_ptr<TSLAEEquat>> terms) {
    const std::size_t first = terms_.size();
    for (auto& term : terms)
        if (term) terms_.push_back(std::move(*term));
    AddGiven(std::move(name), first);
}

std::uint32_t TEquationList::KindOf(TDomain& domain, const std::string& prefix, double weight,
                                    TEquatWriter& writer) {
    auto same = [&](const TKind& k) {
        return k.Domain == &domain && k.Weight == weight && k.Writer.SameAs(writer) && k.Prefix == prefix;
    };
    // A domain registers its rows in long runs of a few kinds.
    if (writer.HasId()) {
        if (lastKind_ != kGiven && same(kinds_[lastKind_])) return lastKind_;
        for (std::size_t k = shared_.size(); k-- > 0;)
            if (same(kinds_[shared_[k]])) return lastKind_ = shared_[k];
        shared_.push_back(static_cast<std::uint32_t>(kinds_.size()));
    }
    const std::string element = domain.Owner ? domain.Owner->EquationPrefix() : std::string();
    // A list holds a few distinct element prefixes, met in long runs.
    std::uint32_t e = 0;
    while (e < elements_.size() && elements_[e] != element) ++e;
    if (e == elements_.size()) elements_.push_back(element);
    kinds_.push_back(TKind{&domain, prefix, weight, std::move(writer), e});
    const auto kind = static_cast<std::uint32_t>(kinds_.size() - 1);
    if (kinds_[kind].Writer.HasId()) lastKind_ = kind;
    return kind;
}

void TEquationList::AddAtNode(TDomain& domain, const std::string& prefix, const TNodeIdx& node, double weight,
                              TEquatWriter writer) {
    assert(domain.DimCount >= 1 && domain.DimCount <= kMaxDims && "a node has one index per direction");
    entries_.push_back(TEntry{KindOf(domain, prefix, weight, writer), node});
    Grown();
}

const TEquationList::TEntry& TEquationList::At(int row) const {
    if (row < 0 || static_cast<std::size_t>(row) >= entries_.size())
        throw std::out_of_range("equation row " + std::to_string(row));
    return entries_[static_cast<std::size_t>(row)];
}

std::string TEquationList::Name(int row) const {
    const TEntry& entry = At(row);
    if (entry.Kind == kGiven) return given_[static_cast<std::size_t>(entry.Node[0])].Name;
    // Eq(5) on a line, EqI(3,7) on a surface; Span2.Eq(5) inside a compound.
    const TKind& kind = kinds_[entry.Kind];
    std::string name = elements_[kind.Element];
    name += kind.Prefix;
    name += '(';
    for (int d = 0; d < kind.Domain->DimCount; ++d) {
        if (d > 0) name += ',';
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, entry.Node[static_cast<std::size_t>(d)]).ptr;
        name.append(digits, end);
    }
    name += ')';
    return name;
}

int TEquationList::TermCount(int row) const {
    const TEntry& entry = At(row);
    if (entry.Kind != kGiven) return 1;
    const TGiven& given = given_[static_cast<std::size_t>(entry.Node[0])];
    return static_cast<int>(given.Last - given.First);
}

TTermPlace TEquationList::FirstTerm(int row) const {
    const TEntry& entry = At(row);
    if (entry.Kind != kGiven) return TTermPlace{kinds_[entry.Kind].Domain, entry.Node};
    const TGiven& given = given_[static_cast<std::size_t>(entry.Node[0])];
    if (given.First == given.Last) return {};
    return TTermPlace{terms_[given.First].Domain, terms_[given.First].NodeIdx};
}

void TEquationList::WriteTerm(const TKind& kind, const TNodeIdx& node, TRowSink& sink, bool freeOnly) const {
    TDomain& d = *kind.Domain;
    for (int e = 0; e < d.DimCount; ++e) d.SetPos(e, node[static_cast<std::size_t>(e)]);
    const TDomain::TRowScope scope(d, sink, freeOnly);
    kind.Writer(d, kind.Weight);
}

bool TEquationList::WriteRow(int row, TRowSink& sink) const {
    const TEntry& entry = At(row);
    if (entry.Kind == kGiven) {
        const TGiven& given = given_[static_cast<std::size_t>(entry.Node[0])];
        for (std::size_t k = given.First; k < given.Last; ++k) terms_[k].Write(sink);
        return given.First < given.Last;
    }
    const TKind& kind = kinds_[entry.Kind];
    const TDomain& d = *kind.Domain;
    if (!sink.TakesFinishedRows() || !TCopies::Repeats(d)) {
        WriteTerm(kind, entry.Node, sink, false);
        return true;
    }
    if (!copies_) copies_ = std::make_unique<TCopies>();
    TCopies& c = *copies_;
    TCopies::MakeKey(entry.Kind, d, entry.Node, c.Key);
    std::size_t shift = 0;
    if (const TCopies::TTemplate* t = c.Find(c.Key, d, entry.Node, shift)) {
        const bool check = checkCopies;
        if (check) c.Check.Clear();
        {
            TFreeTap tap(sink, check ? &c.Check.Free : nullptr);
            WriteTerm(kind, entry.Node, tap, true);
        }
        const TListItem* items = c.ItemsOf(*t);
        if (check) {
            c.Fresh.Clear();
            WriteTerm(kind, entry.Node, c.Fresh, false);
            FinishRow(c.Fresh.Items);
            bool same = c.Fresh.Items.size() == t->Count && c.Fresh.Free.size() == c.Check.Free.size();
            for (std::size_t k = 0; same && k < t->Count; ++k)
                same = c.Fresh.Items[k].Col == items[k].Col + shift && SameBits(c.Fresh.Items[k].Value, items[k].Value);
            for (std::size_t k = 0; same && k < c.Check.Free.size(); ++k)
                same = SameBits(c.Fresh.Free[k], c.Check.Free[k]);
            if (!same) throw std::logic_error("the copy of row " + Name(row) + " differs from the row written afresh");
        }
        sink.AddFinishedRow(items, t->Count, shift);
        ++c.Copied;
        return true;
    }
    c.Fresh.Clear();
    {
        // The free term goes on as written; the coefficients are finished
        // here and kept.
        struct TSplit : TRowSink {
            TRowSink& Free;
            TRowItems& Items;
            TSplit(TRowSink& free, TRowItems& items) : Free(free), Items(items) {}
            void AddCoef(std::size_t column, Extended x) override {
                if (x != 0) Items.push_back(TListItem{column, x});
            }
            void AddFree(Extended x) override { Free.AddFree(x); }
        } split(sink, c.Fresh.Items);
        WriteTerm(kind, entry.Node, split, false);
    }
    FinishRow(c.Fresh.Items);
    c.Keep(c.Key, d, entry.Node, c.Fresh.Items);
    sink.AddFinishedRow(c.Fresh.Items.data(), c.Fresh.Items.size(), 0);
    return true;
}

bool TEquationList::WriteFreeTerm(int row, TRowSink& sink) const {
    const TEntry& entry = At(row);
    if (entry.Kind != kGiven) {
        WriteTerm(kinds_[entry.Kind], entry.Node, sink, true);
        return true;
    }
    const TGiven& given = given_[static_cast<std::size_t>(entry.Node[0])];
    for (std::size_t k = given.First; k < given.Last; ++k) terms_[k].Write(sink, true);
    return given.First < given.Last;
}

int TEquationList::IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (Name(static_cast<int>(i)) == name) return static_cast<int>(i);
    return -1;
}

void TEquationList::Clear() {
    // The memory goes back too: a list is cleared before it is built again,
    // and after a build that ran out of memory.
    entries_ = {};
    kinds_ = {};
    shared_ = {};
    lastKind_ = kGiven;
    elements_ = {};
    given_ = {};
    terms_ = {};
    copies_.reset();
}

void TEquationList::Reserve(std::size_t count) { entries_.reserve(count); }

}  // namespace zem
