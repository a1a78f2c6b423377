// The benchmark shells: the technical-theory cylinder "CylTech" R = 10 m,
// H = 10 m, t = 0.01 m, clamped bottom, free top, full tank (Gidr 10000) and
// a wind harmonic (Wind [0, 0, 500]) on N axial by M circumferential steps
// (3 M (N + 5) unknowns); and the axisymmetric tank "CylSym" of the same
// shell on N steps.
#pragma once

#include "elements/ElLists.h"
#include "elements/Elements.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"
#include "problemtypes/ElCyls.h"
#include "problemtypes/Register.h"

#include <memory>
#include <string>

namespace zem::bench {

inline void Set(TElement& root, const char* section, const char* key, const std::string& text) {
    auto& list = dynamic_cast<TElemList&>(root.Item(root.IndexOfKey(section)));
    list.Item(list.IndexOfKey(key)).SetText(text);
}

// Type is "CylTech" or one of its higher-accuracy variants.
inline std::unique_ptr<TProblem> Shell(int n, int m, const char* type = "CylTech") {
    RegisterProblemTypes();
    auto p = std::make_unique<TProblem>(ProblemTypeByName(type), "Bench");
    Set(p->Root(), "MESH", "mesh_x", std::to_string(n));
    Set(p->Root(), "MESH", "mesh_y", std::to_string(m));
    Set(p->Root(), "LOADS", "Wind", "[0, 0, 500]");
    p->Root().Parse();
    p->CollectDomains();
    return p;
}

inline std::unique_ptr<TProblem> Tank(int n) {
    RegisterProblemTypes();
    auto p = std::make_unique<TProblem>(ProblemTypeByName("CylSym"), "Tank");
    Set(p->Root(), "MESH", "mesh_x", std::to_string(n));
    Set(p->Root(), "LOADS", "Gidr", "10000");
    p->Root().Parse();
    p->CollectDomains();
    return p;
}

}  // namespace zem::bench
