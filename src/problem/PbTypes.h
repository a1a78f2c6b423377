// The catalogue of problem types: fifteen entries in a fixed order. The
// position of an entry is the type index used by problem files, the problem
// window and the type dialog.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace zem {

class TElement;
class TObject;

constexpr int kProblemTypeCount = 15;

// The type name of entry i ("CylSym", ...) and its description.
const std::string& ProblemTypeName(int i);
const std::string& ProblemTypeCaption(int i);

// Position of a type name by exact comparison, -1 when none matches.
int ProblemTypeByName(const std::string& name);
// The same ignoring letter case (the look-up of a problem's clone).
int ProblemTypeByNameNoCase(const std::string& name);

// Creates the root element of a problem of that type: owned by Owner (the
// problem), keyed by Name. Its items are not declared yet.
using TElementFactory = std::function<std::unique_ptr<TElement>(TObject* owner, const std::string& name)>;

// The problem types register their root element class here.
void RegisterProblemType(int i, TElementFactory factory);
bool ProblemTypeAvailable(int i);

// A new root element of entry i. A type whose class is not built into this
// program raises ZemError saying so.
std::unique_ptr<TElement> CreateProblemElement(int i, TObject* owner, const std::string& name);

}  // namespace zem
