// Deferred equation rows and the problem's list of them.
//
// A row of the linear system is never stored as numbers: it is a small object
// that names a domain, a node and the writer that emits the row's coefficients
// and free term. Whenever the solver asks for a row, the writer runs again and
// its coefficients travel through the element tree into the row being built.
#pragma once

#include "domains/Domains.h"
#include "platform/object.h"

#include <memory>
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
    // writer with the weight. Given the host whose row is being built, the
    // domain writes into it directly where it knows its offset there.
    void Write(TElementHost* host = nullptr) const;
};

// The problem's equation list: one entry per unknown, in row order. An entry
// holds the unknown's name and the terms of its row, whose contributions add
// up; an entry without terms stands for an unknown that no equation defines
// (the problem answers it with the identity row). The terms of all entries
// are kept one after another in one array, so a list of a million rows is a
// few large blocks rather than millions of small ones.
class TEquationList {
public:
    TEquationList() { firstTerm_.push_back(0); }

    // Appends an entry; equal names are accepted. A null equation gives an
    // entry without terms.
    void Add(std::string name, std::unique_ptr<TSLAEEquat> equat);
    void Add(std::string name, TSLAEEquat&& equat);
    void AddTerms(std::string name, std::vector<std::unique_ptr<TSLAEEquat>> terms);
    void AddNil(std::string name) { Add(std::move(name), nullptr); }

    int Count() const { return static_cast<int>(names_.size()); }
    const std::string& Name(int row) const { return names_.at(static_cast<std::size_t>(row)); }
    // The number of terms of the row.
    int TermCount(int row) const;
    bool HasEquation(int row) const { return TermCount(row) > 0; }
    // The first term of the row, or null when it has none.
    const TSLAEEquat* FirstTerm(int row) const {
        return TermCount(row) > 0 ? &terms_[firstTerm_[static_cast<std::size_t>(row)]] : nullptr;
    }
    // Runs every term of the row in order (see TSLAEEquat::Write); false
    // when the row has none.
    bool WriteRow(int row, TElementHost* host = nullptr) const;
    // The position of the first entry with this name, or -1.
    int IndexOf(const std::string& name) const;
    void Clear();
    // Room for Count entries of one term each.
    void Reserve(std::size_t count);

private:
    std::vector<std::string> names_;
    // The terms of entry r are terms_[firstTerm_[r] ... firstTerm_[r + 1]).
    std::vector<std::size_t> firstTerm_;
    std::vector<TSLAEEquat> terms_;
};

}  // namespace zem
