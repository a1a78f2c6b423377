#include "domains/Equations.h"

#include <cassert>
#include <charconv>
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
    names_.push_back({0, static_cast<std::uint32_t>(given_.size()), {}, 0});
    given_.push_back(std::move(name));
    firstTerm_.push_back(terms_.size());
    Grown();
}

void TEquationList::Add(std::string name, TSLAEEquat&& equat) {
    terms_.push_back(std::move(equat));
    names_.push_back({0, static_cast<std::uint32_t>(given_.size()), {}, 0});
    given_.push_back(std::move(name));
    firstTerm_.push_back(terms_.size());
    Grown();
}

void TEquationList::AddTerms(std::string name, std::vector<std::unique_ptr<TSLAEEquat>> terms) {
    for (auto& term : terms)
        if (term) terms_.push_back(std::move(*term));
    names_.push_back({0, static_cast<std::uint32_t>(given_.size()), {}, 0});
    given_.push_back(std::move(name));
    firstTerm_.push_back(terms_.size());
    Grown();
}

std::uint32_t TEquationList::PartIndex(const std::string& part) {
    // A list holds a few distinct prefixes, met in long runs: the search
    // starts at the newest.
    for (std::size_t k = parts_.size(); k-- > 0;)
        if (parts_[k] == part) return static_cast<std::uint32_t>(k);
    parts_.push_back(part);
    return static_cast<std::uint32_t>(parts_.size() - 1);
}

void TEquationList::AddAtNode(const std::string& element, const std::string& prefix, const TNodeIdx& node, int dims,
                              TSLAEEquat&& equat) {
    assert(dims >= 1 && dims <= kMaxDims && "a node has one index per direction");
    terms_.push_back(std::move(equat));
    names_.push_back({PartIndex(element), PartIndex(prefix), node, dims});
    firstTerm_.push_back(terms_.size());
    Grown();
}

std::string TEquationList::Name(int row) const {
    const TName& n = names_.at(static_cast<std::size_t>(row));
    if (n.Dims == 0) return given_[n.Part];
    // Eq(5) on a line, EqI(3,7) on a surface; Span2.Eq(5) inside a compound.
    std::string name = parts_[n.Element];
    name += parts_[n.Part];
    name += '(';
    for (int d = 0; d < n.Dims; ++d) {
        if (d > 0) name += ',';
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, n.Node[static_cast<std::size_t>(d)]).ptr;
        name.append(digits, end);
    }
    name += ')';
    return name;
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
        if (Name(static_cast<int>(i)) == name) return static_cast<int>(i);
    return -1;
}

void TEquationList::Clear() {
    // The memory goes back too: a list is cleared before it is built again,
    // and after a build that ran out of memory.
    names_ = {};
    parts_ = {};
    given_ = {};
    terms_ = {};
    firstTerm_ = {0};
}

void TEquationList::Reserve(std::size_t count) {
    names_.reserve(count);
    firstTerm_.reserve(count + 1);
    terms_.reserve(count);
}

}  // namespace zem
