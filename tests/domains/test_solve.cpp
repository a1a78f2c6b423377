// The whole path of a row, from the writers through the stencils, the domain
// and the element tree to a problem that solves the system: a string and a
// membrane whose exact solutions are known.
#include "domains/model_elements.h"

#include <gtest/gtest.h>

using namespace zem;
using namespace zem::test;

TEST(SolveString, UniformLoadGivesTheExactParabola) {
    // -T w'' = q with w = 0 at the ends: w = q x (L - x) / (2 T). The
    // three-point second difference is exact for a parabola, on any mesh.
    TTestHost host;
    auto string = MakeRoot<TElString>(host, "S");
    string->Params().Item(0).SetText("2");      // T
    string->Params().Item(1).SetText("3");      // H
    string->Mesh().Item(0).SetText("[0.1, [3, 0.3], 0.6]");
    string->Loads().Item(0).SetText("[4, 1]");  // q = 5
    string->Parse();

    host.Solve(*string);
    ASSERT_EQ(host.Equations.Count(), string->Domain->StepCount(0) + 3);
    EXPECT_EQ(host.Equations.Name(0), "Eq(0)") << "a root element's rows carry no prefix";
    EXPECT_EQ(host.Equations.Name(1), "w(0)");

    auto w = string->ResultValues(0);
    const auto& line = dynamic_cast<const TLineItem&>(*w);
    ASSERT_EQ(line.Count(), 6u);
    for (int i = 0; i <= 5; ++i) {
        const double x = double(string->Domain->NodeCoord(0, i));
        EXPECT_NEAR(double(line.GetItem(i)), 5 * x * (3 - x) / 4, 1e-12) << "node " << i;
    }
    // The slope at the ends through the stencil's evaluation.
    string->Domain->SetPos(0, 0);
    EXPECT_NEAR(double(string->Domain->ResultValue(1)), 5 * 3.0 / 4, 1e-12);
}

TEST(SolveString, FullTankGivesTheExactCubic) {
    // -w'' = gamma (L - x) on a string of length 10 filled to the top, on 400
    // steps whose sum exceeds 10 by rounding: w = gamma (x^3/6 - L x^2/2 + L^2 x/3).
    // The three-point second difference is exact for a cubic, so any fault
    // of the pressure profile (a lost top node, a spurious uniform part)
    // shows at once.
    TTestHost host;
    auto string = MakeRoot<TElString>(host, "S");
    string->Params().Item(1).SetText("10");
    string->Loads().Item(0).SetText("");
    string->Loads().Item(1).SetText("6");
    string->Mesh().Item(0).SetText("400");
    string->Parse();
    host.Solve(*string);
    const Extended L = 10;
    for (int i = 0; i <= 400; i += 25) {
        string->Domain->SetPos(0, i);
        const Extended x = string->Domain->PosCoord(0);
        const Extended exact = 6 * (x * x * x / 6 - L * x * x / 2 + L * L * x / 3);
        EXPECT_NEAR(double(string->Domain->ResultValue(0)), double(exact), 1e-7 * 2000) << "node " << i;
    }
}

TEST(SolveMembrane, ClosedSurfaceWithHarmonicEdgeAndUniformLoad) {
    // -(w_xx + w_yy) = q on 0 <= x <= 1 around a circle of radius 1, with
    // w(0, y) = cos y and w(1, y) = 0:
    // w = q x (1 - x)/2 + sinh(1 - x)/sinh(1) cos y.
    auto error = [](int n0, int n1) {
        TTestHost host;
        auto m = MakeRoot<TElMembrane>(host, "M");
        m->Bounds().Item(0).SetText("[0, 1]");  // one cosine wave around the circumference
        m->Loads().Item(0).SetText("3");
        m->Mesh().Item(0).SetText(std::to_string(n0));
        m->Mesh().Item(1).SetText(std::to_string(n1));
        m->Parse();
        host.Solve(*m);
        EXPECT_EQ(host.Equations.Count(), (n0 + 3) * n1);
        auto values = m->ResultValues(0);
        const auto& w = dynamic_cast<const TMatrix&>(*values);
        EXPECT_EQ(w.Rows(), std::size_t(n0 + 1));
        EXPECT_EQ(w.Cols(), std::size_t(n1 + 1));
        Extended worst = 0;
        for (int i = 0; i <= n0; ++i) {
            EXPECT_EQ(w.GetItem(i, n1), w.GetItem(i, 0)) << "the last column repeats node 0";
            for (int j = 0; j <= n1; ++j) {
                const Extended x = m->Domain->NodeCoord(0, i), y = m->Domain->NodeCoord(1, j);
                const Extended exact = 3 * x * (1 - x) / 2 + std::sinh(1 - x) / std::sinh(1.0L) * std::cos(y);
                worst = std::max(worst, std::fabs(w.GetItem(i, j) - exact));
            }
        }
        return worst;
    };
    const Extended e1 = error(8, 12), e2 = error(16, 24);
    EXPECT_LT(e1, 1e-2);
    EXPECT_NEAR(double(std::log2(e1 / e2)), 2, 0.15);
}

TEST(SolveMembrane, RowsAreWrittenAgainOnEveryRequest) {
    TTestHost host;
    auto m = MakeRoot<TElMembrane>(host, "M");
    host.Equations.Clear();
    m->BuildEquations(host.Equations);
    host.BuildRow(20);
    const auto first = host.Row;
    const Extended free = host.Free;
    host.BuildRow(3);
    host.BuildRow(20);
    EXPECT_EQ(host.Row, first);
    EXPECT_EQ(host.Free, free);
    EXPECT_EQ(host.Equations.Name(20), "Eq(1,4)");
}
