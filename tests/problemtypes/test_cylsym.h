// Shared helpers of the cylinder tests: problems made through the type
// catalogue, item edits, and results read back node by node.
#pragma once

#include "domains/ElDomain.h"
#include "platform/progress.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"
#include "problemtypes/DmCylSym.h"
#include "problemtypes/Register.h"

#include <array>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace zem::cyltest {

// A problem of catalogue type Type with the defaults of its items.
inline std::unique_ptr<TProblem> MakeProblem(const std::string& type) {
    RegisterProblemTypes();
    return std::make_unique<TProblem>(ProblemTypeByName(type), "P");
}

// Sets items {section, key, text} of the root, then reads the root's text
// again, as the problem window does after an edit.
inline void Edit(TProblem& p, std::initializer_list<std::array<const char*, 3>> items) {
    for (const auto& [section, key, text] : items) {
        auto& list = dynamic_cast<TElemList&>(p.Root().Item(p.Root().IndexOfKey(section)));
        list.Item(list.IndexOfKey(key)).SetText(text);
    }
    p.Root().SetText(std::string(p.Root().Text()));
    p.CollectDomains();
}

// Solved by the band Gauss method.
inline void Solve(TProblem& p) {
    TProgressLog log;
    p.Calculate(2, false, log);
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
