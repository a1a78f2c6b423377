// What the element tree needs from the problem that owns its root element:
// the placing of every domain's columns in the linear system, the solution,
// and the table and graph windows. The problem object implements it; the
// root element's Owner points to it (TElement::FindProblem).
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
    // Gives every domain of the tree its column base in the system (summed
    // top-down through the compound elements), stamped with the present
    // tree version.
    virtual void PlaceColumns() = 0;
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
    // (the problem's domain list and equations, the domains' column bases)
    // keeps the count it was built at and rebuilds when the count has moved
    // on.
    void TreeReshaped() { ++treeVersion_; }
    std::uint64_t TreeVersion() const { return treeVersion_; }

private:
    std::uint64_t treeVersion_ = 0;
};

}  // namespace zem
