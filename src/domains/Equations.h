// Deferred equation rows and the problem's list of them.
//
// A row of the linear system is never stored as numbers: it is a small record
// that names a writer kind (a domain, the writer that emits the row's
// coefficients and free term, and its weight) and a node. Whenever the solver
// asks for a row, the writer runs again and its coefficients go, at the
// domain's column base, into the row sink the caller hands it.
//
// A domain whose rows repeat along the mesh (TDomain::CoefReach) has them
// written once per writer kind and pattern of steps: the rows of the other
// nodes with that pattern are that finished row shifted by the columns
// between the nodes, and their writers run only for the free term.
#pragma once

#include "domains/Domains.h"
#include "platform/object.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zem {

// One term of a row made of several (joint rows): the domain, the node at
// which the writer runs and the weight handed to it (+1, -1 or an
// interpolation factor).
class TSLAEEquat : public TObject {
public:
    TSLAEEquat(TDomain* domain, const TNodeIdx& nodeIdx, TEquatWriter writer, double weight);

    TDomain* Domain;  // not owned
    TNodeIdx NodeIdx;
    TEquatWriter Writer;
    double Weight;

    // Moves the domain to the node, direction by direction, and runs the
    // writer with the weight into Row (the free term alone with FreeOnly).
    void Write(TRowSink& row, bool freeOnly = false) const;
};

// Where the first term of a row is written: its domain and node; no domain
// for a row without terms.
struct TTermPlace {
    TDomain* Domain = nullptr;
    TNodeIdx NodeIdx{};
    explicit operator bool() const { return Domain != nullptr; }
    const TTermPlace* operator->() const { return this; }
};

// Puts coefficients added one by one into the order of their columns, stably,
// and sums each column's additions, in the order they came, into one item: a
// finished row (see TRowSink::AddFinishedRow).
void FinishRow(TRowItems& items);

// The problem's equation list: one entry per unknown, in row order. An entry
// a domain registers at a node is a writer kind and the node; its name is
// written out only when asked for. Other entries keep their name as given and
// their terms, whose contributions add up; an entry without terms stands for
// an unknown that no equation defines (the problem answers it with the
// identity row).
class TEquationList {
public:
    TEquationList();
    ~TEquationList();
    TEquationList(const TEquationList&) = delete;
    TEquationList& operator=(const TEquationList&) = delete;

    // Appends an entry; equal names are accepted. A null equation gives an
    // entry without terms.
    void Add(std::string name, std::unique_ptr<TSLAEEquat> equat);
    void AddTerms(std::string name, std::vector<std::unique_ptr<TSLAEEquat>> terms);
    void AddNil(std::string name) { Add(std::move(name), nullptr); }
    // Appends the row Domain registers at Node, named Element + Prefix + "("
    // + the node's indices joined by "," + ")", with Element the prefix of
    // the domain's element (TDomainOwner::EquationPrefix). The rows a domain
    // registers under one prefix and weight with the same writer identity
    // (TEquatWriter) are one kind and share one writer.
    void AddAtNode(TDomain& domain, const std::string& prefix, const TNodeIdx& node, double weight,
                   TEquatWriter writer);

    int Count() const { return static_cast<int>(entries_.size()); }
    // The row's name; std::out_of_range for a bad row.
    std::string Name(int row) const;
    // The number of terms of the row.
    int TermCount(int row) const;
    bool HasEquation(int row) const { return TermCount(row) > 0; }
    // The domain and node of the row's first term; none when it has none.
    TTermPlace FirstTerm(int row) const;
    // Writes the row into Sink, every term in order; false when the row has
    // none. Not for two threads at once (the copies of repeating rows are
    // kept here).
    bool WriteRow(int row, TRowSink& sink) const;
    // The free term of the row alone into Sink, its coefficients neither
    // computed nor written; false when the row has no terms.
    bool WriteFreeTerm(int row, TRowSink& sink) const;
    // The position of the first entry with this name, or -1.
    int IndexOf(const std::string& name) const;
    void Clear();
    // Room for Count entries.
    void Reserve(std::size_t count);
    // Check runs after every 65 536th entry while the list grows, so a long
    // build can be stopped (it raises to end the build); empty: none.
    void SetGrowthCheck(std::function<void()> check) { growthCheck_ = std::move(check); }

    // For tests: while on, every row made as a copy is written afresh as
    // well and the two compared bit for bit, coefficients and free term; a
    // difference raises std::logic_error naming the row.
    static void SetCheckCopies(bool on);
    // The rows handed out as copies since the list was built.
    std::size_t CopiedRows() const;

private:
    // A writer kind: the rows one domain registers under one prefix.
    struct TKind {
        TDomain* Domain;
        std::string Prefix;
        double Weight;
        TEquatWriter Writer;
        std::uint32_t Element;  // into elements_
    };
    // A row at a node (Kind < kGiven) or as given (Node[0] indexes given_).
    struct TEntry {
        std::uint32_t Kind;
        TNodeIdx Node;
    };
    struct TGiven {
        std::string Name;
        std::size_t First, Last;  // its terms: terms_[First ... Last)
    };
    static constexpr std::uint32_t kGiven = ~std::uint32_t{0};
    class TCopies;

    void Grown() {
        if (growthCheck_ && (entries_.size() & 0xFFFF) == 0) growthCheck_();
    }
    std::uint32_t KindOf(TDomain& domain, const std::string& prefix, double weight, TEquatWriter& writer);
    void AddGiven(std::string name, std::size_t first);
    const TEntry& At(int row) const;
    void WriteTerm(const TKind& kind, const TNodeIdx& node, TRowSink& sink, bool freeOnly) const;

    std::vector<TEntry> entries_;
    std::vector<TKind> kinds_;
    // The kinds whose writers carry an identity; the last one found.
    std::vector<std::uint32_t> shared_;
    std::uint32_t lastKind_ = kGiven;
    std::vector<std::string> elements_;
    std::vector<TGiven> given_;
    std::vector<TSLAEEquat> terms_;
    mutable std::unique_ptr<TCopies> copies_;
    std::function<void()> growthCheck_;
};

}  // namespace zem
