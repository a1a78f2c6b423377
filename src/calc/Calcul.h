// The three calculation types (a single solution, an error estimate on a mesh
// of doubled density, a mesh selection stage by stage) and the mesh-error
// measures they report.
#pragma once

#include "problem/CalcSettings.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zem {

class TProblem;
class TProgress;

// Runs the calculation the lines describe on Problem (whose file is FileName,
// used for the results file), adds the approximations it makes and writes the
// report into Process. Errors of the solver and the domains pass through.
// Every run goes through here, from a window or from a file: inputs too large
// for the scheme are refused before anything is built (CheckInputMagnitudes),
// and a solution or result that overflowed is an error raised before the
// results file is written (CheckFiniteSolution).
void CalculateBySettings(const std::string& fileName, TProblem& problem, std::vector<std::string>& process,
                         const std::vector<std::string>& calcLines, TProgress& progress);

// The most stages a mesh selection in the automatic mode runs.
constexpr int kMaxAutoStages = 12;

// The line of the report that tells a mesh selection in the automatic mode
// ran out of stages while they still refined the mesh, so the accepted error
// was not reached ("Подбор остановлен: выполнено этапов 12"); empty when
// the report has none.
std::string UnfinishedSelection(const std::vector<std::string>& process);

// The mesh error of a characteristic ("w", or "Span1.w" / "CylSym.w" with
// several domains) of Problem against the solved problem Fine, in percent.
// Norm 0 is the mean-square norm, 1 the uniform norm. Empty when the field is
// zero to rounding on the fine mesh (in every domain it is taken from), so
// that it has no relative error.
std::optional<double> MeshErrorPercent(TProblem& problem, int norm, const std::string& characteristic,
                                       TProblem& fine, int listType);
// The place where the characteristic differs most between Problem and the
// solved problem Fine, and both values: "M1: наибольшая разность при x = 0 м:
// -1549.7 -> -1564.2 (0.93 %)", the per cent of Fine's largest magnitude.
// With several domains the one whose difference is the largest share.
std::string LargestDifferenceLine(TProblem& problem, const std::string& characteristic, TProblem& fine,
                                  int listType);

// The object text of Problem with the meshes of approximation Approx (every
// mesh item of every domain takes the approximation's text); the problem
// itself is left as it is. Raises "Приближение не соответствует задаче" when
// their domains or mesh items differ.
std::vector<std::string> ObjectWithMeshesOf(const TProblem& problem, TProblem& approx);

// The positions of the approximations not made from Problem as it stands.
std::vector<std::size_t> StaleApproximations(TProblem& problem);

// Which mesh the results views show for Problem under its calculation lines
// (FinalSolution): "Результаты на сетке приближения N (<caption>)" or
// "Результаты на сетке задачи".
std::string ShownMeshText(TProblem& problem, const std::vector<std::string>& calcLines);

// The report text of such an error: "1.2340E-2 %" or "0 (поле равно нулю)".
std::string MeshErrorText(const std::optional<double>& percent);

// One stage of the mesh selection: a copy of Start refined where a locally
// doubled mesh changes the criterion by more than Prec percent; null when
// nothing needs refining. Start must be solved. A criterion that is zero to
// rounding on the doubled mesh refines nothing. With Lines, the
// LargestDifferenceLine of every doubled mesh the stage compared is added.
std::unique_ptr<TProblem> RefineStage(TProblem& start, int norm, const std::string& criterion, int method,
                                      const std::vector<std::string>& axes, double prec, int listType,
                                      TProgress& progress, std::vector<std::string>* lines = nullptr);

// Checks that every characteristic the settings name (AstimList for an
// estimate, PrecChar for a mesh selection) is offered by the problem's
// domains; raises "Неизвестная характеристика " + the name otherwise.
void CheckCharacteristics(TProblem& problem, const TCalcSettings& settings);

// For every axis in Axes: "<axis>: <number of intervals>: <mesh text>".
void ReportAxes(TProblem& problem, const std::vector<std::string>& axes, std::vector<std::string>& lines);

// The characteristic names of a problem's domains as the calculation dialog
// offers them, and its axis names (qualified when there are several domains).
std::vector<std::string> CharacteristicNames(TProblem& problem, int listType);
std::vector<std::string> AxisNames(TProblem& problem, int listType);

}  // namespace zem
