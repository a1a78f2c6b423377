#include "domains/Equations.h"

#include <cassert>

namespace zem {

TSLAEEquat::TSLAEEquat(TDomain* domain, const TNodeIdx& nodeIdx, TEquatWriter writer, double weight)
    : Domain(domain), NodeIdx(nodeIdx), Writer(std::move(writer)), Weight(weight) {}

void TSLAEEquat::Write() const {
    assert(Domain && Writer && "a term names its domain and writer");
    for (int d = 0; d < Domain->DimCount; ++d) Domain->SetPos(d, NodeIdx[static_cast<std::size_t>(d)]);
    Writer(*Domain, Weight);
}

void TEquationList::Add(std::string name, std::unique_ptr<TSLAEEquat> equat) {
    TEntry entry;
    entry.Name = std::move(name);
    if (equat) entry.Terms.push_back(std::move(equat));
    entries_.push_back(std::move(entry));
}

void TEquationList::AddTerms(std::string name, std::vector<std::unique_ptr<TSLAEEquat>> terms) {
    TEntry entry;
    entry.Name = std::move(name);
    entry.Terms = std::move(terms);
    entries_.push_back(std::move(entry));
}

bool TEquationList::WriteRow(int row) const {
    const TEntry& entry = Entry(row);
    for (const auto& term : entry.Terms) term->Write();
    return !entry.Terms.empty();
}

int TEquationList::IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].Name == name) return static_cast<int>(i);
    return -1;
}

}  // namespace zem
