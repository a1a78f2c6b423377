// The domain base: mesh values, node coordinates and wrapping, load functions
// (the hydrostatic one above all), cell edges, equation names and the mesh
// error against a solution on halved steps.
#include "domains/probe_domain.h"
#include "elements/MyObjecs.h"
#include "elements/MyStr.h"
#include "platform/errors.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace zem;
using namespace zem::dmtest;

namespace {

struct DomainFixture {
    TRecordingOwner owner;
    TProbeDomain domain;
    explicit DomainFixture(int dims = 1) : domain(&owner, dims) {}

    void Mesh(const std::string& text, double length, int d = 0) {
        domain.Lengths[static_cast<std::size_t>(d)] = length;
        domain.BuildSteps(ParseValue(text).get(), d);
    }
    Extended LoadAt(int slot, int i, int j = 0) {
        domain.SetPos(0, i);
        if (domain.DimCount > 1) domain.SetPos(1, j);
        return domain.LoadValue(slot);
    }
};

std::string MeshFailure(const std::string& text, double length = 1) {
    DomainFixture f;
    try {
        f.Mesh(text, length);
    } catch (const ZemError& e) {
        return e.what();
    }
    return "accepted";
}

}  // namespace

// --- Mesh values ------------------------------------------------------------------

TEST(DomainMesh, CountsAndFractionLists) {
    DomainFixture f;
    f.Mesh("4", 1);
    ASSERT_EQ(f.domain.StepCount(0), 4);
    for (int i = 0; i <= 4; ++i) EXPECT_DOUBLE_EQ(double(f.domain.NodeCoord(0, i)), 0.25 * i);

    f.Mesh("10", 2);
    EXPECT_EQ(f.domain.Steps(0), std::vector<double>(10, 0.2));
    f.Mesh("0.25, [2, 0.5], 0.25", 2);
    EXPECT_EQ(f.domain.Steps(0), std::vector<double>(4, 0.5));
    f.Mesh("[4, 0.5], 0.5", 2);
    EXPECT_EQ(f.domain.Steps(0), (std::vector<double>{0.25, 0.25, 0.25, 0.25, 1.0}));
    f.Mesh("0.5, 0.49995, 0.00010", 1);  // sums to 1.00005: within the tolerance
    EXPECT_EQ(f.domain.StepCount(0), 3);
}

TEST(DomainMesh, EveryBadValueNamesTheMeshItem) {
    const std::string msg = "Ошибка данных сетки mesh_x";
    EXPECT_EQ(MeshFailure("0.5, 0.4", 2), msg) << "fractions sum to 0.9";
    EXPECT_EQ(MeshFailure("0.5, 0.5002"), msg) << "fractions sum to 1.0002";
    EXPECT_EQ(MeshFailure("2.5"), msg) << "a single non-integer number";
    EXPECT_EQ(MeshFailure("0"), msg) << "no steps";
    EXPECT_EQ(MeshFailure("-3"), msg);
    EXPECT_EQ(MeshFailure("[0, 0.5], 0.5"), msg) << "a pair with no steps";
    EXPECT_EQ(MeshFailure("1.5, -0.5"), msg) << "a negative step";
    EXPECT_EQ(MeshFailure("[2, 0.5, 1], 0.5"), msg) << "a triple";
    EXPECT_EQ(MeshFailure("[[2, 0.5]], 0.5"), MeshFailure("[[2, [0.5]], 0.5]")) << "nested lists";
    EXPECT_EQ(MeshFailure("[2, 0.5], 0.5"), "accepted");
    EXPECT_EQ(MeshFailure("4", 0), msg) << "a length of 0 gives steps of 0";
    EXPECT_EQ(MeshFailure("2000000"), msg) << "beyond the largest mesh";

    DomainFixture f;
    EXPECT_THROW(f.domain.BuildSteps(nullptr, 0), ZemError);
    f.owner.Prefix = "";
    f.domain.Lengths[1] = 1;
    try {
        f.domain.BuildSteps(ParseValue("1.5").get(), 1);
        ADD_FAILURE();
    } catch (const ZemError& e) {
        EXPECT_STREQ(e.what(), "Ошибка данных сетки mesh_y");
    }
}

