// Compound elements: an element made of sub-elements, held in a fifth section
// ELEMS (children 0-3 are PARAMS, BOUNDS, LOADS, MESH). TElComp fans the
// element operations out to its sub-elements; where each child's unknowns
// start among the compound's is its UnknownOffset. Compounds whose sub-elements own
// domains (the series of spans) are in domains/ElSeries.h.
#pragma once

#include "elements/Elements.h"

#include <memory>
#include <string>

namespace zem {

class TElComp : public TElement {
public:
    // The four sections, then an empty ELEMS list (compound problem types
    // replace it by a TElemArray with the same key).
    TElComp(TObject* owner, std::string key);

    TElemList& Elems() const;
    int ChildCount() const { return Elems().Count(); }
    // Sub-element i; std::out_of_range for a bad index, std::bad_cast when the
    // child is not an element.
    TElement& Child(int i) const;
    TElement& AddChild(std::unique_ptr<TElement> element);

    void DeclareItems() override;
    void ApplyLoad(const std::string& key, const TObject* value) override;
    void BuildEquations(TEquationList& equations) override;
    // Every sub-element draws into its own rectangle (SpanRect); Values is a
    // TValueList of the sub-elements' values in order.
    void DrawGraph(TCanvas& canvas, const TRect& rect, Extended step, const TObject* values,
                   const TColorScale& scale) override;
    void DrawMesh(TCanvas& canvas, const TRect& rect) override;
    // The first sub-element whose rectangle holds the point answers; empty
    // when none does.
    std::string HitText(const TRect& rect, const TPoint& point) override;
    std::string HitValue(const TRect& rect, const TPoint& point, const TObject* values) override;
    // A TValueList of every sub-element's values of field i, in order.
    std::unique_ptr<TObject> InputValues(int i) override;
    std::unique_ptr<TObject> ResultValues(int i) override;

    // The rectangle of sub-element i inside R.
    virtual void SpanRect(int i, const TRect& r, TRect& s) const = 0;
    // Told after sub-element Child rebuilt its domain on its own (a mesh
    // refinement parses the span alone): a compound whose own parse adds
    // loads or boundary conditions to its sub-elements' domains adds them
    // again here. Nothing by default.
    virtual void SubElementRebuilt(TElement& child) {}

protected:
    // True when the element hangs directly under the problem.
    bool IsRoot() const;
    // Entry i of a TValueList of per-child values, or null.
    static const TObject* ChildValues(const TObject* values, int i);
};

}  // namespace zem
