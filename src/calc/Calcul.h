// The three calculation types (a single solution, an error estimate on a mesh
// of doubled density, a mesh selection stage by stage) and the mesh-error
// measures they report.
#pragma once

#include "calc/CalcSettings.h"

#include <memory>
#include <string>
#include <vector>

namespace zem {

class TProblem;
class TProgress;

// Runs the calculation the lines describe on Problem (whose file is FileName,
// used for the results file), adds the approximations it makes and writes the
// report into Process. Errors of the solver and the domains pass through.
void CalculateBySettings(const std::string& fileName, TProblem& problem, std::vector<std::string>& process,
                         const std::vector<std::string>& calcLines, TProgress& progress);

// The mesh error of a characteristic ("w", or "Span1.w" / "CylSym.w" with
// several domains) of Problem against the solved problem Fine, in percent.
// Norm 0 is the mean-square norm, 1 the uniform norm.
double MeshErrorPercent(TProblem& problem, int norm, const std::string& characteristic, TProblem& fine,
                        int listType);

// One stage of the mesh selection: a copy of Start refined where a locally
// doubled mesh changes the criterion by more than Prec percent; null when
// nothing needs refining.
std::unique_ptr<TProblem> RefineStage(TProblem& start, int norm, const std::string& criterion, int method,
                                      const std::vector<std::string>& axes, double prec, int listType,
                                      TProgress& progress);

// For every axis in Axes: "<axis>: <number of intervals>: <mesh text>".
void ReportAxes(TProblem& problem, const std::vector<std::string>& axes, std::vector<std::string>& lines);

// The characteristic names of a problem's domains as the calculation dialog
// offers them, and its axis names (qualified when there are several domains).
std::vector<std::string> CharacteristicNames(TProblem& problem, int listType);
std::vector<std::string> AxisNames(TProblem& problem, int listType);

}  // namespace zem
