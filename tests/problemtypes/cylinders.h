// Cylinder problems built and solved the way the program does it: a problem
// of the catalogue type, items set by their dotted path ("PARAMS.R",
// "ELEMS.Span1.MESH.mesh_y"), the root's text read again as the problem
// window does after an edit, the system solved by one of the solvers, and
// the results read back node by node.
#pragma once

#include "domains/Equations.h"
#include "elements/ElLists.h"
#include "elements/Elements.h"
#include "platform/numtext.h"
#include "platform/progress.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"
#include "problemtypes/DmCylSym.h"
#include "problemtypes/DmRing.h"
#include "problemtypes/ElCyls.h"
#include "problemtypes/Register.h"
#include "solvers/Matrises.h"

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace zem::cyltest {

inline TElemItem& ItemAt(TElement& root, const std::string& path) {
    TElemList* list = &root;
    for (std::size_t from = 0;;) {
        const std::size_t dot = path.find('.', from);
        TElemItem& item = list->Item(list->IndexOfKey(path.substr(from, dot - from)));
        if (dot == std::string::npos) return item;
        list = &dynamic_cast<TElemList&>(item);
        from = dot + 1;
    }
}

using TSettings = std::vector<std::pair<std::string, std::string>>;

inline TSettings operator+(TSettings a, const TSettings& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Both ends simply supported: v and w held, no N1 and no M1, u free.
inline TSettings SimplySupportedEnds() {
    TSettings set;
    for (const char* e : {"_bot", "_top"}) {
        for (const char* k : {"u", "dw", "S1", "Q1"}) set.push_back({std::string("BOUNDS.") + k + e, ""});
        for (const char* k : {"v", "w", "N1", "M1"}) set.push_back({std::string("BOUNDS.") + k + e, "0"});
    }
    return set;
}

inline void Edit(TProblem& p, const TSettings& settings) {
    for (const auto& [path, text] : settings) ItemAt(p.Root(), path).SetText(text);
    p.Root().SetText(std::string(p.Root().Text()));
    p.CollectDomains();
}

// A problem of catalogue type Type with the settings applied to its defaults,
// on meshes of 4 steps in every direction unless the settings say otherwise
// (the size the row tests are written for; a new problem's meshes are finer).
inline std::unique_ptr<TProblem> MakeProblem(const std::string& type, const TSettings& settings = {}) {
    RegisterProblemTypes();
    auto p = std::make_unique<TProblem>(ProblemTypeByName(type), "P");
    for (std::size_t i = 0; i < p->Domains().size(); ++i)
        for (int j = 0; j < p->Domains()[i]->Mesh().Count(); ++j) p->Domains()[i]->Mesh().Item(j).SetText("4");
    Edit(*p, settings);
    return p;
}

// A problem of catalogue type Type read from the text of its root.
inline std::unique_ptr<TProblem> FromText(const std::string& type, const std::string& text) {
    auto p = MakeProblem(type);
    p->Root().SetText(text);
    p->CollectDomains();
    return p;
}

// Solved by the band Gauss method unless told otherwise.
inline void Solve(TProblem& p, int method = 2) {
    TProgressLog log;
    p.Calculate(method, false, log);
}

inline std::vector<std::string> RowNames(TProblem& p) {
    p.BuildEquations();
    std::vector<std::string> names;
    for (int r = 0; r < p.Equations().Count(); ++r) names.push_back(p.Equations().Name(r));
    return names;
}

// A long steel shell (E = 2.06e11, mu = 0.3) of radius R and wall t clamped
// at x = 0, far from its other end, under the pressure q0 + gamma (H - x):
// D w^(4) + K w = q with K = E t / R^2, so w is q / K less the decaying edge
// solution that gives w(0) = w'(0) = 0 (beta^4 = K / (4 D)).
inline double ClampedLongShell(double x, double R, double t, double q0, double gamma = 0, double H = 0) {
    const double k = 2.06e11 * t / (R * R), beta = std::pow(3 * (1 - 0.09) / (R * R * t * t), 0.25);
    const double c1 = (q0 + gamma * H) / k, c2 = c1 - gamma / (k * beta);
    return (q0 + gamma * (H - x)) / k - std::exp(-beta * x) * (c1 * std::cos(beta * x) + c2 * std::sin(beta * x));
}

// --- The axisymmetric cylinder: results of domain D at every node.

inline TDmCylSym& CylSymOf(TProblem& p, std::size_t d = 0) {
    return dynamic_cast<TDmCylSym&>(*p.Domains().at(d)->Domain);
}

inline std::vector<double> Results(TProblem& p, int kind, std::size_t d = 0) {
    TDmCylSym& cyl = CylSymOf(p, d);
    std::vector<double> r;
    for (int i = 0; i <= cyl.StepCount(0); ++i) {
        cyl.SetPos(0, i);
        r.push_back(static_cast<double>(cyl.ResultValue(kind)));
    }
    return r;
}

// --- The technical-theory cylinder: a result or input value at node (i, j).

inline TDmCylTech& CylTechOf(TProblem& p, std::size_t d = 0) {
    return dynamic_cast<TDmCylTech&>(*p.Domains().at(d)->Domain);
}

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

// --- The ring: its domain and a result at node i.

inline TDmRing& RingOf(TProblem& p) { return dynamic_cast<TDmRing&>(*p.Domains().at(0)->Domain); }

inline double ResultAt(TDmRing& d, int kind, int i) {
    d.SetPos(0, i);
    return static_cast<double>(d.ResultValue(kind));
}

}  // namespace zem::cyltest