TEST(DomainMesh, StepsBeyondTheEndsAndPeriodicWrap) {
    DomainFixture f(2);
    f.domain.SetSteps(0, {1, 2, 3});
    EXPECT_EQ(f.domain.Step(0, -1), 1) << "below the first step: the first";
    EXPECT_EQ(f.domain.Step(0, 3), 3) << "past the last step: the last";
    EXPECT_EQ(f.domain.StepSum(0, 5), 6 + 3 + 3) << "the sum goes on with the end step";
    EXPECT_EQ(f.domain.NodeCoord(0, -2), -2);
    EXPECT_EQ(f.domain.WrapIndex(0, -1), -1) << "no wrapping in a direction with ends";

    f.domain.Periodic[1] = true;
    f.domain.SetSteps(1, {0.5, 1, 1.5, 2});
    const int n = 4;
    EXPECT_EQ(f.domain.NodeCoord(1, n), 5) << "node n is the full extent";
    EXPECT_EQ(f.domain.NodeCoord(1, n + 1), f.domain.NodeCoord(1, 1));
    EXPECT_EQ(f.domain.NodeCoord(1, 2 * n + 2), f.domain.NodeCoord(1, 2));
    EXPECT_EQ(f.domain.WrapIndex(1, -1), n - 1);
    EXPECT_EQ(f.domain.WrapIndex(1, -n - 1), n - 1);
    EXPECT_EQ(f.domain.WrapIndex(1, n), 0);
    EXPECT_EQ(f.domain.Step(1, -1), 2) << "the step left of node 0 is the last one";
    EXPECT_EQ(f.domain.Step(1, n + 1), 1);
    EXPECT_EQ(f.domain.StepSum(1, n + 2), 5 + 0.5 + 1);
}

TEST(DomainMesh, SplitStepsHalvesAllOrTheMarked) {
    DomainFixture f;
    f.domain.SetSteps(0, {0.5, 0.25, 0.25});
    TStepMarks marks{1, 0, 1};
    f.domain.SplitSteps(0, &marks);
    EXPECT_EQ(f.domain.Steps(0), (std::vector<double>{0.25, 0.25, 0.25, 0.125, 0.125}));
    f.domain.SplitSteps(0, nullptr);
    EXPECT_EQ(f.domain.StepCount(0), 10);
    EXPECT_DOUBLE_EQ(double(f.domain.Extent(0)), 1.0);
}

// --- Loads ---------------------------------------------------------------------------

TEST(DomainLoads, UniformLoadsAddUp) {
    DomainFixture f;
    f.Mesh("4", 1);
    f.domain.AddUniformLoad(0, ParseValue("7").get());
    f.domain.AddUniformLoad(0, ParseValue("[2, 3]").get());
    EXPECT_EQ(f.LoadAt(0, 2), 12);
    EXPECT_EQ(f.LoadAt(1, 2), 0) << "an empty slot";
    EXPECT_EQ(f.LoadAt(5, 2), 0) << "a slot that was never created";
    EXPECT_THROW(f.domain.AddUniformLoad(0, ParseValue("[2, [3, 4]]").get()), ZemError);
}

TEST(DomainLoads, HarmonicEntriesAreCosinesAndSines) {
    DomainFixture f(2);
    f.domain.Periodic[1] = true;
    f.Mesh("2", 1, 0);
    f.Mesh("8", 4, 1);
    f.domain.AddHarmonicLoad(0, 1, ParseValue("[0, [0, 1]]").get());
    f.domain.AddHarmonicLoad(1, 1, ParseValue("3").get());
    f.domain.AddHarmonicLoad(2, 1, ParseValue("[5, 0, 2]").get());
    for (int j = 0; j < 8; ++j) {
        const double x = 0.5 * j;
        EXPECT_NEAR(double(f.LoadAt(0, 1, j)), std::sin(2 * std::numbers::pi * x / 4), 1e-15) << j;
        EXPECT_EQ(f.LoadAt(1, 1, j), 3);
        EXPECT_NEAR(double(f.LoadAt(2, 1, j)), 5 + 2 * std::cos(4 * std::numbers::pi * x / 4), 1e-14)
            << "entry 0 carries its full amplitude";
    }
    EXPECT_THROW(f.domain.AddHarmonicLoad(0, 1, ParseValue("[1, [1, 2, 3]]").get()), ZemError);
}

