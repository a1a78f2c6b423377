// The files written for other programs: the assembled system read back and
// solved by an independent dense elimination, the CSV table of node results
// and the VTK picture of the shell and of the ring.
#include "calc/Export.h"

#include "problemtypes/cylinders.h"
#include "solvers/testsystems.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>

using namespace zem;
using namespace zem::cyltest;
using zem::test::MessageOf;
using zem::test::Slurp;
using zem::test::TempDir;

namespace {

std::unique_ptr<TProblem> SmallTank() {
    return MakeProblem("CylSym", {{"PARAMS.R", "2"}, {"PARAMS.H", "3"}, {"MESH.mesh_x", "6"}});
}

// The numbers of a Matrix Market file by line, its banner checked and its
// comments skipped: the size line first.
std::vector<std::vector<long double>> ReadMarket(const std::string& file, const std::string& banner) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, banner) << file;
    std::vector<std::vector<long double>> lines;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '%') continue;
        std::istringstream s(line);
        lines.emplace_back();
        for (long double x; s >> x;) lines.back().push_back(x);
    }
    return lines;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream s(text);
    for (std::string part; std::getline(s, part, separator);) parts.push_back(part);
    if (!text.empty() && text.back() == separator && separator == ',') parts.emplace_back();
    return parts;
}

std::vector<std::string> CsvLines(TProblem& p, const TempDir& dir) {
    ExportCsv(p, dir / "r.csv");
    return Split(Slurp(dir / "r.csv"), '\n');
}

// The values of every DataArray of a VTK file by name, in file order.
std::map<std::string, std::vector<double>> DataArrays(const std::string& xml) {
    std::map<std::string, std::vector<double>> arrays;
    const std::regex array(R"re(<DataArray type="\w+" Name="([^"]+)"[^>]*>([^<]*)</DataArray>)re");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), array); it != std::sregex_iterator(); ++it) {
        std::istringstream s((*it)[2].str());
        for (double x; s >> x;) arrays[(*it)[1].str()].push_back(x);
    }
    return arrays;
}

// Every point lies on the circle of radius R round the axis, and the
// displacement is w along the radius.
void ExpectOnTheRadiusDisplacedByW(const std::map<std::string, std::vector<double>>& arrays, double R) {
    const auto &xyz = arrays.at("Points"), &d = arrays.at("displacement"), &w = arrays.at("w");
    ASSERT_EQ(xyz.size(), 3 * w.size());
    for (std::size_t k = 0; k < w.size(); ++k) {
        EXPECT_NEAR(std::hypot(xyz[3 * k], xyz[3 * k + 1]), R, 1e-12);
        EXPECT_NEAR(d[3 * k] * xyz[3 * k] + d[3 * k + 1] * xyz[3 * k + 1], R * w[k], 1e-9 * std::fabs(w[0]) + 1e-15);
    }
}

}  // namespace

TEST(ExportSystem, ReadsBackAsTheAssembledSystemAndSolvesToTheProgramsSolution) {
    TempDir dir;
    auto p = SmallTank();
    ExportSystem(*p, dir / "tank.mtx");
    const std::size_t n = p->UnknownCount();
    const auto a = ReadMarket(dir / "tank.mtx", "%%MatrixMarket matrix coordinate real general");
    const auto f = ReadMarket(dir / "tank.mtx.rhs", "%%MatrixMarket matrix array real general");
    ASSERT_EQ(a.front(), (std::vector<long double>{11, 11, static_cast<long double>(a.size() - 1)}));
    ASSERT_EQ(f.front(), (std::vector<long double>{11, 1}));
    ASSERT_EQ(f.size(), n + 1);

    // Entry for entry the rows the solver pulls, to the last digit.
    test::TTestSystem s("exported", n);
    for (std::size_t k = 1; k < a.size(); ++k)
        s.Set(static_cast<std::size_t>(a[k][0] - 1), static_cast<std::size_t>(a[k][1] - 1), a[k][2]);
    for (std::size_t r = 0; r < n; ++r) {
        TRowItems row;
        s.b[r] = f[r + 1][0];
        EXPECT_EQ(s.b[r], p->GetRow(r, row)) << "free term of row " << r;
        ASSERT_EQ(s.rows[r].size(), row.size()) << r;
        for (std::size_t k = 0; k < row.size(); ++k) {
            EXPECT_EQ(s.rows[r][k].Col, row[k].Col) << r;
            EXPECT_EQ(s.rows[r][k].Value, row[k].Value) << r;
        }
    }

    // sum a x + f = 0 solved apart gives what the program computes, within
    // what the condition of a fourth-order operator (about 1e8 here) leaves
    // of extended precision.
    const std::vector<Extended> x = test::DenseSolve(s);
    Solve(*p);
    std::vector<Extended> computed(n);
    for (std::size_t i = 0; i < n; ++i) computed[i] = p->Solution(i);
    EXPECT_LT(test::RelativeError(computed, x), 1e-9);
}

