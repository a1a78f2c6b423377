// Domain elements: elements of the tree that own exactly one domain. Every
// parse of the element's text rebuilds the domain (parameters, mesh, boundary
// conditions, loads); for the views the element forwards tables, drawings and
// hints to the domain. TDmElementD1 and
// TDmElementD2 add the table layouts, the automatic colour scale and the text
// export of line and surface domains.
//
// Conventions with the concrete elements: PARAMS feeds ReadParams, BOUNDS
// SetBoundary, LOADS ApplyLoads; MESH holds one item per direction
// ("mesh_x", "mesh_y"), an empty one reading as "4". A concrete element
// creates its domain in its constructor and, before the inherited
// ApplyLoads, one empty load slot per load of its type.
#pragma once

#include "domains/Domains.h"
#include "elements/ElComp.h"
#include "platform/tablemodel.h"

#include <memory>
#include <optional>
#include <string>

namespace zem {

class TDmElement : public TElComp, public TDomainOwner {
public:
    TDmElement(TObject* owner, std::string key);
    ~TDmElement() override;

    // Created by the concrete element with this element as its owner.
    std::unique_ptr<TDomain> Domain;

    // The inherited parse, then the domain set-up. A mesh or load failure
    // propagates; what was set up before it stays.
    void Parse() override;

    void ApplyLoad(const std::string& key, const TObject* value) override;
    void BuildEquations(TEquationList& equations) override;
    void DrawGraph(TCanvas& canvas, const TRect& rect, Extended step, const TObject* values,
                   const TColorScale& scale) override;
    void DrawMesh(TCanvas& canvas, const TRect& rect) override;
    // Empty outside Rect (its borders belong to it).
    std::string HitText(const TRect& rect, const TPoint& point) override;
    std::string HitValue(const TRect& rect, const TPoint& point, const TObject* values) override;
    std::unique_ptr<TObject> InputValues(int i) override;
    std::unique_ptr<TObject> ResultValues(int i) override;
    // A single domain fills the whole rectangle.
    void SpanRect(int i, const TRect& r, TRect& s) const override { s = r; }

    // Fills every direction's steps from MESH.
    void BuildMesh();
    // Splits the steps of direction d (all, or the marked ones), writes the
    // new mesh into mesh item d as text and parses the element again.
    void RefineMesh(int d, const TStepMarks* marks);
    // The mesh text of direction d's current steps: equal consecutive steps
    // grouped as [count, share of the length], or just the count when all
    // steps are equal.
    std::string MeshText(int d) const;

    // TDomainOwner.
    TElementHost* ColumnHost() const override { return FindProblem(); }
    std::string MeshItemKey(int d) const override;
    std::string EquationPrefix() const override;
    void DomainReshaped() override { NoteReshaped(); }

protected:
    void SetupDomain();
    // A zero step becomes the largest magnitude of Values over the number of
    // colour levels.
    static Extended AutoStep(Extended step, const TObject* values, const TColorScale& scale);

private:
    // EquationPrefix while BuildEquations runs.
    std::optional<std::string> equationPrefix_;
};

class TDmElementD1 : public TDmElement {
public:
    using TDmElement::TDmElement;
    // "Коорд." and "Значение", the last node in the top row; the extremes marked.
    void FillTable(TTableModel& table, const TObject* values) override;
    void DrawGraph(TCanvas& canvas, const TRect& rect, Extended step, const TObject* values,
                   const TColorScale& scale) override;
    // One value per line, node order, scientific in 13 characters.
    void SaveValues(const TObject* values, const std::string& fileName) override;
};

class TDmElementD2 : public TDmElement {
public:
    using TDmElement::TDmElement;
    // Coordinates of direction 1 in row 0, of direction 0 in column 0 (the
    // last node in the top row), one value per node.
    void FillTable(TTableModel& table, const TObject* values) override;
    void DrawGraph(TCanvas& canvas, const TRect& rect, Extended step, const TObject* values,
                   const TColorScale& scale) override;
    // One line per node of direction 0, each value followed by a tab.
    void SaveValues(const TObject* values, const std::string& fileName) override;
};

// The number format of the graph hints: the program's table number format,
// installed by the program when the user changes it.
const TTableModel::TNumberFormat& HintNumberFormat();
void SetHintNumberFormat(TTableModel::TNumberFormat format);

}  // namespace zem
