// Result requests answered against the exported CSV table, read here on its
// own: extremes over its columns, values at a point blended from its rows;
// requests that cannot be answered, with their reasons; the study table and
// the sweep.
#include "calc/Queries.h"
#include "calc/Study.h"

#include "problemtypes/cylinders.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <sstream>

using namespace zem;
using namespace zem::cyltest;
using zem::test::Slurp;
using zem::test::TempDir;

namespace {

// The CSV export as rows of numbers by column title ("w [m]"), the domain apart.
struct TCsvTable {
    std::vector<std::string> Titles;
    std::vector<std::string> Domain;
    std::vector<std::vector<long double>> Rows;

    explicit TCsvTable(TProblem& p, const TempDir& dir) {
        ExportCsv(p, dir / "r.csv");
        std::istringstream in(Slurp(dir / "r.csv"));
        std::string line;
        std::getline(in, line);
        for (std::istringstream s(line); std::getline(s, line, ',');) Titles.push_back(line);
        while (std::getline(in, line)) {
            std::istringstream s(line);
            std::string cell;
            std::getline(s, cell, ',');
            Domain.push_back(cell);
            Rows.emplace_back();
            while (std::getline(s, cell, ',')) Rows.back().push_back(cell.empty() ? NAN : std::stold(cell));
        }
    }
    // Column of Title among the numbers (the domain is not among them).
    std::size_t Col(const std::string& title) const {
        const auto it = std::find(Titles.begin(), Titles.end(), title);
        EXPECT_NE(it, Titles.end()) << title;
        return static_cast<std::size_t>(it - Titles.begin()) - 1;
    }
    // The values of Title on the rows of Domain, with x and y.
    std::vector<std::array<long double, 3>> Of(const std::string& domain, const std::string& title) const {
        std::vector<std::array<long double, 3>> v;
        const std::size_t c = Col(title), x = Col("x [m]"), y = Col("y [m]");
        for (std::size_t r = 0; r < Rows.size(); ++r)
            if (Domain[r] == domain) v.push_back({Rows[r][x], Rows[r][y], Rows[r][c]});
        return v;
    }
};

// The value of a line field at X, blended from the two rows about it.
long double AlongLine(std::vector<std::array<long double, 3>> v, long double x) {
    std::sort(v.begin(), v.end());
    for (std::size_t k = 0; k + 1 < v.size(); ++k)
        if (v[k][0] <= x && x <= v[k + 1][0])
            return v[k][2] + (v[k + 1][2] - v[k][2]) * (x - v[k][0]) / (v[k + 1][0] - v[k][0]);
    ADD_FAILURE() << "x = " << x << " outside the rows";
    return NAN;
}

long double Picked(const std::vector<std::array<long double, 3>>& v,
                   const std::function<bool(long double, long double)>& better) {
    long double best = v.front()[2];
    for (const auto& r : v)
        if (better(r[2], best)) best = r[2];
    return best;
}

void ExpectAnswer(const TQueryAnswer& a, long double expected, const std::string& unit) {
    ASSERT_TRUE(a.Answered) << a.Request << ": " << a.Error;
    EXPECT_NEAR(static_cast<double>(a.Value), static_cast<double>(expected), 1e-9 * std::fabs(static_cast<double>(expected)) + 1e-18)
        << a.Request;
    EXPECT_EQ(a.Unit, unit) << a.Request;
}

std::unique_ptr<TProblem> TwoSpans() {
    auto p = MakeProblem("CompCylSym", {{"ELEMS.Span1.PARAMS.H", "2"},
                                        {"ELEMS.Span1.PARAMS.t", "0.012"},
                                        {"ELEMS.Span2.PARAMS.t", "0.008"},
                                        {"ELEMS.Span1.MESH.mesh_x", "8"},
                                        {"ELEMS.Span2.MESH.mesh_x", "6"}});
    Solve(*p);
    return p;
}

}  // namespace

