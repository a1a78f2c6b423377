// What the element tree needs from the problem that owns its root element:
// the row of the linear system being assembled, the solution, and the table
// and graph windows. The problem object implements it; the root element's
// Owner points to it, and every request from deeper in the tree reaches it by
// walking up the owners (TElement::FindProblem, TElemList::AddCoef).
#pragma once

#include "platform/extended.h"
#include "platform/object.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zem {

class TElement;

class TElementHost : public TObject {
public:
    // Adds X to the coefficient of unknown GlobalIndex in the row being built;
    // X = 0 is ignored.
    virtual void AddCoef(std::size_t globalIndex, Extended x) = 0;
    // Adds X to the free term of the row being built.
    virtual void AddFree(Extended x) = 0;
    // The solution value of unknown GlobalIndex.
    virtual Extended GetUnknown(std::size_t globalIndex) = 0;
    // Shows a table of Element (filled by its FillTable from Data) in the
    // table window; Selector is the menu position (+100 for results), the
    // extension is the default extension of the table's export. Takes Data.
    virtual void ShowTable(TElement& element, int selector, const std::string& caption,
                           const std::string& extension, std::unique_ptr<TObject> data) = 0;
    // Shows a graph of Element (drawn by its DrawGraph from Data). Takes Data.
    virtual void ShowGraph(TElement& element, int selector, const std::string& caption,
                           std::unique_ptr<TObject> data) = 0;

    // Told by the tree whenever it changes shape: an item created, replaced
    // or freed, a domain's mesh rebuilt. Whoever keeps pointers into the tree
    // (the problem's domain list and equations, a compound's offsets) keeps
    // the count it was built at and rebuilds when the count has moved on.
    void TreeReshaped() { ++treeVersion_; }
    std::uint64_t TreeVersion() const { return treeVersion_; }

private:
    std::uint64_t treeVersion_ = 0;
};

}  // namespace zem