namespace {

// The resultant of the piecewise-linear pressure at the nodes, over the whole
// direction (trapezoidal rule).
double NodalResultant(DomainFixture& f, int slot) {
    double sum = 0;
    for (int i = 0; i < f.domain.StepCount(0); ++i)
        sum += double((f.LoadAt(slot, i) + f.LoadAt(slot, i + 1)) / 2) * f.domain.Step(0, i);
    return sum;
}

}  // namespace

TEST(DomainLoads, FullTankCoversEveryNodeWhateverTheRounding) {
    // 400 steps of 0.025 sum to slightly more than 10 in binary; the top node
    // must still be loaded and the profile must stay gamma*(h - x).
    DomainFixture f;
    f.Mesh("400", 10);
    ASSERT_GT(f.domain.Extent(0), 10.0L) << "the case needs a step sum above the length";
    const double gamma = 10000;
    f.domain.AddHydrostaticLoad(0, 0, ParseValue("10000").get());
    EXPECT_EQ(f.domain.LoadFuncs[0][0]->Params[2], 400) << "iHi: the top node";
    for (int i = 0; i <= 400; i += 50)
        EXPECT_NEAR(double(f.LoadAt(0, i)), gamma * (10 - 0.025 * i), 1e-6) << "node " << i;
    EXPECT_NEAR(NodalResultant(f, 0), gamma * 10 * 10 / 2, 1e-6);
}

TEST(DomainLoads, LevelAboveTheShellAddsNoSpuriousPressure) {
    // Liquid standing 5 m above a 10 m shell: the pressure along the shell
    // is gamma*(15 - x), nothing more.
    DomainFixture f;
    f.Mesh("8", 10);
    f.domain.AddHydrostaticLoad(0, 0, ParseValue("[9810, 15]").get());
    for (int i = 0; i <= 8; ++i) EXPECT_NEAR(double(f.LoadAt(0, i)), 9810 * (15 - 1.25 * i), 1e-8) << i;
}

TEST(DomainLoads, PartialFillKeepsTheResultantOverTheSnappedCells) {
    DomainFixture f;
    f.Mesh("10", 10);
    const double gamma = 1000, h = 4.3;  // the nearest edge above is 4.5: stepped down to 3.5
    f.domain.AddHydrostaticLoad(0, 0, ParseValue("[1000, 4.3]").get());
    const auto& p = f.domain.LoadFuncs[0][0]->Params;
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], 3) << "the last node under the level";
    // The trapezoid from x = 0 to the edge r = 3.5 holds the whole resultant.
    const double r = 3.5;
    EXPECT_NEAR((p[3] + p[4]) * r / 2, gamma * h * h / 2, 1e-8);
    EXPECT_NEAR(p[3] - p[4], gamma * r, 1e-9) << "the slope stays gamma";
    EXPECT_EQ(f.LoadAt(0, 4), 0) << "nothing above the level";
    EXPECT_NEAR(double(f.LoadAt(0, 3)), p[4], 1e-9);

    // A level within the first half cell keeps node 0 loaded instead of
    // leaving an empty segment.
    DomainFixture g;
    g.Mesh("10", 10);
    g.domain.AddHydrostaticLoad(0, 0, ParseValue("[1000, 0.2]").get());
    EXPECT_TRUE(std::isfinite(double(g.LoadAt(0, 0))));
    EXPECT_NEAR(double(g.LoadAt(0, 0)) * 0.5, 1000 * 0.2 * 0.2 / 2, 1e-9) << "the resultant on the first cell";
    EXPECT_EQ(g.LoadAt(0, 1), 0);

    EXPECT_THROW(g.domain.AddHydrostaticLoad(0, 0, ParseValue("[1000, [1, 2]]").get()), ZemError);
}

// --- Cell edges and nearest nodes ------------------------------------------------------

