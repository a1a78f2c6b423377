// Results and linear systems written for other programs: the assembled system
// in Matrix Market form, the node results as a CSV table for spreadsheets and
// plots, and the shell surface with its results as a VTK XML file for
// ParaView.
//
// Every file is UTF-8 text (units such as "N·m/m") with a point as decimal
// mark whatever the locale;
// numbers carry the shortest text that reads back to the same extended real.
// Every file goes through the program's atomic writer (WriteFileAtomic): a
// failure or a kill leaves an existing file as it was, a read-only target is
// refused and a link is written through. Failures raise ZemError with
// "Ошибка записи в файл ", the file name and the system's reason.
#pragma once

#include "domains/Domains.h"
#include "platform/extended.h"

#include <string>
#include <vector>

namespace zem {

class TProblem;
class TProgress;

// The shortest text that reads back to X, locale-free ("nan" and "inf" as
// VTK and spreadsheets read them).
std::string ExactText(Extended x);

// Gives a problem just read from its file the solution kept in its results
// file ResFile (native path), solved by the method its calculation lines
// name: equations, solver, values; the problem is then calculated. Raises
// "Ошибка загрузки файла " + ResFile + ": " and the cause when the file is
// missing, unreadable or of another length, holds values no calculation
// gives (not finite, beyond the range of a double, or result fields that
// overflow from them), or the problem cannot take it.
void LoadSavedResults(TProblem& problem, const std::vector<std::string>& calculation, const std::string& resFile,
                      TProgress& progress);

// Writes the linear system of the problem as it is assembled, without
// solving: the coefficients as a Matrix Market coordinate matrix into
// FileName and the free terms as a Matrix Market array into FileName + ".rhs".
// Every row means sum a*x + f = 0, so the second file holds f. The problem's
// equations are rebuilt.
void ExportSystem(TProblem& problem, const std::string& fileName);

// The results of a calculated problem at every node of every domain.
struct TNodeField {
    std::string Name;                // as the element names it ("w", "M1")
    std::string Unit;                // "m", "N/m"; empty for pure numbers
    std::vector<Extended> Values;    // node (i, j) at i * Cols + j
};
struct TDomainResults {
    // How the domain lies in space: a cylinder's axis along z with the arc
    // round it, a flat ring in the xy plane with the arc along it, or flat.
    using TShape = TDomainShape;

    std::string Domain;              // the domain element's name ("Span2"), empty at the root
    TShape Shape = TShape::Flat;
    double Radius = 0;               // of a cylinder or a ring
    int Rows = 0;                    // nodes along direction 0
    int Cols = 1;                    // nodes along direction 1 (1 for a line)
    bool ClosedRows = false;         // direction 0 closes on itself (a ring)
    bool ClosedCols = false;         // direction 1 closes on itself (round a cylinder)
                                     // a closed direction's last node, which
                                     // repeats node 0, is not counted
    Extended Length = 0;             // extent of direction 0
    Extended AxialOffset = 0;        // start of the domain along the whole shell
    std::vector<Extended> X, Y;      // node coordinates along directions 0 and 1
    std::vector<TNodeField> Fields;  // in the element's order
};
std::vector<TDomainResults> CollectResults(TProblem& problem);

// Raises what writing an export of the problem into FileName would raise,
// before anything is calculated: a target that cannot be written (read-only,
// a directory, a missing directory), and for a VTK structured grid (Vtk and
// a name not ending in ".vtp") domains with different numbers of nodes round
// the circumference.
void CheckExportTarget(TProblem& problem, const std::string& fileName, bool vtk);

// One row per node: domain, node indices, coordinates (x along the whole
// shell from its bottom, or along a ring; y the arc around a shell), then every result field met in
// any domain, in order of appearance; a header row names them with units.
// A name that comes with two units (a shell's N2 in N/m, its ring's in N)
// has a column per unit, each empty on the other's rows.
void ExportCsv(TProblem& problem, const std::string& fileName);

// The shell surface in 3-D with every result field as point data and the
// displacement (u, v, w turned into x, y, z) as the vector "displacement".
// An axisymmetric shell is swept round the axis; a ring is a polyline. A name
// ending in ".vtp" gives polygon data (quadrilaterals of the surfaces, a
// polyline for a ring or another line); any other name a structured grid,
// which needs every domain to have the same number of nodes around.
void ExportVtk(TProblem& problem, const std::string& fileName);

}  // namespace zem
