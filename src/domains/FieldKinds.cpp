#include "domains/FieldKinds.h"

#include "domains/Domains.h"

namespace zem {

const char* UnitSymbol(TUnit unit) {
    switch (unit) {
    case TUnit::Unset: return "";
    case TUnit::Dimensionless: return "";
    case TUnit::Metre: return "m";
    case TUnit::Radian: return "rad";
    case TUnit::PerMetre: return "1/m";
    case TUnit::Newton: return "N";
    case TUnit::NewtonMetre: return "N·m";
    case TUnit::NewtonPerM: return "N/m";
    case TUnit::NewtonMPerM: return "N·m/m";
    case TUnit::Pascal: return "Pa";
    case TUnit::NewtonPerM3: return "N/m3";
    }
    return "";
}

std::span<const TFieldKind> TFieldTable::Group(TFieldGroup group) const {
    switch (group) {
    case TFieldGroup::Input: return Inputs;
    case TFieldGroup::Result: return Results;
    case TFieldGroup::Bound: return Bounds;
    }
    return {};
}

std::vector<std::string> FieldNames(std::span<const TFieldKind> kinds) {
    std::vector<std::string> names;
    names.reserve(kinds.size());
    for (const TFieldKind& k : kinds) names.emplace_back(k.Name);
    return names;
}

int FieldIndex(std::span<const TFieldKind> kinds, std::string_view name) {
    for (std::size_t i = 0; i < kinds.size(); ++i)
        if (name == kinds[i].Name) return static_cast<int>(i);
    return -1;
}

const TFieldKind* FindField(const TDomain& domain, TFieldGroup group, std::string_view name) {
    const std::span<const TFieldKind> kinds = domain.Fields().Group(group);
    const int i = FieldIndex(kinds, name);
    return i < 0 ? nullptr : &kinds[static_cast<std::size_t>(i)];
}

std::string FieldUnit(const TDomain& domain, TFieldGroup group, std::string_view name) {
    const TFieldKind* k = FindField(domain, group, name);
    return k ? UnitSymbol(k->Unit) : "";
}

std::string FieldUnit(const TDomain& domain, std::string_view name) {
    for (TFieldGroup group : {TFieldGroup::Result, TFieldGroup::Input})
        if (const TFieldKind* k = FindField(domain, group, name)) return UnitSymbol(k->Unit);
    return "";
}

std::string FieldCaption(const TDomain& domain, TFieldGroup group, std::string_view name) {
    const TFieldKind* k = FindField(domain, group, name);
    return k ? k->Caption : "";
}

}  // namespace zem
