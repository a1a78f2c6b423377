// Technical-theory cylinders built and solved the way the program does it:
// a problem of the catalogue type, parameters set item by item, the root
// parsed, the system assembled and solved by one of the solvers.
#pragma once

#include "domains/Equations.h"
#include "elements/ElLists.h"
#include "elements/Elements.h"
#include "platform/progress.h"
#include "problem/PbTypes.h"
#include "platform/numtext.h"
#include "problem/Problems.h"
#include "problemtypes/ElCyls.h"
#include "solvers/Matrises.h"

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace zem::cyltest {

// The item at a dotted path below the root ("PARAMS.R", "ELEMS.Span1.MESH.mesh_y").
inline TElemItem& ItemAt(TElement& root, const std::string& path) {
    TElemList* list = &root;
    std::size_t from = 0;
    for (;;) {
        const std::size_t dot = path.find('.', from);
        const std::string key = path.substr(from, dot == std::string::npos ? std::string::npos : dot - from);
        TElemItem& item = list->Item(list->IndexOfKey(key));
        if (dot == std::string::npos) return item;
        list = &dynamic_cast<TElemList&>(item);
        from = dot + 1;
    }
}

using TSettings = std::vector<std::pair<std::string, std::string>>;

// A problem of type Type ("CylTech", "CompCylTech") with the settings applied
// to its defaults.
inline std::unique_ptr<TProblem> MakeProblem(const std::string& type, const TSettings& settings = {}) {
    RegisterCylTechTypes();
    auto p = std::make_unique<TProblem>(ProblemTypeByName(type), "P");
    for (const auto& [path, text] : settings) ItemAt(p->Root(), path).SetText(text);
    p->Root().Parse();
    p->CollectDomains();
    return p;
}

inline void Solve(TProblem& p, int method = 2) {
    TProgressLog log;
    p.Calculate(method, false, log);
}

inline TDmCylTech& CylOf(TProblem& p, int i = 0) {
    return static_cast<TDmCylTech&>(*p.Domains().at(static_cast<std::size_t>(i))->Domain);
}

// A result (kind) or input value at node (i, j).
inline double ResultAt(TDmCylTech& d, int kind, int i, int j) {
    d.SetPos(0, i);
    d.SetPos(1, j);
    return static_cast<double>(d.ResultValue(kind));
}

inline double InputAt(TDmCylTech& d, int kind, int i, int j) {
    d.SetPos(0, i);
    d.SetPos(1, j);
    return static_cast<double>(d.InputValue(kind));
}

// The largest |w| over every node of a domain.
inline double MaxAbsW(TDmCylTech& d) {
    double m = 0;
    for (int i = 0; i <= d.StepCount(0); ++i)
        for (int j = 0; j < d.StepCount(1); ++j) m = std::max(m, std::fabs(ResultAt(d, 2, i, j)));
    return m;
}

}  // namespace zem::cyltest
