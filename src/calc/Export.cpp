#include "calc/Export.h"

#include "calc/RunFile.h"
#include "problem/CalcSettings.h"
#include "domains/ElDomain.h"
#include "domains/ElSeries.h"
#include "domains/FieldKinds.h"
#include "elements/ElComp.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "problem/Problems.h"
#include "solvers/Matrises.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <numbers>
#include <sstream>

namespace zem {

namespace {

// An axisymmetric shell is drawn as a surface of revolution of this many
// facets round the circumference.
constexpr int kSweepFacets = 36;

std::string Num(Extended x) { return ExactText(x); }

// Writes the text Fill makes to FileName through the program's atomic
// writer (a read-only target is refused, a link written through).
void WriteWhole(TFileBatch& batch, const std::string& fileName, const std::function<void(std::ostream&)>& fill) {
    std::ostringstream out;
    fill(out);
    batch.Stage(fileName, std::move(out).str());
}

void WriteWhole(const std::string& fileName, const std::function<void(std::ostream&)>& fill) {
    TFileBatch batch;
    WriteWhole(batch, fileName, fill);
    batch.Commit();
}

// The result names of a domain element: its table names, or its graph names
// when it has no tables.
const std::vector<std::string>& FieldNames(const TDmElement& element) {
    return element.TableResults.empty() ? element.GraphResults : element.TableResults;
}

const TNodeField* FindField(const TDomainResults& d, const std::string& name) {
    for (const TNodeField& f : d.Fields)
        if (f.Name == name) return &f;
    return nullptr;
}

// Every field name met in the domains, in order of first appearance.
std::vector<std::string> AllFieldNames(const std::vector<TDomainResults>& domains) {
    std::vector<std::string> names;
    for (const TDomainResults& d : domains)
        for (const TNodeField& f : d.Fields)
            if (std::find(names.begin(), names.end(), f.Name) == names.end()) names.push_back(f.Name);
    return names;
}

// The CSV columns: every field met in the domains by name and unit, in order
// of first appearance. Fields of one name but different units (a shell's N2
// per unit length and its ring's whole N2) get a column each, so that no
// column mixes units.
struct TColumn {
    std::string Name;
    std::string Unit;
    std::string Title() const { return Unit.empty() ? Name : Name + " [" + Unit + "]"; }
};

std::vector<TColumn> CsvColumns(const std::vector<TDomainResults>& domains) {
    std::vector<TColumn> columns;
    for (const TDomainResults& d : domains)
        for (const TNodeField& f : d.Fields)
            if (std::none_of(columns.begin(), columns.end(),
                             [&](const TColumn& c) { return c.Name == f.Name && c.Unit == f.Unit; }))
                columns.push_back({f.Name, f.Unit});
    return columns;
}

const TNodeField* FindField(const TDomainResults& d, const TColumn& column) {
    const TNodeField* f = FindField(d, column.Name);
    return f && f->Unit == column.Unit ? f : nullptr;
}

// A CSV cell: quoted when it holds a separator, a quote or a line break.
std::string CsvText(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string q = "\"";
    for (char c : text) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

// An XML attribute value.
std::string XmlText(const std::string& text) {
    std::string x;
    for (char c : text) {
        switch (c) {
            case '&': x += "&amp;"; break;
            case '<': x += "&lt;"; break;
            case '>': x += "&gt;"; break;
            case '"': x += "&quot;"; break;
            default: x += c;
        }
    }
    return x;
}

// --- The 3-D picture ----------------------------------------------------------------

// One quadrilateral patch of the surface: Rows x Cols points, the point of
// row i and column j at i * Cols + j; a line when Cols is 1.
struct TPatch {
    int Rows = 0, Cols = 0;
    bool Surface = true;
    std::vector<std::array<Extended, 3>> Points, Displacement;
    std::map<std::string, std::vector<Extended>> Fields;
};

// The points of a patch round the circumference: an axisymmetric shell is
// swept, a closed direction repeats its first node.
bool Swept(const TDomainResults& d) { return d.Shape == TDomainResults::TShape::Cylinder && d.Cols == 1; }
int PatchCols(const TDomainResults& d) { return Swept(d) ? kSweepFacets + 1 : (d.ClosedCols ? d.Cols + 1 : d.Cols); }

TPatch MakePatch(const TDomainResults& d, const std::vector<std::string>& names) {
    using TShape = TDomainResults::TShape;
    constexpr Extended kTwoPi = 2 * std::numbers::pi_v<Extended>;
    TPatch p;
    // A closed direction gets its first node again at the end, so that the
    // picture closes; an axisymmetric shell is swept round its axis.
    const bool swept = Swept(d);
    p.Surface = d.Shape == TShape::Cylinder || d.Cols > 1;
    p.Rows = d.ClosedRows ? d.Rows + 1 : d.Rows;
    p.Cols = PatchCols(d);
    const TNodeField* u = FindField(d, "u");
    const TNodeField* v = FindField(d, "v");
    const TNodeField* w = FindField(d, "w");
    for (const std::string& n : names) p.Fields[n].reserve(static_cast<std::size_t>(p.Rows * p.Cols));
    for (int r = 0; r < p.Rows; ++r)
        for (int c = 0; c < p.Cols; ++c) {
            // The node whose values the point shows, and the point's coordinates.
            const int i = r == d.Rows ? 0 : r;
            const int j = swept || c == d.Cols ? 0 : c;
            const std::size_t k = static_cast<std::size_t>(i * d.Cols + j);
            const Extended x = r == d.Rows ? d.Length : d.X[k];
            Extended y = d.Y[k];
            if (swept) y = kTwoPi * d.Radius * c / kSweepFacets;
            else if (c == d.Cols) y = kTwoPi * d.Radius;
            const Extended uu = u ? u->Values[k] : 0, vv = v ? v->Values[k] : 0, ww = w ? w->Values[k] : 0;
            if (d.Shape == TShape::Cylinder) {
                // w along the outward normal, v round the circumference, u along the axis.
                const Extended cs = std::cos(y / d.Radius), sn = std::sin(y / d.Radius);
                p.Points.push_back({d.Radius * cs, d.Radius * sn, d.AxialOffset + x});
                p.Displacement.push_back({ww * cs - vv * sn, ww * sn + vv * cs, uu});
            } else if (d.Shape == TShape::Ring) {
                // w radial, v along the ring, u out of its plane.
                const Extended cs = std::cos(x / d.Radius), sn = std::sin(x / d.Radius);
                p.Points.push_back({d.Radius * cs, d.Radius * sn, 0});
                p.Displacement.push_back({ww * cs - vv * sn, ww * sn + vv * cs, uu});
            } else {
                // A flat picture: direction 0 up, direction 1 across.
                p.Points.push_back({y, 0, d.AxialOffset + x});
                p.Displacement.push_back({vv, ww, uu});
            }
            for (const std::string& n : names) {
                const TNodeField* f = FindField(d, n);
                p.Fields[n].push_back(f ? f->Values[k] : 0);
            }
        }
    return p;
}

void WriteDataArray(std::ostream& out, const std::string& name, int components,
                    const std::function<void(std::ostream&)>& values) {
    out << "        <DataArray type=\"Float64\" Name=\"" << XmlText(name) << "\"";
    if (components > 1) out << " NumberOfComponents=\"" << components << "\"";
    out << " format=\"ascii\">\n";
    values(out);
    out << "        </DataArray>\n";
}

void WriteVectors(std::ostream& out, const std::vector<TPatch>& patches,
                  std::vector<std::array<Extended, 3>> TPatch::*member) {
    for (const TPatch& p : patches)
        for (const auto& a : p.*member) out << "          " << Num(a[0]) << ' ' << Num(a[1]) << ' ' << Num(a[2]) << '\n';
}

void WritePointData(std::ostream& out, const std::vector<TPatch>& patches, const std::vector<std::string>& names) {
    out << "      <PointData Vectors=\"displacement\">\n";
    for (const std::string& n : names)
        WriteDataArray(out, n, 1, [&](std::ostream& o) {
            for (const TPatch& p : patches)
                for (Extended x : p.Fields.at(n)) o << "          " << Num(x) << '\n';
        });
    WriteDataArray(out, "displacement", 3, [&](std::ostream& o) { WriteVectors(o, patches, &TPatch::Displacement); });
    out << "      </PointData>\n";
}

void WritePoints(std::ostream& out, const std::vector<TPatch>& patches) {
    out << "      <Points>\n";
    WriteDataArray(out, "Points", 3, [&](std::ostream& o) { WriteVectors(o, patches, &TPatch::Points); });
    out << "      </Points>\n";
}

void WriteStructured(std::ostream& out, const std::vector<TPatch>& patches, const std::vector<std::string>& names) {
    int rows = 0;
    for (const TPatch& p : patches) rows += p.Rows;
    const std::string extent =
        "0 " + std::to_string(patches.front().Cols - 1) + " 0 " + std::to_string(rows - 1) + " 0 0";
    out << "<?xml version=\"1.0\"?>\n"
           "<VTKFile type=\"StructuredGrid\" version=\"0.1\" byte_order=\"LittleEndian\">\n"
           "  <StructuredGrid WholeExtent=\"" << extent << "\">\n"
           "    <Piece Extent=\"" << extent << "\">\n";
    WritePointData(out, patches, names);
    WritePoints(out, patches);
    out << "    </Piece>\n  </StructuredGrid>\n</VTKFile>\n";
}

void WritePolyData(std::ostream& out, const std::vector<TPatch>& patches, const std::vector<std::string>& names) {
    std::size_t points = 0, quads = 0, lines = 0;
    for (const TPatch& p : patches) {
        points += p.Points.size();
        if (p.Surface)
            quads += static_cast<std::size_t>((p.Rows - 1) * (p.Cols - 1));
        else
            lines += static_cast<std::size_t>(p.Cols);
    }
    out << "<?xml version=\"1.0\"?>\n"
           "<VTKFile type=\"PolyData\" version=\"0.1\" byte_order=\"LittleEndian\">\n"
           "  <PolyData>\n"
           "    <Piece NumberOfPoints=\"" << points << "\" NumberOfVerts=\"0\" NumberOfLines=\"" << lines
        << "\" NumberOfStrips=\"0\" NumberOfPolys=\"" << quads << "\">\n";
    WritePointData(out, patches, names);
    WritePoints(out, patches);
    // Cells: connectivity and the running end of each cell.
    auto cells = [&](const char* tag, bool surface) {
        out << "      <" << tag << ">\n"
               "        <DataArray type=\"Int64\" Name=\"connectivity\" format=\"ascii\">\n";
        std::size_t base = 0;
        std::vector<std::size_t> offsets;
        std::size_t end = 0;
        for (const TPatch& p : patches) {
            const auto at = [&](int i, int j) { return base + static_cast<std::size_t>(i * p.Cols + j); };
            if (p.Surface == surface) {
                if (surface) {
                    for (int i = 0; i + 1 < p.Rows; ++i)
                        for (int j = 0; j + 1 < p.Cols; ++j) {
                            out << "          " << at(i, j) << ' ' << at(i, j + 1) << ' ' << at(i + 1, j + 1) << ' '
                                << at(i + 1, j) << '\n';
                            offsets.push_back(end += 4);
                        }
                } else {
                    // One polyline per column: the nodes along the axis.
                    for (int j = 0; j < p.Cols; ++j) {
                        out << "         ";
                        for (int i = 0; i < p.Rows; ++i) out << ' ' << at(i, j);
                        out << '\n';
                        offsets.push_back(end += static_cast<std::size_t>(p.Rows));
                    }
                }
            }
            base += p.Points.size();
        }
        out << "        </DataArray>\n"
               "        <DataArray type=\"Int64\" Name=\"offsets\" format=\"ascii\">\n";
        for (std::size_t o : offsets) out << "          " << o << '\n';
        out << "        </DataArray>\n      </" << tag << ">\n";
    };
    cells("Lines", false);
    cells("Polys", true);
    out << "    </Piece>\n  </PolyData>\n</VTKFile>\n";
}

}  // namespace

std::string ExactText(Extended x) {
    if (std::isnan(x)) return "nan";
    if (std::isinf(x)) return x > 0 ? "inf" : "-inf";
    if (x == 0) x = 0;  // no "-0"
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, r.ptr);
}

void LoadSavedResults(TProblem& problem, const std::vector<std::string>& calculation, const std::string& resFile,
                      TProgress& progress) {
    TCalcSettings s;
    try {
        s = ReadCalcSettings(calculation);
    } catch (const ZemError&) {
        // A bad "Prec" line does not concern the solution already kept.
    }
    try {
        TRealTypeScope realType(s.RealType);
        problem.BuildEquations();
        problem.CreateSolver(s.SLAEMethod, progress);
        problem.LoadResults(resFile);
        problem.SetCalculated(true);
        // Values a calculation could not have given: the file is damaged.
        CheckFiniteSolution(problem);
    } catch (const std::exception& e) {
        problem.SetCalculated(false);
        RethrowFileFailure(kLoadFailure, resFile, e);
    }
}

void ExportSystem(TProblem& problem, const std::string& fileName) {
    problem.BuildEquations();
    const std::size_t n = problem.UnknownCount();
    if (n == 0) throw ZemError("Задача не имеет неизвестных");
    // One pass over the rows: the entries are written as the rows come and
    // the size line, whose room is kept before them, is filled in at the end.
    std::vector<Extended> free(n);
    TFileBatch batch;
    WriteWhole(batch, fileName, [&](std::ostream& out) {
        out << "%%MatrixMarket matrix coordinate real general\n"
               "% Row r: sum of a(r,c) x(c) + f(r) = 0; the free terms f are in the .rhs file.\n";
        const std::streampos sizeLine = out.tellp();
        constexpr std::size_t kRoom = 63;
        out << std::string(kRoom, ' ') << '\n';
        std::size_t nonZeros = 0;
        TRowItems row;
        for (std::size_t r = 0; r < n; ++r) {
            free[r] = problem.GetRow(r, row);
            nonZeros += row.size();
            for (const TListItem& item : row) out << r + 1 << ' ' << item.Col + 1 << ' ' << Num(item.Value) << '\n';
        }
        out.seekp(sizeLine);
        out << n << ' ' << n << ' ' << nonZeros;
    });
    WriteWhole(batch, fileName + ".rhs", [&](std::ostream& out) {
        out << "%%MatrixMarket matrix array real general\n"
               "% The free terms f of the rows sum of a x + f = 0.\n"
            << n << " 1\n";
        for (Extended f : free) out << Num(f) << '\n';
    });
    batch.Commit();
}

namespace {

// The nodes and shape of a domain, without values.
TDomainResults Layout(TProblem& problem, TDmElement& element) {
    TDomain& dm = *element.Domain;
    TDomainResults d;
    d.Domain = &element == &problem.Root() ? std::string() : element.Key();
    d.ClosedRows = dm.Periodic[0];
    d.ClosedCols = dm.DimCount > 1 && dm.Periodic[1];
    d.Rows = dm.StepCount(0) + (d.ClosedRows ? 0 : 1);
    d.Cols = dm.DimCount > 1 ? dm.StepCount(1) + (d.ClosedCols ? 0 : 1) : 1;
    d.Length = dm.Extent(0);
    d.Shape = dm.Shape();
    d.Radius = d.Shape == TDomainShape::Flat ? 0 : dm.Radius();
    return d;
}

}  // namespace

void CheckExportTarget(TProblem& problem, const std::string& fileName, bool vtk) {
    CheckWritable(fileName);
    if (!vtk || (fileName.size() >= 4 && fileName.compare(fileName.size() - 4, 4, ".vtp") == 0)) return;
    // A structured grid has one number of points round the circumference.
    int cols = -1;
    for (TDmElement* element : problem.Domains()) {
        const int c = PatchCols(Layout(problem, *element));
        if (cols >= 0 && c != cols)
            throw ZemError("Области имеют разное число узлов по окружности: сохраните результаты в файл .vtp");
        cols = c;
    }
}

std::vector<TDomainResults> CollectResults(TProblem& problem) {
    std::vector<TDomainResults> out;
    // The spans of a stepped shell follow one another along the axis.
    const bool stacked = dynamic_cast<const TElCompSeries*>(&problem.Root()) != nullptr;
    Extended offset = 0;
    for (TDmElement* element : problem.Domains()) {
        TDomain& dm = *element->Domain;
        TDomainResults d = Layout(problem, *element);
        d.AxialOffset = stacked ? offset : 0;
        offset += dm.Extent(0);
        const std::vector<std::string>& names = FieldNames(*element);
        d.Fields.resize(names.size());
        for (std::size_t f = 0; f < names.size(); ++f) {
            d.Fields[f].Name = names[f];
            d.Fields[f].Unit = FieldUnit(dm, names[f]);
            d.Fields[f].Values.resize(static_cast<std::size_t>(d.Rows * d.Cols));
        }
        d.X.resize(static_cast<std::size_t>(d.Rows * d.Cols));
        d.Y.resize(d.X.size());
        // Direction 1 outside, direction 0 inside, as the tables walk a
        // surface (its domain recomputes node data as it moves).
        dm.SetPos(0, 0);
        if (dm.DimCount > 1) dm.SetPos(1, 0);
        for (int j = 0; j < d.Cols; ++j) {
            if (dm.DimCount > 1) dm.SetPos(1, j);
            for (int i = 0; i < d.Rows; ++i) {
                dm.SetPos(0, i);
                const std::size_t k = static_cast<std::size_t>(i * d.Cols + j);
                d.X[k] = dm.NodeCoord(0, i);
                d.Y[k] = dm.DimCount > 1 ? dm.NodeCoord(1, j) : 0;
                for (std::size_t f = 0; f < names.size(); ++f)
                    d.Fields[f].Values[k] = dm.ResultValue(static_cast<int>(f));
            }
        }
        out.push_back(std::move(d));
    }
    return out;
}

void ExportCsv(TProblem& problem, const std::string& fileName) {
    const std::vector<TDomainResults> domains = CollectResults(problem);
    const std::vector<TColumn> columns = CsvColumns(domains);
    WriteWhole(fileName, [&](std::ostream& out) {
        out << "domain,i,j,x [m],y [m]";
        for (const TColumn& c : columns) out << ',' << CsvText(c.Title());
        out << '\n';
        for (const TDomainResults& d : domains) {
            std::vector<const TNodeField*> fields;
            for (const TColumn& c : columns) fields.push_back(FindField(d, c));
            for (int i = 0; i < d.Rows; ++i)
                for (int j = 0; j < d.Cols; ++j) {
                    const std::size_t k = static_cast<std::size_t>(i * d.Cols + j);
                    out << CsvText(d.Domain) << ',' << i << ',' << j << ',' << Num(d.AxialOffset + d.X[k]) << ','
                        << Num(d.Y[k]);
                    for (const TNodeField* f : fields) {
                        out << ',';
                        if (f) out << Num(f->Values[k]);
                    }
                    out << '\n';
                }
        }
    });
}

void ExportVtk(TProblem& problem, const std::string& fileName) {
    const std::vector<TDomainResults> domains = CollectResults(problem);
    if (domains.empty()) throw ZemError("Задача не имеет областей");
    const std::vector<std::string> names = AllFieldNames(domains);
    std::vector<TPatch> patches;
    for (const TDomainResults& d : domains) patches.push_back(MakePatch(d, names));
    const bool poly = fileName.size() >= 4 && fileName.compare(fileName.size() - 4, 4, ".vtp") == 0;
    if (!poly) CheckExportTarget(problem, fileName, true);
    WriteWhole(fileName, [&](std::ostream& out) {
        if (poly)
            WritePolyData(out, patches, names);
        else
            WriteStructured(out, patches, names);
    });
}

}  // namespace zem
