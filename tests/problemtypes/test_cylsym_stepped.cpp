// The stepped cylinder: rows and unknowns of the spans and their joints, a
// series of equal spans against one cylinder, spans of their own thickness,
// a span refined alone, and a problem file of three spans read back.
#include "test_cylsym.h"

#include "platform/errors.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include <unistd.h>

using namespace zem;
using namespace zem::cyltest;
using ::testing::ElementsAre;

namespace {

const char* const kSteel = "R=10, t=0.01, E=2.06e11, mu=0.3";

// A stepped cylinder of steel with the given compound height and spans.
std::unique_ptr<TProblem> Stepped(const std::string& h, const std::string& spans, const std::string& loads) {
    auto p = MakeProblem("CompCylSym");
    p->Root().SetText("{PARAMS={" + std::string(kSteel) + ", H=" + h +
                      "}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, LOADS={" + loads + "}, ELEMS={" + spans +
                      "}}");
    p->CollectDomains();
    return p;
}

// The deflection of every span, nodes in order, the joint node once.
std::vector<double> Deflection(TProblem& p) {
    std::vector<double> w;
    for (std::size_t d = 0; d < p.Domains().size(); ++d) {
        auto span = Results(p, TDmCylSym::rkW, d);
        w.insert(w.end(), span.begin() + (d ? 1 : 0), span.end());
    }
    return w;
}

}  // namespace

TEST(CompCylSym, DefaultSeriesRowsAndJoint) {
    auto p = MakeProblem("CompCylSym");
    EXPECT_EQ(p->Root().GetCaption(), ProblemTypeCaption(ProblemTypeByName("CompCylSym")));
    ASSERT_EQ(p->Domains().size(), 2u);
    EXPECT_EQ(CylOf(*p, 1).E, 2.01e11);
    EXPECT_EQ(CylOf(*p, 1).Lengths[0], 1.0);
    EXPECT_THAT(RowNames(*p),
                ElementsAre("Span1.Eq(0)", "Span1.dw(0)", "Span1.w(0)", "Span1.Eq(1)", "Span1.Eq(2)", "Span1.Eq(3)",
                            "Cnt(w[0,1])", "Cnt(dw[0,1])", "Span1.Eq(4)", "Span2.Eq(0)", "Cnt(Q1[0,1])",
                            "Cnt(M1[0,1])", "Span2.Eq(1)", "Span2.Eq(2)", "Span2.Eq(3)", "Span2.Eq(4)",
                            "Span2.M1(4)", "Span2.Q1(4)"));
    // The liquid fills both spans: gamma (H1 + H2) at the bottom.
    TDmCylSym& lower = CylOf(*p, 0);
    lower.SetPos(0, 0);
    EXPECT_NEAR(static_cast<double>(lower.InputValue(0)), 20000, 1e-9);
}

TEST(CompCylSym, EqualSpansBehaveAsOneCylinder) {
    const std::string loads = "Uniform=300, Gidr=10000";
    auto series = Stepped("5", "Span1={MESH={mesh_x=20}}, Span2={MESH={mesh_x=20}}", loads);
    auto single = MakeProblem("CylSym");
    single->Root().SetText(std::string("{PARAMS={") + kSteel +
                           ", H=10}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, LOADS={" + loads +
                           "}, MESH={mesh_x=40}}");
    single->CollectDomains();
    Solve(*series);
    Solve(*single);
    EXPECT_EQ(series->UnknownCount(), 50u);  // (20 + 5) twice
    const auto a = Deflection(*series), b = Results(*single, TDmCylSym::rkW);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], 1e-9 * b[0] + 1e-12) << "node " << i;
}

TEST(CompCylSym, SpansOfTheirOwnThicknessAndMesh) {
    // Three long spans under a uniform pressure: away from the joints each
    // carries it as a membrane of its own thickness, w = q R^2 / (E t_i);
    // at the joints the quantities of both sides agree.
    auto p = Stepped("10", "Span1={PARAMS={t=0.012}, MESH={mesh_x=160}}, Span2={MESH={mesh_x=200}}, "
                     "Span3={PARAMS={H=6, t=0.008}, MESH={mesh_x=96}}",
                     "Uniform=1000");
    Solve(*p);
    EXPECT_EQ(p->UnknownCount(), 160u + 200 + 96 + 15);
    EXPECT_EQ(CylOf(*p, 2).Lengths[0], 6.0);
    const double thickness[] = {0.012, 0.01, 0.008};
    for (std::size_t d = 0; d < 3; ++d) {
        const auto w = Results(*p, TDmCylSym::rkW, d);
        const double membrane = 1000 * 100 / (2.06e11 * thickness[d]);
        EXPECT_NEAR(w[w.size() / 2], membrane, 1e-6 * membrane) << "span " << d + 1;
    }
    for (std::size_t d = 0; d + 1 < 3; ++d)
        for (int kind : {TDmCylSym::rkW, TDmCylSym::rkDwx, TDmCylSym::rkQ1, TDmCylSym::rkM1}) {
            const double top = Results(*p, kind, d).back(), bottom = Results(*p, kind, d + 1).front();
            EXPECT_NEAR(top, bottom, 1e-6 * std::fabs(top) + 1e-12) << "joint " << d << ", result " << kind;
        }
}

TEST(CompCylSym, ASpanRefinedAloneKeepsTheCompoundsLoadsAndEnds) {
    auto p = Stepped("5", "Span1={MESH={mesh_x=8}}, Span2={MESH={mesh_x=8}}", "Uniform=300, Gidr=10000");
    p->DoubleMesh();
    const std::string text = p->Root().Text();
    EXPECT_NE(text.find("Span1={MESH={mesh_x=16}}"), std::string::npos) << text;
    EXPECT_NE(text.find("Span2={MESH={mesh_x=16}}"), std::string::npos) << text;
    auto fresh = Stepped("5", "Span1={MESH={mesh_x=16}}, Span2={MESH={mesh_x=16}}", "Uniform=300, Gidr=10000");
    Solve(*p);
    Solve(*fresh);
    EXPECT_EQ(Deflection(*p), Deflection(*fresh));
    EXPECT_EQ(Deflection(*p).front(), 0.0);
}

TEST(CompCylSym, ThreeSpansReadBackFromTheProblemFile) {
    const auto dir = std::filesystem::temp_directory_path() / ("zem_cylsym_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto p = Stepped("2", "Span1={PARAMS={t=0.02}, MESH={mesh_x=6}}, Span2={MESH={mesh_x=[0.5, [2, 0.5]]}}, "
                     "Span3={PARAMS={H=3}, LOADS={Uniform=500}}",
                     "Gidr=[10000, 5]");
    const TPbData data(StoredPath(dir.string()));
    const std::string file = StoredPath((dir / "stepped.zem").string());
    TProblemTexts texts;
    texts.Object = PrintObject(*p);
    data.WriteProblemFile(file, *p, false, texts);

    TProblemTexts readTexts;
    auto q = data.ReadProblemFile(file, readTexts);
    EXPECT_EQ(q->Root().Text(), p->Root().Text());
    ASSERT_EQ(q->Domains().size(), 3u);
    Solve(*p);
    Solve(*q);
    EXPECT_EQ(q->UnknownCount(), 6u + 3 + 4 + 15);
    EXPECT_EQ(RowNames(*q), RowNames(*p));
    for (int kind = 0; kind < 8; ++kind)
        for (std::size_t d = 0; d < 3; ++d) EXPECT_EQ(Results(*q, kind, d), Results(*p, kind, d));
    std::filesystem::remove_all(dir);
}
