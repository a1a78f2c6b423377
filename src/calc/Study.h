// A series as a parametric study: a table with a row per member and a column
// per result request, and the sweep that makes members from a template
// problem by varying one or two of its parameters over a range.
#pragma once

#include "calc/Queries.h"

#include <string>
#include <vector>

namespace zem {

class TPbData;
class TProblem;
struct TSeriesFile;

struct TStudyRow {
    std::string Member;                  // the member's path as the series lists it
    std::vector<std::string> Parameters; // the values of the study's parameters in its object
    std::string Mesh;                    // "160" steps, "80x16", "Span1 70, Span2 80"
    std::string MeshGuard;               // the mesh guard: "да", or "нет (mesh_x, ...)" with the coarse items
    std::vector<TQueryAnswer> Answers;   // one per request
    std::string Failure;                 // why the member has no results
};

struct TStudyTable {
    std::vector<std::string> Parameters;  // object parameter names ("t", "Span2.t")
    std::vector<std::string> Requests;
    std::vector<TStudyRow> Rows;

    // The unit of request K: that of its first answer.
    std::string Unit(std::size_t k) const;
    // CSV lines: a header ("member", the parameters, "mesh", "mesh guard",
    // every request with its unit in brackets, "error"), then a row per member
    // with the exact values; an unanswered request leaves its cell empty and
    // says why in the error cell.
    std::vector<std::string> Csv() const;
};

// The cells of CSV lines as Csv writes them (quoted cells read back).
std::vector<std::vector<std::string>> ReadCsvLines(const std::vector<std::string>& lines);

// The member's mesh as steps per domain.
std::string MeshText(const std::vector<TDomainResults>& results);
// The mesh check's verdict of a calculated problem, for the study table's
// "mesh guard" column. Nothing checks meshes yet, so it is empty.
std::string MeshGuardText(TProblem& problem);

// A study row of a calculated member: its mesh, its answers to Requests, the
// values of Parameters in ObjectLines.
TStudyRow StudyRow(const std::string& member, TProblem& problem, const std::vector<std::string>& objectLines,
                   const std::vector<std::string>& parameters, const std::vector<std::string>& requests);

// --- Sweeps --------------------------------------------------------------------------

// "t=0.008:0.014:4": Count values from From to To, evenly spaced (one value
// when Count is 1). Raises ZemError with the reason on anything else.
struct TSweepParam {
    std::string Name;  // a parameter of the object ("t"), or of a child element ("Span2.t")
    double From = 0, To = 0;
    int Count = 0;
    std::vector<double> Values() const;
};
TSweepParam ParseSweep(const std::string& text);

// The text of parameter Name's value in object text Lines; empty when the
// object does not set it.
std::string ObjectParameter(const std::vector<std::string>& lines, const std::string& name);
// Object text Lines with parameter Name set to Value; raises ZemError when
// the object does not set the parameter.
std::vector<std::string> WithObjectParameter(const std::vector<std::string>& lines, const std::string& name,
                                             const std::string& value);

// Writes a member file beside the template (a name relative to Data's start
// directory) for every value of one parameter, or every pair of two, named
// "<template>_<name><value>.zem", and returns their names relative to the
// start directory; Requests gets the template's result requests and Base the
// template's full name without its extension. The members keep the
// template's object, settings, requests and description, not its solution.
// Nothing is written when a value cannot be set.
std::vector<std::string> MakeSweepMembers(const TPbData& data, const std::string& templateName,
                                          const std::vector<TSweepParam>& params, std::vector<std::string>& requests,
                                          std::string& base);
// The members as MakeSweepMembers writes them, and the series file
// "<template>-sweep.zes" that lists them, with the template's result
// requests and the swept parameters. Returns the series file's name relative
// to the start directory.
std::string MakeSweep(const TPbData& data, const std::string& templateName, const std::vector<TSweepParam>& params);

}  // namespace zem
