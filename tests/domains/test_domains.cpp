// The domain base: mesh values, node coordinates and wrapping, the mesh
// texts of an element, the hydrostatic load, cell edges, and the mesh error
// against a solution on halved steps.
#include "domains/model_elements.h"
#include "domains/probe_domain.h"
#include "elements/MyObjecs.h"
#include "elements/MyStr.h"
#include "platform/errors.h"
#include "testutil.h"

#include <cmath>
#include <gtest/gtest.h>

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

std::string MeshFailure(const std::string& text, double length = 1, int d = 0) {
    DomainFixture f(2);
    return test::MessageOf([&] { f.Mesh(text, length, d); });
}

std::string ParseFailure(TElement& e, int section, int item, const std::string& text) {
    dynamic_cast<TElemList&>(e.Item(section)).Item(item).SetText(text);
    return test::MessageOf([&] { e.Parse(); });
}

}  // namespace

// --- Mesh values ------------------------------------------------------------------

TEST(DomainMesh, CountsAndFractionLists) {
    DomainFixture f;
    f.Mesh("4", 1);
    for (int i = 0; i <= 4; ++i) EXPECT_DOUBLE_EQ(double(f.domain.NodeCoord(0, i)), 0.25 * i);
    for (const auto& [text, steps] : std::vector<std::pair<std::string, std::vector<double>>>{
             {"10", std::vector<double>(10, 0.2)},
             {"0.25, [2, 0.5], 0.25", std::vector<double>(4, 0.5)},
             {"[4, 0.5], 0.5", {0.25, 0.25, 0.25, 0.25, 1.0}},
             {"0.5, 0.49995, 0.0001", {1, 0.9999, 0.0002}}}) {  // sums to 1.00005: within the tolerance
        f.Mesh(text, 2);
        EXPECT_EQ(f.domain.Steps(0), steps) << text;
    }
}