TEST(Requests, EveryKindAgainstTheExportedTable) {
    TempDir dir;
    auto spans = TwoSpans();
    const TCsvTable t(*spans, dir);
    const auto results = QueryResults(*spans);
    const auto ask = [&](const std::string& r) { return AnswerRequest(results, r); };
    const auto gt = [](long double a, long double b) { return a > b; };
    const auto lt = [](long double a, long double b) { return a < b; };
    const auto absGt = [](long double a, long double b) { return std::fabs(a) > std::fabs(b); };
    auto wAll = t.Of("Span1", "w [m]"), w2 = t.Of("Span2", "w [m]");
    wAll.insert(wAll.end(), w2.begin(), w2.end());
    auto m1All = t.Of("Span1", "M1 [N·m/m]"), m12 = t.Of("Span2", "M1 [N·m/m]");
    m1All.insert(m1All.end(), m12.begin(), m12.end());

    // Extremes over both spans, and in one named span.
    ExpectAnswer(ask("max |w|"), std::fabs(Picked(wAll, absGt)), "m");
    ExpectAnswer(ask("w"), Picked(wAll, absGt), "m");
    ExpectAnswer(ask("min M1"), Picked(m1All, lt), "N·m/m");
    ExpectAnswer(ask("max M1"), Picked(m1All, gt), "N·m/m");
    ExpectAnswer(ask("max Span2.M1"), Picked(m12, gt), "N·m/m");
    ExpectAnswer(ask("max |Пояс2.M1|"), std::fabs(Picked(m12, absGt)), "N·m/m");
    // The place of an extreme is the node's.
    const TQueryAnswer lo = ask("min M1");
    const auto at = std::find_if(m1All.begin(), m1All.end(), [&](const auto& r) { return r[2] == lo.Value; });
    ASSERT_NE(at, m1All.end());
    EXPECT_EQ(lo.X, (*at)[0]);

    // Points: along the whole shell from its bottom, or up a named span;
    // between nodes a linear blend, and the joint belongs to the lower span.
    ExpectAnswer(ask("M1(0)"), t.Of("Span1", "M1 [N·m/m]").front()[2], "N·m/m");
    ExpectAnswer(ask("w(0.9)"), AlongLine(t.Of("Span1", "w [m]"), 0.9), "m");
    ExpectAnswer(ask("w(2.4)"), AlongLine(w2, 2.4), "m");
    ExpectAnswer(ask("Span2.w(0.4)"), AlongLine(w2, 2.4), "m");
    ExpectAnswer(ask("Пояс2.w(x=0.4)"), AlongLine(w2, 2.4), "m");
    ExpectAnswer(ask("N2(2)"), AlongLine(t.Of("Span1", "N2 [N/m]"), 2), "N/m");
    EXPECT_EQ(ask("Span2.w(0.4)").Place, "Span2, x = 2.4 m");

    // A surface: x and the angle round, blended from four nodes.
    auto tech = MakeProblem("CylTech", {{"PARAMS.R", "1"}, {"PARAMS.H", "2"}, {"MESH.mesh_x", "4"},
                                        {"MESH.mesh_y", "8"}, {"LOADS.Wind", "[0, 500]"}});
    Solve(*tech);
    const TCsvTable s(*tech, dir);
    const auto w = s.Of("", "w [m]");
    const auto node = [&](long double x, long double y) {
        for (const auto& r : w)
            if (std::fabs(r[0] - x) < 1e-9 && std::fabs(r[1] - y) < 1e-9) return r[2];
        ADD_FAILURE() << "no node at " << x << ", " << y;
        return (long double)NAN;
    };
    const long double arc = 2 * std::numbers::pi_v<long double> / 8;  // R = 1
    // x = 0.75 between 0.5 and 1, 60 degrees a third of the way from 45 to 90;
    // and 405 degrees is 45 again.
    const long double fx = 0.5, fy = (60.0L / 45 - 1);
    const long double bl = (1 - fx) * ((1 - fy) * node(0.5, arc) + fy * node(0.5, 2 * arc)) +
                           fx * ((1 - fy) * node(1, arc) + fy * node(1, 2 * arc));
    const auto techResults = QueryResults(*tech);
    ExpectAnswer(AnswerRequest(techResults, "w(x=0.75, угол=60)"), bl, "m");
    ExpectAnswer(AnswerRequest(techResults, "w(0.75, 60°)"), bl, "m");
    ExpectAnswer(AnswerRequest(techResults, "w(x=1, θ=405)"), node(1, arc), "m");
    ExpectAnswer(AnswerRequest(techResults, "w(x=1, y=" + ExactText(arc) + ")"), node(1, arc), "m");
    // Past the last node round the circle the blend closes on node 0.
    ExpectAnswer(AnswerRequest(techResults, "w(1, 337.5)"), (node(1, 7 * arc) + node(1, 0)) / 2, "m");
}

