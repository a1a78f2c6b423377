// The element: one problem type's description of a structure, with its
// parameters, boundary conditions, loads and mesh in four fixed sections
// (children 0 to 3: PARAMS, BOUNDS, LOADS, MESH), the names of the fields it
// offers in tables and graphs, and the operations through which the problem,
// the domains and the windows use it.
//
// Life cycle: a problem type creates its element with (owner, key) — for the
// root element the owner is the problem (a TElementHost) and the key the
// problem's name; then DeclareItems declares every item with its default
// (each declaration ripples up, so Text holds all defaults at once); then
// Parse sends the text through the type's own set-up. The element's text is
// the only form in which it is stored.
//
// The operations from ApplyLoad on are filled by the element kinds that own
// domains and by compound elements. Here they do nothing and answer "no data"
// (an empty hint, null values, no unknown offset), since an element without a
// domain has nothing to draw, tabulate or save.
#pragma once

#include "elements/ElLists.h"
#include "platform/canvas.h"
#include "platform/tablemodel.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace zem {

class TElementHost;
class TEquationList;

class TElement : public TElemList {
public:
    // Creates the four empty sections; items come from DeclareItems.
    TElement(TObject* owner, std::string key);

    TElemList& Params() const { return Section(0); }
    TElemList& Bounds() const { return Section(1); }
    TElemList& Loads() const { return Section(2); }
    TElemList& Mesh() const { return Section(3); }

    // The problem above this element: the first owner, walking up from this
    // element's owner, that is a TElementHost; null when there is none.
    TElementHost* FindProblem() const;
    // Reads the text from edited lines (trimmed and joined with blanks).
    void SetLines(const std::vector<std::string>& lines);

    // Field names offered under "Исходные" and "Результаты" in the table and
    // graph menus; field i of a list is input/result kind i of the domain.
    std::vector<std::string> TableInputs;
    std::vector<std::string> GraphInputs;
    std::vector<std::string> TableResults;
    std::vector<std::string> GraphResults;

    // An element's type hint is its type name, its caption the problem
    // description.
    std::string TypeName() const override { return GetTypeName(); }
    std::string Caption() const override { return GetCaption(); }

    // Inherited Assign (child by child), then Parse.
    void Assign(const TElemItem& source) override;

    // The problem description, e.g. "Цилиндрическая оболочка. ...".
    virtual std::string GetCaption() const = 0;
    // The type name, e.g. "CylSym".
    virtual std::string GetTypeName() const = 0;
    // Declares the items of the four sections with their defaults and fills
    // the four name lists.
    virtual void DeclareItems() = 0;
    // ApplyLoad for every child of LOADS whose text is not empty, in order.
    virtual void ApplyLoads();
    // Applies one load (key and parsed value) to the domain(s).
    virtual void ApplyLoad(const std::string& key, const TObject* value);
    // Adds the element's unknowns and equations to the problem's list.
    virtual void BuildEquations(TEquationList& equations);
    // Index plus the number of this element's unknowns that precede those of
    // Child (its sub-element); here Index unchanged.
    virtual std::size_t UnknownOffset(const TElement* child, std::size_t index) const;
    // Fills the table window from Values (a data object of InputValues or
    // ResultValues).
    virtual void FillTable(TTableModel& table, const TObject* values);
    // Draws a field into Rect; Step is the value step of one colour level,
    // 0 to choose it from the field's extreme values.
    virtual void DrawGraph(TCanvas& canvas, const TRect& rect, Extended step, const TObject* values,
                           const TColorScale& scale);
    // Draws the mesh picture into Rect.
    virtual void DrawMesh(TCanvas& canvas, const TRect& rect);
    // Hint for a point of the mesh picture; empty outside it.
    virtual std::string HitText(const TRect& rect, const TPoint& point);
    // Hint for a point of a graph of Values; empty outside it.
    virtual std::string HitValue(const TRect& rect, const TPoint& point, const TObject* values);
    // Values of input or result field i, per node (null: no data).
    virtual std::unique_ptr<TObject> InputValues(int i);
    virtual std::unique_ptr<TObject> ResultValues(int i);
    // Open the table or graph window through the problem: titles
    // "Исходные (" / "Результаты (" + the field's name + ")", selectors i
    // and i + 100, data InputValues(i) / ResultValues(i). An index outside the
    // name list raises std::out_of_range; without a problem nothing opens.
    virtual void ShowInputTable(int i);
    virtual void ShowResultTable(int i);
    virtual void ShowInputGraph(int i);
    virtual void ShowResultGraph(int i);
    // Writes a field's values to a text file.
    virtual void SaveValues(const TObject* values, const std::string& fileName);
    // Default extension of a table's export file.
    virtual std::string TableExtension() const { return "txt"; }

private:
    TElemList& Section(int i) const { return dynamic_cast<TElemList&>(Item(i)); }
};

// A class reference for elements: creates an element of one type with
// (owner, key). The type catalogue keeps one per problem type.
using TElementClass = std::unique_ptr<TElement> (*)(TObject* owner, const std::string& key);

template <class T>
std::unique_ptr<TElement> CreateElement(TObject* owner, const std::string& key) {
    return std::make_unique<T>(owner, key);
}

// Lists the result requests of Source into Dest: every Source line gives one
// Dest line; the requests, cut at ';' and ':' (a request may continue over
// lines), are written each followed by " = ". Text left after the last
// separator raises "Ошибка в формате результатов". Element is the element
// the requests are about.
void ListResultExpressions(TElement& element, const std::vector<std::string>& source,
                           std::vector<std::string>& dest);

}  // namespace zem
