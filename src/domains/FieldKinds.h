// Named fields of a domain: the input fields and results a domain offers in
// tables and graphs and the boundary conditions it reads, each with its name
// (as the element lists it), a caption and the unit of its values in SI.
//
// A domain answers its table through Fields(); every list of field names an
// element shows is built from that table, so the order of a table is the
// order of the kind numbers the domain's InputValue, ResultValue and
// BoundaryValue take.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zem {

class TDomain;

// The unit of a field's values. Unset is what a table entry that forgot its
// unit gets; a pure number says Dimensionless.
enum class TUnit {
    Unset,
    Dimensionless,
    Metre,         // m: lengths, displacements
    Radian,        // rad: slopes, rotations
    PerMetre,      // 1/m: curvatures
    Newton,        // N: whole forces over a cross-section
    NewtonMetre,   // N·m: whole moments over a cross-section
    NewtonPerM,    // N/m: membrane and transverse forces per unit length
    NewtonMPerM,   // N·m/m: bending and twisting moments per unit length
    Pascal,        // Pa: pressures, stresses, Young's modulus
    NewtonPerM3,   // N/m3: specific weights
};

// The SI symbol of a unit ("m", "rad", "N/m", ...); empty for a pure number.
const char* UnitSymbol(TUnit unit);

struct TFieldKind {
    const char* Name;     // as the element's lists and the files name it
    const char* Caption;  // what the field is, in a few words
    TUnit Unit;
};

enum class TFieldGroup { Input, Result, Bound };

// The three groups of one domain class; an empty span when a group is not
// offered.
struct TFieldTable {
    std::span<const TFieldKind> Inputs;
    std::span<const TFieldKind> Results;
    std::span<const TFieldKind> Bounds;

    std::span<const TFieldKind> Group(TFieldGroup group) const;
};

// The names of a group in table order.
std::vector<std::string> FieldNames(std::span<const TFieldKind> kinds);
// The kind number of Name in Kinds (exact spelling), or -1.
int FieldIndex(std::span<const TFieldKind> kinds, std::string_view name);
// The field of Domain named Name in Group, or null.
const TFieldKind* FindField(const TDomain& domain, TFieldGroup group, std::string_view name);
// The unit symbol and the caption of a domain's field; empty strings for a
// name the domain does not know.
std::string FieldUnit(const TDomain& domain, TFieldGroup group, std::string_view name);
std::string FieldCaption(const TDomain& domain, TFieldGroup group, std::string_view name);
// The unit symbol of a field the tables, graphs and exports show by name: a
// result, else an input field. Empty for a pure number and for a name the
// domain does not know. Every caller that labels values asks here.
std::string FieldUnit(const TDomain& domain, std::string_view name);

}  // namespace zem
