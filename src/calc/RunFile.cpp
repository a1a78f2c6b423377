#include "calc/RunFile.h"

#include "calc/Calcul.h"
#include "calc/Queries.h"
#include "platform/errors.h"
#include "platform/cp1251.h"
#include "platform/files.h"
#include "problem/CalcSettings.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "calc/Study.h"
#include "platform/progress.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace zem {
namespace {

// The calculation lines without the results switch: the results file is
// written together with the problem file, after the calculation.
std::vector<std::string> WithoutSaveResult(const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    for (const std::string& line : lines)
        if (!ReadCalcSettings({line}).SaveResult) kept.push_back(line);
    return kept;
}

}  // namespace

void RunFile(const TPbData& data, const std::string& relativeName, TProgress& progress,
             std::unique_ptr<TProblem>* keep) {
    const std::string full = ToAbsolutePath(data.StartDir(), StoredPath(relativeName));
    TProblemTexts texts;
    std::unique_ptr<TProblem> problem = data.ReadProblemFile(full, texts);

    // What would make the writing fail is found before the calculation.
    const TCalcSettings settings = ReadCalcSettings(texts.Calculation);
    CheckWritable(NativePath(full));
    if (settings.SaveResult) CheckWritable(NativePath(ChangeFileExtension(full, "res")));
    if (settings.CalcType != ctSimple || !problem->Approximations().empty()) data.CheckStorable(full);

    std::vector<std::string> calculation = WithoutSaveResult(texts.Calculation);
    CalculateBySettings(full, *problem, texts.Process, calculation, progress);
    texts.Object = PrintObject(*problem);
    if (!SplitRequests(texts.ResultData).empty()) {
        std::size_t which = 0;
        texts.Results = AnswerTexts(AnswerRequests(FinalSolution(*problem, texts.Calculation, which), texts.ResultData));
    }
    data.WriteCalculated(full, *problem, settings.SaveResult, texts);
    if (keep) *keep = std::move(problem);
}

namespace {

// The progress of one member calculated beside others: its own log, and a
// stop whenever the series is stopped.
class TMemberProgress final : public TProgressLog {
public:
    explicit TMemberProgress(const TProgress& series) : series_(series) {}

protected:
    void Step(std::size_t position) override {
        if (!series_.Running()) {
            SetRunning(false);
            throw EBreakCalcule();
        }
        TProgressLog::Step(position);
    }

private:
    const TProgress& series_;
};

// What one member leaves: its part of the result text, its study row, its
// log, whether it failed and whether it was stopped.
struct TMemberOutcome {
    std::vector<std::string> Summary;
    TStudyRow Row;
    std::vector<std::string> Log;
    bool Failed = false;
    bool Stopped = false;
};

TMemberOutcome RunMember(const TPbData& data, const TSeriesFile& series, const std::string& member,
                         const std::vector<std::string>& requests, TProgress& progress) {
    TMemberOutcome out;
    out.Row.Member = member;
    try {
        std::unique_ptr<TProblem> problem;
        RunFile(data, member, progress, &problem);
        const std::string full = ToAbsolutePath(data.StartDir(), StoredPath(member));
        const std::vector<std::string> file = ReadTextFile(NativePath(full));
        const auto calcLines = ReadSection(file, "CALCULATION");
        std::size_t which = 0;
        TProblem& final = FinalSolution(*problem, calcLines, which);
        if (requests.empty())
            out.Summary = MemberSummary(member, *problem, calcLines);
        else
            out.Row = StudyRow(member, final, ReadSection(file, "OBJECT"), series.Parameters, requests);
    } catch (const EBreakCalcule&) {
        out.Stopped = true;
    } catch (const std::exception& e) {
        out.Failed = true;
        out.Summary = {member + ": " + ErrorMessage(e)};
        out.Row.Failure = ErrorMessage(e);
    }
    return out;
}

}  // namespace

unsigned SeriesWorkers() { return std::max(1u, std::thread::hardware_concurrency()); }

int RunSeries(const TPbData& data, TSeriesFile& series, TProgress& progress, unsigned workers) {
    std::vector<std::string> members;
    for (const std::string& m : series.Files)
        if (!m.empty()) members.push_back(m);
    const std::vector<std::string> requests = SplitRequests(series.ResultData);
    std::vector<TMemberOutcome> outcomes(members.size());
    if (workers == 0) workers = SeriesWorkers();
    workers = static_cast<unsigned>(std::min<std::size_t>(workers, members.size()));
    if (workers <= 1) {
        for (std::size_t i = 0; i < members.size(); ++i) {
            outcomes[i] = RunMember(data, series, members[i], requests, progress);
            if (outcomes[i].Stopped) throw EBreakCalcule();
        }
    } else {
        // A pool of workers takes the members in turn; each has its own
        // progress, whose log joins the series' once all are done.
        progress.SetRunning(true);
        std::atomic<std::size_t> next{0};
        const auto work = [&] {
            for (std::size_t i; (i = next.fetch_add(1)) < members.size();) {
                TMemberProgress own(progress);
                own.SetCaption(progress.Caption() + ": " + members[i]);
                outcomes[i] = RunMember(data, series, members[i], requests, own);
                outcomes[i].Log = own.Lines();
            }
        };
        std::vector<std::thread> pool;
        for (unsigned w = 1; w < workers; ++w) pool.emplace_back(work);
        work();
        for (std::thread& t : pool) t.join();
        for (std::size_t i = 0; i < members.size(); ++i) {
            progress.AddLine("== " + members[i]);
            for (const std::string& line : outcomes[i].Log) progress.AddLine(line);
        }
        for (const TMemberOutcome& o : outcomes)
            if (o.Stopped) throw EBreakCalcule();
    }
    series.Result.clear();
    int failed = 0;
    TStudyTable table;
    table.Parameters = series.Parameters;
    table.Requests = requests;
    for (TMemberOutcome& o : outcomes) {
        failed += o.Failed;
        for (std::string& line : o.Summary) series.Result.push_back(std::move(line));
        table.Rows.push_back(std::move(o.Row));
    }
    if (!requests.empty()) series.Result = table.Csv();
    return failed;
}

}  // namespace zem
