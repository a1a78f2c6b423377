// The files written for other programs: the assembled system read back and
// solved by an independent dense elimination, the CSV table of node results
// and the VTK picture of the shell.
#include "calc/Export.h"

#include "../problemtypes/cylinders.h"
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

std::unique_ptr<TProblem> SteppedTank() {
    return MakeProblem("CompCylSym", {{"ELEMS.Span1.PARAMS.H", "2"},
                                      {"ELEMS.Span1.PARAMS.t", "0.012"},
                                      {"ELEMS.Span2.PARAMS.t", "0.008"},
                                      {"ELEMS.Span1.MESH.mesh_x", "4"},
                                      {"ELEMS.Span2.MESH.mesh_x", "3"}});
}

// A Matrix Market file: its size line and its entries, comments skipped.
struct TMarket {
    std::vector<long> Size;
    std::vector<std::vector<long double>> Entries;
};

TMarket ReadMarket(const std::string& file, const std::string& banner) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, banner) << file;
    TMarket m;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '%') continue;
        std::istringstream s(line);
        std::vector<long double> v;
        for (long double x; s >> x;) v.push_back(x);
        if (m.Size.empty())
            for (long double x : v) m.Size.push_back(static_cast<long>(x));
        else
            m.Entries.push_back(v);
    }
    return m;
}

// Gauss elimination with partial pivoting on a dense copy: A x = b.
std::vector<long double> DenseSolve(std::vector<std::vector<long double>> a, std::vector<long double> b) {
    const std::size_t n = b.size();
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t p = k;
        for (std::size_t i = k + 1; i < n; ++i)
            if (std::fabs(a[i][k]) > std::fabs(a[p][k])) p = i;
        std::swap(a[k], a[p]);
        std::swap(b[k], b[p]);
        for (std::size_t i = k + 1; i < n; ++i) {
            const long double m = a[i][k] / a[k][k];
            for (std::size_t j = k; j < n; ++j) a[i][j] -= m * a[k][j];
            b[i] -= m * b[k];
        }
    }
    std::vector<long double> x(n);
    for (std::size_t i = n; i-- > 0;) {
        long double s = b[i];
        for (std::size_t j = i + 1; j < n; ++j) s -= a[i][j] * x[j];
        x[i] = s / a[i][i];
    }
    return x;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream s(text);
    for (std::string l; std::getline(s, l);) lines.push_back(l);
    return lines;
}

std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream s(line);
    while (std::getline(s, cell, ',')) cells.push_back(cell);
    if (!line.empty() && line.back() == ',') cells.emplace_back();
    return cells;
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

}  // namespace

TEST(ExportSystem, ReadsBackAsTheAssembledSystemAndSolvesToTheProgramsSolution) {
    TempDir dir;
    auto p = SmallTank();
    ExportSystem(*p, dir / "tank.mtx");
    const std::size_t n = p->UnknownCount();
    ASSERT_EQ(n, 11u);

    const TMarket a = ReadMarket(dir / "tank.mtx", "%%MatrixMarket matrix coordinate real general");
    const TMarket f = ReadMarket(dir / "tank.mtx.rhs", "%%MatrixMarket matrix array real general");
    ASSERT_EQ(a.Size, (std::vector<long>{11, 11, static_cast<long>(a.Entries.size())}));
    ASSERT_EQ(f.Size, (std::vector<long>{11, 1}));
    ASSERT_EQ(f.Entries.size(), n);

    // Entry for entry the rows the solver pulls, to the last digit.
    std::vector<std::vector<long double>> dense(n, std::vector<long double>(n, 0));
    for (const auto& e : a.Entries) dense.at(static_cast<std::size_t>(e[0] - 1)).at(static_cast<std::size_t>(e[1] - 1)) = e[2];
    std::vector<long double> minusF(n);
    for (std::size_t r = 0; r < n; ++r) {
        TRowItems row;
        const Extended free = p->GetRow(r, row);
        EXPECT_EQ(f.Entries[r][0], free) << "free term of row " << r;
        for (const TListItem& item : row) EXPECT_EQ(dense[r][item.Col], item.Value) << r << ", " << item.Col;
        minusF[r] = -f.Entries[r][0];
    }

    // sum a x + f = 0 solved apart gives what the program computes, within
    // what the condition of a fourth-order operator (about 1e8 here) leaves
    // of extended precision.
    const std::vector<long double> x = DenseSolve(dense, minusF);
    Solve(*p);
    long double largest = 0;
    for (std::size_t i = 0; i < n; ++i) largest = std::max(largest, std::fabs(p->Solution(i)));
    for (std::size_t i = 0; i < n; ++i)
        EXPECT_NEAR(static_cast<double>(x[i]), static_cast<double>(p->Solution(i)), 1e-9 * static_cast<double>(largest))
            << "unknown " << i;
}