TEST(Requests, ARingByAngleBesideItsShell) {
    TempDir dir;
    auto p = MakeProblem("CylRing", {{"MESH.mesh_x", "8"}, {"MESH.mesh_y", "8"}, {"LOADS.Wind", "[0, 0, 1000]"}});
    Solve(*p);
    const TCsvTable t(*p, dir);
    const auto results = QueryResults(*p);
    const auto ring = t.Of("Ring", "N2 [N]");
    const double R = results.back().Radius;
    ExpectAnswer(AnswerRequest(results, "Ring.N2(90°)"), AlongLine(ring, R * std::numbers::pi / 2), "N");
    ExpectAnswer(AnswerRequest(results, "Кольцо.N2(x=" + ExactText(R * std::numbers::pi / 4) + ")"),
                 AlongLine(ring, R * std::numbers::pi / 4), "N");
    ExpectAnswer(AnswerRequest(results, "Ring.N2(-270°)"), AlongLine(ring, R * std::numbers::pi / 2), "N");
    EXPECT_EQ(AnswerRequest(results, "Ring.N2(90°)").Place, "Ring, 90°");
    // N2 alone is the shell's, per metre; the ring's whole force is asked by name.
    ExpectAnswer(AnswerRequest(results, "max N2"), Picked(t.Of("", "N2 [N/m]"), std::greater<long double>()), "N/m");
    ExpectAnswer(AnswerRequest(results, "min Ring.Mr"), Picked(t.Of("Ring", "Mr [N·m]"), std::less<long double>()),
                 "N·m");
}

TEST(Requests, WhatCannotBeAnsweredSaysWhy) {
    auto spans = TwoSpans();
    const auto results = QueryResults(*spans);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"SigEq4", "SigEq4: неизвестная величина SigEq4 (есть: w, dwx, N2, Q1, M1, Sig1, Sig2, SigEq)"},
        {"Span3.w(1)", "Span3.w(1): нет области Span3 (есть: Span1, Span2)"},
        {"Пояс5.w", "Пояс5.w: нет области Пояс5 (есть: Span1, Span2)"},
        {"w(3.5)", "w(3.5): точка вне оболочки: x = 3.5 m, а оболочка от 0 до 3 m"},
        {"w(-0.1)", "w(-0.1): точка вне оболочки: x = -0.1 m, а оболочка от 0 до 3 m"},
        {"Span2.w(1.5)", "Span2.w(1.5): точка вне оболочки: x = 1.5 m, а оболочка от 0 до 1 m"},
        {"max w(1)", "max w(1): ошибка в записи запроса: max и min ищут по всему полю, без точки"},
        {"w(1", "w(1: ошибка в записи запроса: нет закрывающей скобки"},
        {"w()", "w(): ошибка в записи запроса: пустые скобки"},
        {"w(1, 2, 3)", "w(1, 2, 3): ошибка в записи запроса: больше двух координат"},
        {"w(z=1)", "w(z=1): ошибка в записи запроса: неизвестная координата z (есть x, y, угол)"},
        {"w(abc)", "w(abc): ошибка в записи запроса: не число: abc"},
        {"w(x=1, x=2)", "w(x=1, x=2): ошибка в записи запроса: координата задана дважды"},
        {"|w|", "|w|: ошибка в записи запроса: |...| пишется после max или min"},
        {"w(90°)", "w(90°): ошибка в записи запроса: x задается в метрах, угол в градусах - только на кольце"},
        {".w", ".w: ошибка в записи запроса: нет имени области перед точкой"},
        {"max", "max: неизвестная величина max (есть: w, dwx, N2, Q1, M1, Sig1, Sig2, SigEq)"},
    };
    for (const auto& [request, text] : cases) {
        const TQueryAnswer a = AnswerRequest(results, request);
        EXPECT_FALSE(a.Answered) << request;
        EXPECT_EQ(AnswerText(a), text);
    }
    // An unsolved problem answers nothing, each request saying so.
    auto fresh = MakeProblem("CylSym");
    const auto answers = AnswerRequests(*fresh, {"w; M1(0)", "// a comment", ""});
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(AnswerText(answers[1]), "M1(0): задача не рассчитана");
    // Requests are cut at ";" and at ":" of older texts; comments are dropped.
    EXPECT_EQ(SplitRequests({" w ; max M1:", "M1(0) // at the bottom", ";;"}),
              (std::vector<std::string>{"w", "max M1", "M1(0)"}));
}

