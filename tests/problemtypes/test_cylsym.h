// Shared helpers of the cylinder tests: problems made through the type
// catalogue, item edits, and the solved deflection read back node by node.
#pragma once

#include "domains/ElDomain.h"
#include "elements/Elements.h"
#include "platform/progress.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"
#include "problemtypes/DmCylSym.h"
#include "problemtypes/Register.h"

#include <memory>
#include <string>
#include <vector>

namespace zem::cyltest {

// The band Gauss method: quick on the long meshes of these tests.
constexpr int kBandGauss = 2;

inline std::unique_ptr<TProblem> MakeProblem(const std::string& type) {
    RegisterProblemTypes();
    return std::make_unique<TProblem>(ProblemTypeByName(type), "P");
}

// Sets item Key of section Section (PARAMS, BOUNDS, LOADS, MESH) of Element.
inline void SetItem(TElement& element, const std::string& section, const std::string& key, const std::string& text) {
    const int s = element.IndexOfKey(section);
    auto& list = dynamic_cast<TElemList&>(element.Item(s));
    list.Item(list.IndexOfKey(key)).SetText(text);
}

// Reads the root's text again, as the problem window does after an edit.
inline void Reparse(TProblem& p) {
    p.Root().SetText(std::string(p.Root().Text()));
    p.CollectDomains();
}

inline void Solve(TProblem& p) {
    TProgressLog log;
    p.Calculate(kBandGauss, false, log);
}

inline TDmCylSym& CylOf(TProblem& p, std::size_t d = 0) {
    return dynamic_cast<TDmCylSym&>(*p.Domains().at(d)->Domain);
}

// Result Kind of domain D at every node.
inline std::vector<double> Results(TProblem& p, int kind, std::size_t d = 0) {
    TDmCylSym& cyl = CylOf(p, d);
    std::vector<double> r;
    for (int i = 0; i <= cyl.StepCount(0); ++i) {
        cyl.SetPos(0, i);
        r.push_back(static_cast<double>(cyl.ResultValue(kind)));
    }
    return r;
}

inline std::vector<std::string> RowNames(TProblem& p) {
    p.BuildEquations();
    std::vector<std::string> names;
    for (int r = 0; r < p.Equations().Count(); ++r) names.push_back(p.Equations().Name(r));
    return names;
}

}  // namespace zem::cyltest
