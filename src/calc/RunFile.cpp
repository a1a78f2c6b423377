#include "calc/RunFile.h"

#include "calc/Calcul.h"
#include "calc/Export.h"
#include "calc/Queries.h"
#include "calc/Study.h"
#include "elements/Elements.h"
#include "elements/MyObjecs.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/numtext.h"
#include "platform/progress.h"
#include "problem/CalcSettings.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "problem/Problems.h"
#include "solvers/SLCLass.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
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

// Every number of the element tree with its name (the keys from the root
// down, "LOADS.Gidr", a list entry as "MESH.mesh_x[2]").
void ForEachNumber(const TElemItem& item, const std::string& name,
                   const std::function<void(const std::string&, double)>& visit) {
    std::function<void(const TObject*, const std::string&)> value = [&](const TObject* v, const std::string& n) {
        if (const auto* r = dynamic_cast<const TReal*>(v)) {
            visit(n, r->Value);
        } else if (const auto* list = dynamic_cast<const TFreeList*>(v)) {
            for (int i = 0; i < list->Count(); ++i) value(list->Items(i), n + "[" + std::to_string(i + 1) + "]");
        }
    };
    value(item.Value(), name);
    if (const auto* list = dynamic_cast<const TElemList*>(&item))
        for (int i = 0; i < list->Count(); ++i) {
            const TElemItem& child = list->Item(i);
            ForEachNumber(child, name.empty() ? child.Key() : name + "." + child.Key(), visit);
        }
}

std::string NumberText(double x) { return RealToStrGen(6, 1, x); }

// Finite and within the range of a double, as a results file must hold it.
bool InRange(Extended x) { return std::fabs(x) <= std::numeric_limits<double>::max(); }

bool AllInRange(const TLineItem& x) {
    for (std::size_t i = 0; i < x.Count(); ++i)
        if (!InRange(x.GetItem(i))) return false;
    return true;
}

[[noreturn]] void RaiseOverflow(const TProblem& problem, const std::string& what) {
    std::string text = what + " содержит бесконечные или неопределенные значения (переполнение)";
    const std::string largest = LargestParameter(problem);
    if (!largest.empty()) text += "; вероятная причина - параметр наибольшей величины " + largest;
    throw ZemError(text);
}

void CheckFiniteOne(TProblem& problem, const TProblem& named) {
    if (!problem.Calculated() || !problem.Solver()) return;
    if (!AllInRange(problem.Solver()->X())) RaiseOverflow(named, "Решение");
    for (const TDomainResults& d : CollectResults(problem))
        for (const TNodeField& f : d.Fields)
            for (Extended v : f.Values)
                if (!InRange(v)) RaiseOverflow(named, "Результат " + f.Name);
}

// Every file a run of Full under Settings may write: the problem file, its
// results, and each approximation (the ones it has and the ones the run can
// add) with its results.
void CheckOutputs(const TPbData& data, const std::string& full, const TProblem& problem,
                  const TCalcSettings& settings) {
    CheckWritable(NativePath(full));
    if (settings.SaveResult) CheckWritable(NativePath(ChangeFileExtension(full, "res")));
    std::size_t approx = problem.Approximations().size();
    if (settings.CalcType == ctAstim) approx += 1;
    if (settings.CalcType == ctChoose) approx += settings.AutoMode ? kMaxAutoStages : 1;
    if (approx == 0) return;
    data.CheckStorable(full);
    for (std::size_t i = 0; i < approx; ++i) {
        const std::string name = TPbData::ApproxFileName(full, i);
        CheckWritable(NativePath(name));
        CheckWritable(NativePath(ChangeFileExtension(name, "res")));
    }
}

}  // namespace

std::string LargestParameter(const TProblem& problem) {
    std::string name;
    double largest = -1;
    ForEachNumber(problem.Root(), "", [&](const std::string& n, double x) {
        if (std::isnan(x) || std::fabs(x) <= largest) return;
        largest = std::fabs(x);
        name = n + " = " + NumberText(x);
    });
    return name;
}

void CheckInputMagnitudes(const TProblem& problem) {
    ForEachNumber(problem.Root(), "", [](const std::string& n, double x) {
        if (!(std::fabs(x) <= kMaxInputMagnitude))
            throw ZemError("Слишком большое значение параметра " + n + ": " + NumberText(x) +
                           " (допустимо по модулю не более " + NumberText(kMaxInputMagnitude) + ")");
    });
}

void CheckFiniteSolution(TProblem& problem) {
    CheckFiniteOne(problem, problem);
    for (TApproximation& a : problem.Approximations())
        if (a.Problem) CheckFiniteOne(*a.Problem, problem);
}

std::string RunFile(const TPbData& data, const std::string& relativeName, TProgress& progress,
                    std::unique_ptr<TProblem>* keep) {
    progress.CheckStop();
    const std::string full = ToAbsolutePath(data.StartDir(), StoredPath(relativeName));
    TProblemTexts texts;
    std::unique_ptr<TProblem> problem = data.ReadProblemFile(full, texts);

    // What would make the calculation or the writing fail is found before
    // the calculation.
    const TCalcSettings settings = ReadCalcSettings(texts.Calculation);
    CheckInputMagnitudes(*problem);
    CheckOutputs(data, full, *problem, settings);
    progress.CheckStop();

    std::vector<std::string> calculation = WithoutSaveResult(texts.Calculation);
    CalculateBySettings(full, *problem, texts.Process, calculation, progress);
    texts.Object = PrintObject(*problem);
    if (!SplitRequests(texts.ResultData).empty()) {
        std::size_t which = 0;
        texts.Results = AnswerTexts(AnswerRequests(FinalSolution(*problem, texts.Calculation, which), texts.ResultData));
    }
    progress.CheckStop();
    data.WriteCalculated(full, *problem, settings.SaveResult, texts);
    if (keep) *keep = std::move(problem);
    return UnfinishedSelection(texts.Process);
}

namespace {

// The progress of one member calculated beside others: its own log, and a
// stop whenever the series is stopped.
class TMemberProgress final : public TProgressLog {
public:
    explicit TMemberProgress(const TProgress& series) : series_(series) {}

    void CheckStop() const override {
        if (series_.StopRequested()) throw EBreakCalcule();
        TProgressLog::CheckStop();
    }

protected:
    void Step(std::size_t position) override {
        if (!series_.Running() || series_.StopRequested()) {
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
        const std::string stopped = RunFile(data, member, progress, &problem);
        const std::string full = ToAbsolutePath(data.StartDir(), StoredPath(member));
        const std::vector<std::string> file = ReadTextFile(NativePath(full));
        const auto calcLines = ReadSection(file, "CALCULATION");
        std::size_t which = 0;
        TProblem& final = FinalSolution(*problem, calcLines, which);
        if (requests.empty())
            out.Summary = MemberSummary(member, *problem, calcLines);
        else
            out.Row = StudyRow(member, final, ReadSection(file, "OBJECT"), series.Parameters, requests);
        // A selection its stage limit stopped short of the accepted error.
        if (!stopped.empty()) {
            out.Failed = true;
            out.Summary.push_back(member + ": " + stopped);
            out.Row.Failure = stopped;
        }
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
                if (progress.StopRequested()) {
                    outcomes[i].Stopped = true;
                    continue;
                }
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