TEST(DomainMesh, EveryBadValueNamesTheMeshItem) {
    for (auto [text, length, why] :
         {std::tuple{"0.5, 0.4", 2, "fractions sum to 0.9"}, {"0.5, 0.5002", 1, "fractions sum to 1.0002"},
          {"2.5", 1, "a single non-integer number"}, {"0", 1, "no steps"}, {"-3", 1, "a negative count"},
          {"[0, 0.5], 0.5", 1, "a pair with no steps"}, {"1.5, -0.5", 1, "a negative step"},
          {"[2, 0.5, 1], 0.5", 1, "a triple"},
          {"4", 0, "a length of 0 gives steps of 0"}, {"2000000", 1, "beyond the largest mesh"}})
        EXPECT_EQ(MeshFailure(text, length), "Ошибка данных сетки mesh_x") << why;
    EXPECT_EQ(MeshFailure("[2, 0.5], 0.5") + MeshFailure("[[2, 0.5]], 0.5"), "") << "redundant brackets are no error";
    EXPECT_EQ(MeshFailure("1.5", 1, 1), "Ошибка данных сетки mesh_y");
    DomainFixture f;
    EXPECT_THROW(f.domain.BuildSteps(nullptr, 0), ZemError);
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

TEST(DmElementMesh, EmptyMeshItemReadsAsFour) {
    TTestHost host;
    auto s = MakeRoot<TElBeam>(host);
    EXPECT_EQ(ParseFailure(*s, 3, 0, ""), "");
    EXPECT_NE(s->Text().find("MESH={mesh_x=4}"), std::string::npos) << s->Text();
    EXPECT_EQ(s->Domain->StepCount(0), 4);
    EXPECT_EQ(ParseFailure(*s, 3, 0, "2.5"), "Ошибка данных сетки mesh_x");
    EXPECT_EQ(ParseFailure(*s, 3, 0, "4"), "");
    EXPECT_EQ(ParseFailure(*s, 2, 0, "[1]"), "") << "[1] is the scalar 1";
    EXPECT_EQ(ParseFailure(*s, 2, 0, "[1, [2, 3]]"), "Ошибка в значении параметра Uniform");
}

TEST(DmElementMesh, RefineMeshWritesTheMeshText) {
    TTestHost host;
    auto s = MakeRoot<TElBeam>(host);
    s->RefineMesh(0, nullptr);
    EXPECT_EQ(s->Mesh().ItemText(0), "8");

    ParseFailure(*s, 3, 0, "[0.5, [2, 0.5]]");
    s->RefineMesh(0, nullptr);
    EXPECT_EQ(s->Mesh().ItemText(0), "[[2, 0.5], [4, 0.5]]");
    EXPECT_EQ(s->Domain->Steps(0), (std::vector<double>{0.25, 0.25, 0.125, 0.125, 0.125, 0.125}));

    ParseFailure(*s, 3, 0, "[0.5, [2, 0.5]]");
    TStepMarks marks{1, 0, 0};
    s->RefineMesh(0, &marks);
    EXPECT_EQ(s->Mesh().ItemText(0), "4") << "all steps equal: the count alone";

    s->Domain->SetSteps(0, {0.25, 0.25, 0.5});
    EXPECT_EQ(s->MeshText(0), "[[2, 0.5], 0.5]");
    s->Domain->SetSteps(0, {0.5, 0.5 / 3, 0.5 / 3, 0.5 / 3});
    EXPECT_EQ(s->MeshText(0), "[0.5, [3, 0.5]]");
    // The text reads back into the same steps.
    ParseFailure(*s, 3, 0, s->MeshText(0));
    EXPECT_EQ(s->Domain->StepCount(0), 4);
    EXPECT_NEAR(s->Domain->Step(0, 3), 0.5 / 3, 1e-15);
}

// --- Loads ---------------------------------------------------------------------------

TEST(DomainLoads, FullTankCoversEveryNodeWhateverTheRounding) {
    // 400 steps of 0.025 sum to slightly more than 10 in binary; the top node
    // must still be loaded and the profile must stay gamma*(h - x).
    DomainFixture f;
    f.Mesh("400", 10);
    ASSERT_GT(f.domain.Extent(0), 10.0L) << "the case needs a step sum above the length";
    f.domain.AddHydrostaticLoad(0, 0, ParseValue("10000").get());
    EXPECT_EQ(f.domain.LoadFuncs[0][0]->Params[2], 400) << "iHi: the top node";
    for (int i = 0; i <= 400; ++i) EXPECT_NEAR(double(f.LoadAt(0, i)), 10000 * (10 - 0.025 * i), 1e-6) << i;
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
    EXPECT_EQ(p[1] * 10 + p[2], 3) << "nodes 0 ... 3 under the level";
    // The trapezoid from x = 0 to the edge r = 3.5 holds the whole resultant.
    const double r = 3.5;
    EXPECT_NEAR((p[3] + p[4]) * r / 2, gamma * h * h / 2, 1e-8);
    EXPECT_NEAR(p[3] - p[4], gamma * r, 1e-9) << "the slope stays gamma";
    EXPECT_EQ(f.LoadAt(0, 4), 0) << "nothing above the level";
    EXPECT_NEAR(double(f.LoadAt(0, 3)), p[4], 1e-9);

    // A level within the first half cell keeps node 0 loaded instead of
    // leaving an empty segment.
    f.domain.LoadFuncs.clear();
    f.domain.AddHydrostaticLoad(0, 0, ParseValue("[1000, 0.2]").get());
    EXPECT_NEAR(double(f.LoadAt(0, 0)) * 0.5, 1000 * 0.2 * 0.2 / 2, 1e-9) << "the resultant on the first cell";
    EXPECT_EQ(f.LoadAt(0, 1), 0);
    EXPECT_THROW(f.domain.AddHydrostaticLoad(0, 0, ParseValue("[1000, [1, 2]]").get()), ZemError);
}

// --- Cell edges and nearest nodes ------------------------------------------------------

TEST(DomainEdges, SnappingToCellEdges) {
    DomainFixture f;
    f.domain.SetSteps(0, {1, 1, 2, 2});  // nodes 0 1 2 4 6; edges 0.5 1.5 3 5
    // The edge and the first node inside it; a tie takes the lower edge.
    for (auto [x, upper, edge, node] : {std::tuple{0.2L, false, 0.0L, 0}, {2.9L, false, 3.0L, 3},
                                        {1.0L, false, 0.5L, 1}, {5.9L, true, 6.0L, 4}, {1.0L, true, 0.5L, 0}}) {
        int i = -1;
        EXPECT_EQ(upper ? f.domain.UpperCellEdge(0, x, i) : f.domain.LowerCellEdge(0, x, i), edge) << double(x);
        EXPECT_EQ(i, node) << double(x);
    }
    // [0.6, 2.9] snaps to [0.5, 3]: intensity 10 * 2.3 / 2.5 keeps the resultant.
    Extended len = 0;
    int hi = 0, lo = 0;
    EXPECT_NEAR(double(f.domain.SnapInterval(0, len, hi, lo, 10, 2.9L, 0.6L)), 10 * 2.3 / 2.5, 1e-12);
    EXPECT_NEAR(double(len), 2.5, 1e-15);
    EXPECT_EQ(lo * 10 + hi, 12);
}

TEST(DomainEdges, NearestNodes) {
    DomainFixture f;
    f.domain.SetSteps(0, {1, 1, 2, 2});  // step sums 0 1 2 4 6 8 10 12
    EXPECT_EQ(f.domain.NearestNodes(0, 2, 2), std::vector<int>{2}) << "a node exactly at x";
    EXPECT_EQ(f.domain.NearestNodes(0, 2, 3.2L), (std::vector<int>{2, 3}));
    EXPECT_EQ(f.domain.NearestNodes(0, 3, 3), (std::vector<int>{1, 2, 3})) << "ties: the first index";
    EXPECT_EQ(f.domain.NearestNodes(0, 1, 9.5L), std::vector<int>{6}) << "sums beyond the end";
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
    // The root of the mean square over the four nodes: sqrt(0.1 / 4) = 0.158,
    // 1.58 % of 10 (the root of the sum over the count would say 0.79 %).
    EXPECT_NEAR(double(p.d.MeshError(0, 0, p.f)), 1.5811388300841898, 1e-12);
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

TEST(DomainMeshError, SurfaceMarks) {
    ErrorPair p(2, UniformSteps(2, 1), UniformSteps(3, 3));
    p.f.Result = ErrorPair::At([](Extended x, Extended y) { return 1 + x + y; });
    p.d.Result = ErrorPair::At([](Extended x, Extended y) { return 1 + x + y + 0.1L * x * y; });
    // The largest difference 0.1 at (1, 3) over F's largest value there, 5;
    // along direction 1 only the last node line differs by more than 3 %.
    auto marks = p.d.MarkSteps(1, 0, 3, 1, p.f);
    ASSERT_TRUE(marks.has_value());
    EXPECT_EQ(*marks, (TStepMarks{0, 1, 1}));
}
