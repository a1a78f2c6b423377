#include "domains/Equations.h"

#include <cassert>
#include <stdexcept>

namespace zem {

TSLAEEquat::TSLAEEquat(TDomain* domain, const TNodeIdx& nodeIdx, TEquatWriter writer, double weight)
    : Domain(domain), NodeIdx(nodeIdx), Writer(std::move(writer)), Weight(weight) {}

void TSLAEEquat::Write(TRowSink& row) const {
    assert(Domain && Writer && "a term names its domain and writer");
    for (int d = 0; d < Domain->DimCount; ++d) Domain->SetPos(d, NodeIdx[static_cast<std::size_t>(d)]);
    const TDomain::TRowScope scope(*Domain, row);
    Writer(*Domain, Weight);
}

void TEquationList::Add(std::string name, std::unique_ptr<TSLAEEquat> equat) {
    if (equat) terms_.push_back(std::move(*equat));
    names_.push_back(std::move(name));
    firstTerm_.push_back(terms_.size());
}

void TEquationList::Add(std::string name, TSLAEEquat&& equat) {
    terms_.push_back(std::move(equat));
    names_.push_back(std::move(name));
    firstTerm_.push_back(terms_.size());
}

void TEquationList::AddTerms(std::string name, std::vector<std::unique_ptr<TSLAEEquat>> terms) {
    for (auto& term : terms)
        if (term) terms_.push_back(std::move(*term));
    names_.push_back(std::move(name));
    firstTerm_.push_back(terms_.size());
}

int TEquationList::TermCount(int row) const {
    const std::size_t r = static_cast<std::size_t>(row);
    if (row < 0 || r >= names_.size()) throw std::out_of_range("equation row " + std::to_string(row));
    return static_cast<int>(firstTerm_[r + 1] - firstTerm_[r]);
}

bool TEquationList::WriteRow(int row, TRowSink& sink) const {
    const int count = TermCount(row);
    const std::size_t first = firstTerm_[static_cast<std::size_t>(row)];
    for (std::size_t k = first; k < first + static_cast<std::size_t>(count); ++k) terms_[k].Write(sink);
    return count > 0;
}

int TEquationList::IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (names_[i] == name) return static_cast<int>(i);
    return -1;
}

void TEquationList::Clear() {
    // The memory goes back too: a list is cleared before it is built again,
    // and after a build that ran out of memory.
    names_ = {};
    terms_ = {};
    firstTerm_ = {0};
}

void TEquationList::Reserve(std::size_t count) {
    names_.reserve(count);
    firstTerm_.reserve(count + 1);
    terms_.reserve(count);
}

}  // namespace zem
