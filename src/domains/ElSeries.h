// Series of spans: compound elements whose sub-elements are domain elements
// stacked along the shell axis (span 1 at the bottom). TElCompSeries draws
// them stacked on one colour scale, fills one table for all of them, numbers
// their unknowns one span after another, spreads a hydrostatic load over them
// and writes the continuity ("Cnt") rows that join neighbouring spans.
// TElCompSeriesD2 does the same for surface spans, interpolating around the
// circumference where the neighbours' meshes differ.
#pragma once

#include "domains/Domains.h"
#include "elements/ElComp.h"

#include <memory>
#include <string>

namespace zem {

class TDmElement;

class TElCompSeries : public TElComp {
public:
    using TElComp::TElComp;

    // The domain of span i (the span must be a domain element).
    TDomain& SpanDomain(int i) const;
    TDmElement& Span(int i) const;
    // Sum of the heights (Lengths[0]) of spans 0 ... i; 0 for i < 0.
    double HeightUpTo(int i) const;
    // Index plus the unknowns of every span before Child, each span's domain
    // counting its own.
    std::size_t UnknownOffset(const TElement* child, std::size_t index) const override;

    // Span 0 at the bottom of R, each span's height in proportion.
    void SpanRect(int i, const TRect& r, TRect& s) const override;
    // Two columns "Коорд." and "Значение": spans from the last to the first,
    // nodes from the last to the first, each row labelled with the node's
    // coordinate and the span's key; the extremes over all spans marked.
    void FillTable(TTableModel& table, const TObject* values) override;
    // A zero step becomes one shared step: the largest magnitude over all
    // spans divided by the number of colour levels.
    void DrawGraph(TCanvas& canvas, const TRect& rect, Extended step, const TObject* values,
                   const TColorScale& scale) override;
    // Every span's values one after another, in span order.
    void SaveValues(const TObject* values, const std::string& fileName) override;

    // Continuity of a quantity: FnI on span i at its last node of direction 0
    // with weight +1, FnJ on span j at its node 0 with weight -1, one row
    // named Cnt(Name[i,j]).
    virtual void AddJointEquation(TEquationList& equations, int i, const std::string& name, TEquatWriter fnJ,
                                  TEquatWriter fnI, int j);

    // A liquid standing in the series from its bottom, added to load slot
    // Component of the spans: a number is the specific weight with the series
    // filled to its top, a list [gamma, level] gives the level.
    void AddHydrostatics(int component, const TObject* value);

protected:
    // The largest magnitude of the spans' values (lines or matrices).
    static Extended LargestMagnitude(const TObject* values);
};

class TElCompSeriesD2 : public TElCompSeries {
public:
    using TElCompSeries::TElCompSeries;

    // Written at the current node of span i and span j's current index along
    // direction 0: span i's quantity equals span j's, interpolated linearly
    // between the two nodes of span j around the node's coordinate along
    // direction 1. Name Cnt.Name(i,j)[node index along direction 1].
    void AddJointEquation(TEquationList& equations, int i, const std::string& name, TEquatWriter fnJ,
                          TEquatWriter fnI, int j) override;
};

}  // namespace zem