TEST(ExportCsv, OneRowPerNodeWithNamedFieldsAndTheStepsStackedAlongTheAxis) {
    TempDir dir;
    auto p = MakeProblem("CompCylSym", {{"ELEMS.Span1.PARAMS.H", "2"},
                                        {"ELEMS.Span1.PARAMS.t", "0.012"},
                                        {"ELEMS.Span2.PARAMS.t", "0.008"},
                                        {"ELEMS.Span1.MESH.mesh_x", "4"},
                                        {"ELEMS.Span2.MESH.mesh_x", "3"}});
    Solve(*p);
    const std::vector<std::string> lines = CsvLines(*p, dir);
    ASSERT_EQ(lines.size(), 1u + 5u + 4u) << "header and the nodes of both spans";
    EXPECT_EQ(lines[0],
              "domain,i,j,x [m],y [m],w [m],dwx [rad],N2 [N/m],Q1 [N/m],M1 [N·m/m],Sig1 [Pa],Sig2 [Pa],SigEq [Pa]");
    // The second span starts where the first ends, 2 m up.
    const std::vector<std::string> joint = Split(lines[5], ','), above = Split(lines[6], ',');
    EXPECT_EQ(joint[0] + "|" + above[0], "Span1|Span2");
    EXPECT_EQ(std::stod(joint[3]), 2.0);
    EXPECT_EQ(std::stod(above[3]), 2.0);
    EXPECT_NEAR(std::stod(Split(lines.back(), ',')[3]), 3.0, 1e-12) << "top of the 1 m second span";
    // w is continuous over the joint; the hoop force is not (another wall).
    EXPECT_NEAR(std::stod(joint[5]), std::stod(above[5]), 1e-12);
    EXPECT_NEAR(std::stod(joint[7]) / std::stod(above[7]), 0.012 / 0.008, 1e-9);
    // Full precision: the text reads back to the value the domain gives.
    TDmCylSym& top = CylSymOf(*p, 1);
    top.SetPos(0, 2);
    EXPECT_EQ(std::stold(Split(lines[8], ',')[5]), top.ResultValue(TDmCylSym::rkW));

    // A surface gives every node around once, with its arc.
    auto tech = MakeProblem("CylTech", {{"PARAMS.R", "1"}, {"PARAMS.H", "2"}, {"MESH.mesh_x", "3"},
                                        {"MESH.mesh_y", "8"}, {"LOADS.Wind", "[0, 500]"}});
    Solve(*tech);
    const std::vector<std::string> surface = CsvLines(*tech, dir);
    ASSERT_EQ(surface.size(), 1u + 4u * 8u) << "the closing node of the circumference is not repeated";
    EXPECT_EQ(Split(surface[0], ',').size(), 5u + 22u);
    EXPECT_NEAR(std::stod(Split(surface[8], ',')[4]), 7 * 2 * std::numbers::pi / 8, 1e-12) << "arc of node j = 7";
}

