// A problem or a series run from its file to its file without a window, as
// the queue and the batch runner run them.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace zem {

class TPbData;
class TProblem;
class TProgress;
struct TSeriesFile;

// Runs one file (a name relative to Data's start directory): read, calculate
// under its own settings, reprint the object, answer its result requests into
// its RESULTS text, write back with approximations.
// Before the calculation every file the run may write (problem, results,
// approximations and their results) is checked: a read-only one, or a name
// the APPROX section cannot hold, is refused. The files are written only when
// the whole calculation has succeeded and its solutions and results are
// finite. A stop requested on Progress (RequestStop) is checked between the
// stages and before the writing, and raises EBreakCalcule.
// With Keep, the calculated problem is handed over instead of being freed.
// Returns the line of a mesh selection that its stage limit stopped before it
// reached the accepted error ("Подбор остановлен: ..."), or an empty text.
std::string RunFile(const TPbData& data, const std::string& relativeName, TProgress& progress,
                    std::unique_ptr<TProblem>* keep = nullptr);

// Runs every member as RunFile does and fills the series' result text. With
// result requests it is the study table as CSV lines (TStudyTable::Csv): a
// row per member, a failed member's row saying why; without them, per member
// its MemberSummary, or "<path>: <message>" when it failed (a member
// whose selection ran out of stages counts as failed, its summary followed by
// the stop line). Workers members
// are calculated at a time (0: one per core of the machine), each with its
// own progress whose log joins Progress's when all are done; a member's
// failure leaves the others' rows as they are. Returns the number of
// failures. Stopping the calculation (EBreakCalcule, or Progress's running
// flag cleared) ends the run and is passed on.
int RunSeries(const TPbData& data, TSeriesFile& series, TProgress& progress, unsigned workers = 1);

// The number of members a series runs at a time by default: the machine's cores.
unsigned SeriesWorkers();

// Raises "Слишком большое значение параметра NAME: VALUE" for the first
// number of the element tree (a parameter, boundary value, load or mesh
// entry) whose magnitude exceeds kMaxInputMagnitude, which would overflow
// the difference scheme.
constexpr double kMaxInputMagnitude = 1e100;
void CheckInputMagnitudes(const TProblem& problem);

// Raises an error when the solution of the problem or of one of its
// approximations holds an infinity or a NaN: the text names the parameter of
// largest magnitude as the likely cause.
void CheckFiniteSolution(TProblem& problem);

// The number of the element tree with the largest magnitude, as
// "LOADS.Gidr = 1e+308"; empty when the tree holds no number.
std::string LargestParameter(const TProblem& problem);

}  // namespace zem