TEST(DomainEdges, SnappingToCellEdges) {
    DomainFixture f;
    f.domain.SetSteps(0, {1, 1, 2, 2});  // nodes 0 1 2 4 6; edges 0.5 1.5 3 5
    int i = -1;
    EXPECT_EQ(f.domain.LowerCellEdge(0, 0.2L, i), 0);
    EXPECT_EQ(i, 0);
    EXPECT_EQ(f.domain.LowerCellEdge(0, 2.9L, i), 3);
    EXPECT_EQ(i, 3) << "the first node inside";
    EXPECT_EQ(f.domain.LowerCellEdge(0, 1.0L, i), 0.5) << "a tie keeps the lower edge";
    EXPECT_EQ(f.domain.UpperCellEdge(0, 5.9L, i), 6);
    EXPECT_EQ(i, 4);
    EXPECT_EQ(f.domain.UpperCellEdge(0, 1.0L, i), 0.5) << "a tie takes the lower edge";
    EXPECT_EQ(i, 0);

    Extended len = 0;
    int hi = 0, lo = 0;
    // [0.6, 2.9] snaps to [0.5, 3]: intensity 10 * 2.3 / 2.5 keeps the resultant.
    const Extended q = f.domain.SnapInterval(0, len, hi, lo, 10, 2.9L, 0.6L);
    EXPECT_NEAR(double(len), 2.5, 1e-15);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 2);
    EXPECT_NEAR(double(q), 10 * 2.3 / 2.5, 1e-12);
}

TEST(DomainEdges, NearestNodes) {
    DomainFixture f;
    f.domain.SetSteps(0, {1, 1, 2, 2});  // step sums 0 1 2 4 6 8 10 12
    EXPECT_EQ(f.domain.NearestNodes(0, 2, 2), std::vector<int>{2}) << "a node exactly at x";
    EXPECT_EQ(f.domain.NearestNodes(0, 2, 3.2L), (std::vector<int>{2, 3}));
    EXPECT_EQ(f.domain.NearestNodes(0, 3, 3), (std::vector<int>{1, 2, 3})) << "ties: the first index";
    EXPECT_EQ(f.domain.NearestNodes(0, 1, 9.5L), std::vector<int>{6}) << "sums beyond the end";
}

// --- Rows -------------------------------------------------------------------------------

TEST(DomainRows, EquationNamesAndDeferredWriting) {
    DomainFixture f(2);
    f.domain.SetSteps(0, UniformSteps(4, 1));
    f.domain.SetSteps(1, UniformSteps(8, 1));
    TEquationList list;
    auto writer = [](TDomain& d, double weight) {
        d.AddCoef(0, d.Pos, weight);
        d.AddFree(d.GetPos(0) * 10 + d.GetPos(1));
    };
    f.domain.AddEquation(list, "EqI", 1.0, writer, {3, 7});
    f.owner.Prefix = "Span2.";
    f.domain.AddEquation(list, "M1", -2.0, writer, {0, 5});
    list.AddNil("Nil(u)");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Name(0), "EqI(3,7)");
    EXPECT_EQ(list.Name(1), "Span2.M1(0,5)");
    EXPECT_FALSE(list.HasEquation(2));

    // Writing a row moves the domain to the row's node every time.
    f.domain.SetPos(0, 1);
    EXPECT_TRUE(list.WriteRow(1));
    EXPECT_EQ(f.owner.Row.at(TProbeDomain::Column(0, 0, 5)), -2);
    EXPECT_EQ(f.owner.Free, 5);
    f.owner.ClearRow();
    EXPECT_TRUE(list.WriteRow(0));
    EXPECT_EQ(f.owner.Free, 37);
    EXPECT_FALSE(list.WriteRow(2));
}

// --- Mesh error --------------------------------------------------------------------------

namespace {

// A coarse solution D and a fine one F (every step halved); results are given
// as functions of the node coordinates.
struct ErrorPair {
    TRecordingOwner ownerD, ownerF;
    TProbeDomain d, f;
    ErrorPair(int dims, std::vector<double> s0, std::vector<double> s1 = {})
        : d(&ownerD, dims), f(&ownerF, dims) {
        d.SetSteps(0, s0);
        f.SetSteps(0, s0);
        f.SplitSteps(0, nullptr);
        if (dims > 1) {
            d.SetSteps(1, s1);
            f.SetSteps(1, s1);
            f.SplitSteps(1, nullptr);
        }
    }
    static auto At(std::function<Extended(Extended, Extended)> u) {
        return [u](const TProbeDomain& dom) {
            return u(dom.PosCoord(0), dom.DimCount > 1 ? dom.PosCoord(1) : 0);
        };
    }
};

}  // namespace

