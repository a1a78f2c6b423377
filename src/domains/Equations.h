// Deferred equation rows and the problem's list of them.
//
// A row of the linear system is never stored as numbers: it is a small object
// that names a domain, a node and the writer that emits the row's coefficients
// and free term. Whenever the solver asks for a row, the writer runs again and
// its coefficients go, at the domain's column base, into the row sink the
// caller hands it.
#pragma once

#include "domains/Domains.h"
#include "platform/object.h"

#include <cstdint>
#include <memory>
#include <functional>
#include <string>
#include <vector>

namespace zem {

// One term of an equation row: the domain, the node at which the writer runs
// and the weight handed to it (1 for the rows domains register; +1, -1 or an
// interpolation factor for the terms of joint rows).
class TSLAEEquat : public TObject {
public:
    TSLAEEquat(TDomain* domain, const TNodeIdx& nodeIdx, TEquatWriter writer, double weight);

    TDomain* Domain;  // not owned
    TNodeIdx NodeIdx;
    TEquatWriter Writer;
    double Weight;

    // Moves the domain to the node, direction by direction, and runs the
    // writer with the weight into Row.
    void Write(TRowSink& row) const;
};

// The problem's equation list: one entry per unknown, in row order. An entry
// holds the unknown's name and the terms of its row, whose contributions add
// up; an entry without terms stands for an unknown that no equation defines
// (the problem answers it with the identity row). The terms of all entries
// are kept one after another in one array, so a list of a million rows is a
// few large blocks rather than millions of small ones. The name of a row a
// domain registers at a node is kept as its parts (the element's and the
// equation's prefixes, each kept once for the list, and the node) and
// written out only when asked for; other names are kept as given.
class TEquationList {
public:
    TEquationList() { firstTerm_.push_back(0); }

    // Appends an entry; equal names are accepted. A null equation gives an
    // entry without terms.
    void Add(std::string name, std::unique_ptr<TSLAEEquat> equat);
    void Add(std::string name, TSLAEEquat&& equat);
    void AddTerms(std::string name, std::vector<std::unique_ptr<TSLAEEquat>> terms);
    void AddNil(std::string name) { Add(std::move(name), nullptr); }
    // Appends an entry named Element + Prefix + "(" + the first Dims node
    // indices joined by "," + ")".
    void AddAtNode(const std::string& element, const std::string& prefix, const TNodeIdx& node, int dims,
                   TSLAEEquat&& equat);

    int Count() const { return static_cast<int>(names_.size()); }
    // The row's name; std::out_of_range for a bad row.
    std::string Name(int row) const;
    // The number of terms of the row.
    int TermCount(int row) const;
    bool HasEquation(int row) const { return TermCount(row) > 0; }
    // The first term of the row, or null when it has none.
    const TSLAEEquat* FirstTerm(int row) const {
        return TermCount(row) > 0 ? &terms_[firstTerm_[static_cast<std::size_t>(row)]] : nullptr;
    }
    // Runs every term of the row in order into Sink (see TSLAEEquat::Write);
    // false when the row has none.
    bool WriteRow(int row, TRowSink& sink) const;
    // The position of the first entry with this name, or -1.
    int IndexOf(const std::string& name) const;
    void Clear();
    // Room for Count entries of one term each.
    void Reserve(std::size_t count);
    // Check runs after every 65 536th entry while the list grows, so a long
    // build can be stopped (it raises to end the build); empty: none.
    void SetGrowthCheck(std::function<void()> check) { growthCheck_ = std::move(check); }

private:
    // A name: at a node, the parts' indices into parts_ and Dims >= 1; as
    // given, Dims = 0 and Part the index into given_.
    struct TName {
        std::uint32_t Element = 0, Part = 0;
        TNodeIdx Node{};
        int Dims = 0;
    };
    std::uint32_t PartIndex(const std::string& part);
    void Grown() {
        if (growthCheck_ && (names_.size() & 0xFFFF) == 0) growthCheck_();
    }

    std::vector<TName> names_;
    std::vector<std::string> parts_, given_;
    // The terms of entry r are terms_[firstTerm_[r] ... firstTerm_[r + 1]).
    std::vector<std::size_t> firstTerm_;
    std::vector<TSLAEEquat> terms_;
    std::function<void()> growthCheck_;
};

}  // namespace zem