TEST(ExportCsv, OneRowPerNodeWithNamedFieldsAndTheStepsStackedAlongTheAxis) {
    TempDir dir;
    auto p = SteppedTank();
    Solve(*p);
    ExportCsv(*p, dir / "r.csv");
    const std::vector<std::string> lines = Lines(Slurp(dir / "r.csv"));
    ASSERT_EQ(lines.size(), 1u + 5u + 4u) << "header and the nodes of both spans";
    EXPECT_EQ(lines[0],
              "domain,i,j,x [m],y [m],w [m],dwx [rad],N2 [N/m],Q1 [N/m],M1 [N·m/m],Sig1 [Pa],Sig2 [Pa],SigEq [Pa]");

    // The second span starts where the first ends, 2 m up.
    const std::vector<std::string> joint = Cells(lines[5]), above = Cells(lines[6]);
    EXPECT_EQ(joint[0], "Span1");
    EXPECT_EQ(above[0], "Span2");
    EXPECT_EQ(std::stod(joint[3]), 2.0);
    EXPECT_EQ(std::stod(above[3]), 2.0);
    EXPECT_NEAR(std::stod(Cells(lines.back())[3]), 3.0, 1e-12) << "top of the 1 m second span";
    // w is continuous over the joint; the hoop force is not (another wall).
    EXPECT_NEAR(std::stod(joint[5]), std::stod(above[5]), 1e-12);
    EXPECT_NEAR(std::stod(joint[7]) / std::stod(above[7]), 0.012 / 0.008, 1e-9);

    // Full precision: the text reads back to the value the domain gives.
    TDmCylSym& top = CylSymOf(*p, 1);
    top.SetPos(0, 2);
    EXPECT_EQ(std::stold(Cells(lines[8])[5]), top.ResultValue(TDmCylSym::rkW));
}

TEST(ExportCsv, ASurfaceGivesEveryNodeAroundOnceWithItsArc) {
    TempDir dir;
    auto p = MakeProblem("CylTech", {{"PARAMS.R", "1"}, {"PARAMS.H", "2"}, {"MESH.mesh_x", "3"}, {"MESH.mesh_y", "8"},
                                     {"LOADS.Wind", "[0, 500]"}});
    Solve(*p);
    ExportCsv(*p, dir / "r.csv");
    const std::vector<std::string> lines = Lines(Slurp(dir / "r.csv"));
    ASSERT_EQ(lines.size(), 1u + 4u * 8u) << "the closing node of the circumference is not repeated";
    EXPECT_EQ(Cells(lines[0]).size(), 5u + 22u);
    EXPECT_NEAR(std::stod(Cells(lines[8])[4]), 7 * 2 * std::numbers::pi / 8, 1e-12) << "arc of node j = 7";
}