TEST(DomainMeshError, OneDimensionalNorms) {
    ErrorPair p(1, {0.25, 0.25, 0.5});
    p.f.Result = ErrorPair::At([](Extended x, Extended) { return 10 * x; });
    p.d.Result = p.f.Result;
    EXPECT_EQ(p.d.MeshError(1, 0, p.f), 0) << "identical solutions";
    EXPECT_EQ(p.d.MeshError(0, 0, p.f), 0);

    // D off by 0.1 at x = 0.5 and by 0.3 at x = 1; F's largest magnitude is 10.
    p.d.Result = ErrorPair::At([](Extended x, Extended) {
        return 10 * x + (x == 0.5L ? 0.1L : 0) + (x == 1 ? 0.3L : 0);
    });
    EXPECT_NEAR(double(p.d.MeshError(1, 0, p.f)), 100 * 0.3 / 10, 1e-12);
    // Root of the sum of squares divided by the number of nodes.
    EXPECT_NEAR(double(p.d.MeshError(0, 0, p.f)), 100 * std::sqrt(0.01 + 0.09) / 4 / 10, 1e-12);
    EXPECT_NEAR(p.f.ErrorTolerance(0, 5), 0.5, 1e-15);

    // Refinement marks the steps on both sides of the nodes above 2 %.
    auto marks = p.d.MarkSteps(1, 0, 2, 0, p.f);
    ASSERT_TRUE(marks.has_value());
    EXPECT_EQ(*marks, (TStepMarks{0, 0, 1}));
    EXPECT_FALSE(p.d.MarkSteps(1, 0, 5, 0, p.f).has_value()) << "nothing above 5 %";
}

TEST(DomainMeshError, ZeroReferenceMagnitude) {
    ErrorPair p(1, UniformSteps(4, 1));
    EXPECT_EQ(p.d.MeshError(1, 0, p.f), 0) << "two unloaded solutions agree: 0 %";
    EXPECT_EQ(p.d.MeshError(0, 0, p.f), 0);
    p.d.Result = [](const TProbeDomain&) { return Extended(1e-3); };
    EXPECT_THROW(p.d.MeshError(1, 0, p.f), ZemError) << "a difference against nothing has no percentage";
    p.f.SetSteps(0, UniformSteps(6, 1));
    EXPECT_THROW(p.d.MeshError(1, 0, p.f), ZemError) << "meshes that do not nest";
}

TEST(DomainMeshError, SurfaceMeanSquareCarriesEachLine) {
    ErrorPair p(2, UniformSteps(2, 1), UniformSteps(3, 3));
    p.f.Result = ErrorPair::At([](Extended x, Extended y) { return 1 + x + y; });
    p.d.Result = ErrorPair::At([](Extended x, Extended y) { return 1 + x + y + 0.1L * x * y; });
    // Direct computation: per node line i the running value is
    // sqrt(acc + sum_j d^2) / (n1 + 1), then sqrt(acc) / (n0 + 1) at the end.
    Extended acc = 0;
    for (int i = 0; i <= 2; ++i) {
        Extended line = acc;
        for (int j = 0; j <= 3; ++j) {
            const Extended dd = 0.1L * (0.5L * i) * j;
            line += dd * dd;
        }
        acc = std::sqrt(line) / 4;
    }
    acc = std::sqrt(acc) / 3;
    const double m = 1 + 1 + 3;  // F's largest value on the swept lines, at (1, 3)
    EXPECT_NEAR(double(p.d.MeshError(0, 0, p.f)), double(100 * acc / m), 1e-12);
    EXPECT_NEAR(double(p.d.MeshError(1, 0, p.f)), 100 * 0.1 * 1 * 3 / m, 1e-12);

    // Along direction 1 only the last node line differs by more than 3 %.
    auto marks = p.d.MarkSteps(1, 0, 3, 1, p.f);
    ASSERT_TRUE(marks.has_value());
    EXPECT_EQ(*marks, (TStepMarks{0, 1, 1}));
}