TEST(ExportVtk, StructuredGridOfTheSweptShellWithFieldsAndDisplacement) {
    TempDir dir;
    auto p = SmallTank();
    Solve(*p);
    ExportVtk(*p, dir / "r.vts");
    const auto arrays = DataArrays(Slurp(dir / "r.vts"));
    ASSERT_EQ(arrays.size(), 8u + 2u) << "eight fields, the displacement and the points";
    for (const auto& [name, values] : arrays)
        EXPECT_EQ(values.size(), (name == "Points" || name == "displacement" ? 3 : 1) * 37u * 7u) << name;
    ExpectOnTheRadiusDisplacedByW(arrays, 2.0);
    EXPECT_NEAR(arrays.at("Points").back(), 3.0, 1e-12) << "the last row is the top";
}

TEST(ExportVtk, SpansWithDifferentCircumferentialMeshesNeedPolygonData) {
    TempDir dir;
    auto p = MakeProblem("CompCylTech", {{"ELEMS.Span1.MESH.mesh_x", "4"}, {"ELEMS.Span2.MESH.mesh_x", "4"},
                                         {"ELEMS.Span1.MESH.mesh_y", "8"}, {"ELEMS.Span2.MESH.mesh_y", "4"},
                                         {"ELEMS.Span1.PARAMS.t", "0.01"}, {"ELEMS.Span2.PARAMS.t", "0.01"}});
    Solve(*p);
    std::ofstream(dir / "r.vts") << "old";
    EXPECT_NE(MessageOf([&] { ExportVtk(*p, dir / "r.vts"); }), "");
    EXPECT_EQ(Slurp(dir / "r.vts"), "old") << "a failed export leaves the file as it was";

    ExportVtk(*p, dir / "r.vtp");
    const std::string xml = Slurp(dir / "r.vtp");
    // Two spans of 5 x 9 and 5 x 5 points, 4 x 8 and 4 x 4 quadrilaterals.
    EXPECT_NE(xml.find("NumberOfPoints=\"70\""), std::string::npos);
    EXPECT_NE(xml.find("NumberOfPolys=\"48\""), std::string::npos);
    const auto arrays = DataArrays(xml);
    EXPECT_EQ(arrays.at("connectivity").size(), 4u * 48u);
    EXPECT_EQ(arrays.at("offsets").back(), 4.0 * 48);
    EXPECT_EQ(arrays.at("SigEq4").size(), 70u);
    EXPECT_EQ(MessageOf([&] { ExportSystem(*p, "/nonexistent-dir/s.mtx"); }),
              "Ошибка записи в файл /nonexistent-dir/s.mtx: нет такого файла или каталога");
}

TEST(ExportRing, OneRowPerNodeRoundTheRingAndAClosedPolylineInItsPlane) {
    TempDir dir;
    auto p = MakeProblem("Ring", {{"LOADS.t", "[0, 0, 1000]"}, {"MESH.mesh", "24"}});
    Solve(*p, 1);
    const std::vector<std::string> lines = CsvLines(*p, dir);
    ASSERT_EQ(lines.size(), 1u + 24u) << "the node closing the ring is not repeated";
    EXPECT_EQ(lines[0], "domain,i,j,x [m],y [m],u [m],v [m],w [m],fi [rad],N2 [N],Qx [N],Qr [N],Mx [N·m],Mr [N·m],Hk [N·m]")
        << "a ring's forces and moments are resultants, not per unit length";

    ExportVtk(*p, dir / "r.vtp");
    const std::string xml = Slurp(dir / "r.vtp");
    EXPECT_NE(xml.find("NumberOfPoints=\"25\" NumberOfVerts=\"0\" NumberOfLines=\"1\""), std::string::npos);
    const auto arrays = DataArrays(xml);
    ExpectOnTheRadiusDisplacedByW(arrays, 10.0);
    const auto& xyz = arrays.at("Points");
    for (std::size_t k = 0; k < 25; ++k) EXPECT_EQ(xyz[3 * k + 2], 0.0) << "the ring lies in its plane";
    EXPECT_NEAR(xyz[72], xyz[0], 1e-12) << "the polyline closes on its first point";
    EXPECT_EQ(arrays.at("w")[24], arrays.at("w")[0]);
    EXPECT_EQ(arrays.at("connectivity").size(), 25u);
}