TEST(Study, SweptObjectsAndTheTableOfTheirAnswers) {
    // Parameters are found at the top and inside a named child, and lists stay whole.
    const std::vector<std::string> object = {"{PARAMS={R=5, H=4, t=0.01},", " MESH={mesh_x=[[40, 0.25], [30, 0.75]]},",
                                             " ELEMS={Span2={PARAMS={H=4, t=0.010}, MESH={mesh_x=80}}}}"};
    EXPECT_EQ(ObjectParameter(object, "t"), "0.01");
    EXPECT_EQ(ObjectParameter(object, "Span2.t"), "0.010");
    EXPECT_EQ(ObjectParameter(object, "mesh_x"), "[[40, 0.25], [30, 0.75]]");
    EXPECT_EQ(ObjectParameter(object, "Span2.mesh_x"), "80");
    EXPECT_EQ(ObjectParameter(object, "E"), "");
    const auto changed = WithObjectParameter(object, "Span2.t", "0.014");
    EXPECT_EQ(changed[2], " ELEMS={Span2={PARAMS={H=4, t=0.014}, MESH={mesh_x=80}}}}");
    EXPECT_EQ(changed[0], object[0]);
    EXPECT_THROW(WithObjectParameter(object, "Span3.t", "1"), ZemError);

    const TSweepParam p = ParseSweep("t=0.008:0.014:4");
    EXPECT_EQ(p.Values(), (std::vector<double>{0.008, 0.01, 0.012, 0.014}));
    for (const char* bad : {"t", "t=1:2", "t=1:2:0", "t=1:2:2.5", "=1:2:3", "t=a:2:3", "t=1:2:3:4"})
        EXPECT_THROW(ParseSweep(bad), ZemError) << bad;

    // The table: a header with units, exact values, a failed row saying why.
    auto spans = TwoSpans();
    TStudyTable table;
    table.Parameters = {"t"};
    table.Requests = {"M1(0)", "foo"};
    table.Rows.push_back(StudyRow("a.zem", *spans, {"{PARAMS={t=0.01}}"}, {"t"}, table.Requests));
    table.Rows.push_back({"b, c.zem", {}, {}, {}, {}, "Ошибка данных"});
    const auto lines = table.Csv();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "member,t,mesh,mesh guard,M1(0) [N·m/m],foo,error");
    const auto cells = ReadCsvLines(lines);
    EXPECT_EQ(cells[1][1], "0.01");
    EXPECT_EQ(cells[1][2], "Span1 8, Span2 6");
    EXPECT_EQ(std::stold(cells[1][4]), table.Rows[0].Answers[0].Value) << "exact text";
    EXPECT_EQ(cells[1][5], "");
    EXPECT_EQ(cells[1][6].rfind("foo: неизвестная величина foo", 0), 0u);
    EXPECT_EQ(cells[2][0], "b, c.zem");
    EXPECT_EQ(cells[2][6], "Ошибка данных");
}