TEST(ExportVtk, StructuredGridOfTheSweptShellWithFieldsAndDisplacement) {
    TempDir dir;
    auto p = SmallTank();
    Solve(*p);
    ExportVtk(*p, dir / "r.vts");
    const std::string xml = Slurp(dir / "r.vts");
    EXPECT_NE(xml.find("<StructuredGrid WholeExtent=\"0 36 0 6 0 0\">"), std::string::npos);
    const auto arrays = DataArrays(xml);
    const std::size_t points = 37 * 7;
    ASSERT_EQ(arrays.size(), 8u + 2u) << "eight fields, the displacement and the points";
    for (const auto& [name, values] : arrays)
        EXPECT_EQ(values.size(), (name == "Points" || name == "displacement" ? 3 : 1) * points) << name;

    // Every point lies on the radius, and the displacement is w along it.
    const auto& xyz = arrays.at("Points");
    const auto& d = arrays.at("displacement");
    const auto& w = arrays.at("w");
    for (std::size_t k = 0; k < points; ++k) {
        EXPECT_NEAR(std::hypot(xyz[3 * k], xyz[3 * k + 1]), 2.0, 1e-12);
        EXPECT_NEAR(d[3 * k] * xyz[3 * k] + d[3 * k + 1] * xyz[3 * k + 1], 2.0 * w[k], 1e-15);
    }
    EXPECT_NEAR(xyz.back(), 3.0, 1e-12) << "the last row is the top";

    // The spans of a stepped shell follow one another up the grid.
    auto stepped = SteppedTank();
    Solve(*stepped);
    ExportVtk(*stepped, dir / "s.vts");
    const std::string sxml = Slurp(dir / "s.vts");
    EXPECT_NE(sxml.find("WholeExtent=\"0 36 0 8 0 0\""), std::string::npos) << "5 + 4 rows of nodes";
    const auto sarrays = DataArrays(sxml);
    const auto& z = sarrays.at("Points");
    for (std::size_t k = 3 * 37; k < z.size(); k += 3 * 37)
        EXPECT_GE(z[k + 2], z[k + 2 - 3 * 37]) << "rows rise along the axis";
    EXPECT_NEAR(z.back(), 3.0, 1e-12);
}

TEST(ExportVtk, SpansWithDifferentCircumferentialMeshesNeedPolygonData) {
    TempDir dir;
    auto p = MakeProblem("CompCylTech", {{"ELEMS.Span1.MESH.mesh_y", "8"}, {"ELEMS.Span2.MESH.mesh_y", "4"},
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
}

TEST(ExportFiles, AnUnwritablePlaceIsReportedWithTheFileName) {
    auto p = SmallTank();
    EXPECT_EQ(MessageOf([&] { ExportSystem(*p, "/nonexistent-dir/s.mtx"); }),
              "Ошибка записи в файл /nonexistent-dir/s.mtx: нет такого файла или каталога");
}

TEST(ExportRing, OneRowPerNodeRoundTheRingAndAClosedPolylineInItsPlane) {
    TempDir dir;
    auto p = MakeProblem("Ring", {{"LOADS.t", "[0, 0, 1000]"}, {"MESH.mesh", "24"}});
    Solve(*p, 1);
    ExportCsv(*p, dir / "r.csv");
    const std::vector<std::string> lines = Lines(Slurp(dir / "r.csv"));
    ASSERT_EQ(lines.size(), 1u + 24u) << "the node closing the ring is not repeated";
    EXPECT_EQ(lines[0], "domain,i,j,x [m],y [m],u [m],v [m],w [m],fi [rad],N2 [N],Qx [N],Qr [N],Mx [N·m],Mr [N·m],Hk [N·m]")
        << "a ring's forces and moments are resultants, not per unit length";

    ExportVtk(*p, dir / "r.vtp");
    const std::string xml = Slurp(dir / "r.vtp");
    EXPECT_NE(xml.find("NumberOfPoints=\"25\" NumberOfVerts=\"0\" NumberOfLines=\"1\""), std::string::npos);
    const auto arrays = DataArrays(xml);
    const auto& xyz = arrays.at("Points");
    const auto& d = arrays.at("displacement");
    const auto& w = arrays.at("w");
    for (std::size_t k = 0; k < 25; ++k) {
        EXPECT_NEAR(std::hypot(xyz[3 * k], xyz[3 * k + 1]), 10.0, 1e-12);
        EXPECT_EQ(xyz[3 * k + 2], 0.0) << "the ring lies in its plane";
        EXPECT_NEAR(d[3 * k] * xyz[3 * k] + d[3 * k + 1] * xyz[3 * k + 1], 10.0 * w[k], 1e-9 * std::fabs(w[0]) + 1e-30);
    }
    EXPECT_NEAR(xyz[72], xyz[0], 1e-12) << "the polyline closes on its first point";
    EXPECT_EQ(w[24], w[0]);
    EXPECT_EQ(arrays.at("connectivity").size(), 25u);
}
