// A problem or a series run from its file to its file without a window, as
// the queue and the batch runner run them.
#pragma once

#include <memory>
#include <string>

namespace zem {

class TPbData;
class TProblem;
class TProgress;
struct TSeriesFile;

// Runs one file (a name relative to Data's start directory): read, calculate
// under its own settings, reprint the object, answer its result requests into
// its RESULTS text, write back with approximations.
// A read-only problem or results file, or a name the APPROX section cannot
// hold, is refused before the calculation; the results, approximation and
// problem files are written only when the whole calculation has succeeded.
// With Keep, the calculated problem is handed over instead of being freed.
void RunFile(const TPbData& data, const std::string& relativeName, TProgress& progress,
             std::unique_ptr<TProblem>* keep = nullptr);

// Runs every member as RunFile does and fills the series' result text. With
// result requests it is the study table as CSV lines (TStudyTable::Csv): a
// row per member, a failed member's row saying why; without them, per member
// its MemberSummary, or "<path>: <message>" when it failed. Workers members
// are calculated at a time (0: one per core of the machine), each with its
// own progress whose log joins Progress's when all are done; a member's
// failure leaves the others' rows as they are. Returns the number of
// failures. Stopping the calculation (EBreakCalcule, or Progress's running
// flag cleared) ends the run and is passed on.
int RunSeries(const TPbData& data, TSeriesFile& series, TProgress& progress, unsigned workers = 1);

// The number of members a series runs at a time by default: the machine's cores.
unsigned SeriesWorkers();

}  // namespace zem
