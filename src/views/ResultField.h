// A field of an element (a result or an initial-data field) as numbers with
// their node coordinates: what the plots, the exports, the report and the
// results page read. The tables show the same values as text.
//
// A field is a list of blocks, one per domain: a single-domain element gives
// one block, a stepped element one block per span, the spans stacked from the
// bottom so that the axial coordinate runs along the whole shell. A block has
// Rows nodes along its first direction and Cols around (1 for a line); value
// (i, j) is V[i * Cols + j]. A direction that goes round a circle (the
// circumference of a cylinder, the arc of a ring) is given in degrees, any
// other in metres.
#pragma once

#include "platform/extended.h"
#include "platform/object.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zem {
class TElement;
}

// The symbol the windows and the report show for a unit symbol of the core
// ("m" → "м", "N·m/m" → "Н·м/м", "Pa" → "Па", "rad" → "рад"); a symbol it
// does not know passes unchanged. The machine exports (zemcalc) keep the
// core's SI symbols.
std::string DisplayUnit(std::string_view si);
// The title of a coordinate: "θ, °" for an angle, else Name with metres
// ("x, м").
std::string AxisTitle(const std::string& name, bool angular);

// The unit of field Name (a result or an input field) of Element as the
// windows show it ("м", "Па", "Н/м", "Н·м/м", ...), from the one its domain
// names; empty for a pure number or an unknown name. The one place where the
// views learn units.
std::string ResultUnit(const zem::TElement& element, const std::string& name);
// "w, м": the name with its unit, or the name alone without one.
std::string FieldTitle(const zem::TElement& element, const std::string& name);
// "w — радиальный прогиб, м": the name, what it is and its unit, as the
// menus list the fields (parts the domain does not know are left out).
std::string FieldMenuText(const zem::TElement& element, const std::string& name);

struct TFieldBlock {
    std::string Span;            // the span's key in a stepped element, else empty
    int Rows = 0;
    int Cols = 1;
    bool AngularX = false;       // direction 0 in degrees (a ring)
    bool AngularY = false;       // direction 1 in degrees (a closed shell)
    bool Line = true;            // the values came as a line (else a matrix)
    zem::Extended Offset = 0;    // where the block starts along direction 0
    zem::Extended ExtentX = 0;   // the block's length along direction 0
    zem::Extended ExtentY = 0;   // and around (0 for a line)
    std::vector<zem::Extended> X;  // Rows coordinates along direction 0
    std::vector<zem::Extended> Y;  // Cols coordinates along direction 1 (one 0 for a line)
    std::vector<zem::Extended> V;
    zem::Extended At(int i, int j) const { return V[static_cast<std::size_t>(i * Cols + j)]; }
};

struct TResultField {
    std::string Name;   // as the element names it
    std::string Unit;
    std::vector<TFieldBlock> Blocks;
    bool Empty() const { return Blocks.empty(); }
    bool Surface() const;       // any block has more than one node around
    std::size_t NodeCount() const;
    // "w, m".
    std::string Title() const;
};

// The numbers of Values (a data object of Element's InputValues or
// ResultValues) under Name. An element that holds no domain, or data of
// another shape, gives an empty field.
TResultField SampleField(zem::TElement& element, const zem::TObject* values, const std::string& name);
// A data object of the same shape as the one Field was sampled from (a line,
// a matrix, or a list of them for a stepped element), holding Field's values:
// a private copy for drawing on another thread.
std::unique_ptr<zem::TObject> FieldData(const TResultField& field);
// Result field I of Element (its ResultValues(I) named GraphResults[I]).
TResultField ResultField(zem::TElement& element, int i);

// A curve: abscissas and values.
struct TCurve {
    std::vector<zem::Extended> X;
    std::vector<zem::Extended> V;
};
// Along direction 0 of every block, bottom to top, at node Col around
// (clamped to the block's nodes around).
TCurve AlongAxis(const TResultField& field, int col);
// Around direction 1 at node Row of the block counted over all blocks from
// the bottom (clamped); a line field gives the node itself.
TCurve AroundAt(const TResultField& field, int row);
// Nodes along direction 0 over all blocks, and the largest number of nodes
// around.
int AxisNodeCount(const TResultField& field);
int AroundNodeCount(const TResultField& field);

// A value with its place.
struct TExtreme {
    zem::Extended Value = 0;
    zem::Extended X = 0;
    zem::Extended Y = 0;
    std::string Span;
    bool Found = false;
};
// The largest and the smallest value (first occurrence from the bottom).
TExtreme LargestOf(const TResultField& field);
TExtreme SmallestOf(const TResultField& field);
// "1.25e-3 при x = 2.5 м, θ = 90°" style text of an extreme.
std::string ExtremeText(const TResultField& field, const TExtreme& e);

// The text of a number that reads back to the same extended real.
std::string FullText(zem::Extended x);
// CSV of the field: a header (span when stepped, the coordinates with their
// units, the field with its unit) and one line per node at full precision,
// separated by Separator. A field that holds the separator, a quote or a
// line break is quoted (RFC 4180). DecimalComma writes "1,5" for 1.5, as
// spreadsheets set up for Russian read numbers (with ';' between fields).
std::vector<std::string> FieldCsv(const TResultField& field, char separator = ',', bool decimalComma = false);

// The answer to one result request of the results page: "w" gives the
// largest magnitude of field w with its place; "max w" and "min w" the
// largest or the smallest value; "w(x)" the value at axial coordinate x
// (interpolated between nodes; for a surface along the first node around),
// "w(x, θ)" the value at the node nearest to (x, θ). Unknown names and bad
// coordinates raise ZemError with a Russian message.
std::string EvaluateRequest(zem::TElement& element, const std::string& request);
// The results page: the requests of Source cut at ';' and ':' as the result
// listing cuts them (a request may continue over lines), each written
// "request = answer" on the line where it ends; a request that cannot be
// answered gets the reason instead of a value. Text left after the last
// separator raises "Ошибка в формате результатов".
void ComputeResultExpressions(zem::TElement& element, const std::vector<std::string>& source,
                              std::vector<std::string>& dest);
