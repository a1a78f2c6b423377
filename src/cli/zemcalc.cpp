// zemcalc: the unattended run of the calculation queue, for scripts.
//
// Every problem file is read, calculated under its own CALCULATION lines and
// written back with its approximations and results, exactly as the queue of
// the desktop program does for files that are not open. A series file runs
// each of its members so and gets their results in its RESULT section.
// Relative names are resolved against the start directory (the current one,
// or DIR). Standard output carries the reports, standard error the failures
// ("FILE: message"), the calculation log and, on a terminal, a progress line.
// A file that fails does not stop the run. Every file a run writes (an export
// too) is checked before anything is calculated. Exit status: 0 when every
// file was calculated, 1 when some failed, 2 on bad usage. Ctrl+C, SIGTERM and
// SIGHUP stop the whole run: the stop holds from the signal on, nothing
// further is written, and the exit status is 1.
#include "calc/Calcul.h"
#include "calc/Export.h"
#include "calc/MeshGuard.h"
#include "calc/Queries.h"
#include "calc/RunFile.h"
#include "calc/Study.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/progress.h"
#include "platform/signals.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "problem/Problems.h"
#include "problemtypes/Register.h"
#include "solvers/SLEstimate.h"
#include "elements/MyStr.h"
#include "platform/cp1251.h"

#include <unistd.h>

#include <cctype>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#ifndef ZEM_VERSION
#define ZEM_VERSION "2.0"
#endif

namespace {

// The progress of the console: the log goes to standard error as it grows;
// on a terminal one line, rewritten in place, shows the stage, the per cent
// done and the elapsed time.
class TConsoleProgress : public zem::TProgressLog {
public:
    bool Verbose = true;
    bool Live = false;

    void AddLine(const std::string& text) override {
        TProgressLog::AddLine(text);
        if (!Verbose) return;
        ClearLine();
        std::cerr << text << '\n';
    }
    void BeginStage(const std::string& name) override {
        TProgressLog::BeginStage(name);
        Show(true);
    }
    void FinishCalculation(const std::string& message) override {
        TProgressLog::FinishCalculation(message);
        ClearLine();
    }
    void ClearLine() {
        if (Live && shown_) std::cerr << "\r\033[K" << std::flush;
        shown_ = false;
    }

protected:
    void Step(std::size_t position) override {
        TProgressLog::Step(position);
        Show(false);
    }

private:
    // At most ten redraws a second, and one at every new stage.
    void Show(bool now) {
        if (!Live) return;
        const auto t = std::chrono::steady_clock::now();
        if (!now && t - last_ < std::chrono::milliseconds(100)) return;
        last_ = t;
        const zem::TProgressSnapshot s = Snapshot();
        std::cerr << "\r\033[K" << s.stageName << "  " << s.percentText << "  " << s.timeText << std::flush;
        shown_ = true;
    }

    std::chrono::steady_clock::time_point last_{};
    bool shown_ = false;
};

TConsoleProgress* gProgress = nullptr;

void OnInterrupt(int) {
    if (gProgress) gProgress->RequestStop();  // atomic stores
}

const char* const kUsage =
    "usage: zemcalc [-q] [-C DIR] [--memory-limit SIZE] FILE.zem|FILE.zes ...\n"
    "       zemcalc [-C DIR] --system OUT FILE.zem|FILE.zes\n"
    "       zemcalc [-q] [-C DIR] --export csv|vtk OUT FILE.zem\n"
    "       zemcalc [-q] [-C DIR] [--json] [-r REQUEST ...] [-j N] FILE.zem|FILE.zes ...\n"
    "       zemcalc [-q] [-C DIR] [-j N] --sweep NAME=FROM:TO:COUNT [--sweep ...] FILE.zem\n"
    "\n"
    "Calculates each problem file under its own calculation settings and writes it\n"
    "back with its report, approximations and results file; a series file runs its\n"
    "members and gathers their results.\n"
    "\n"
    "  -q                  do not print the calculation log\n"
    "  -C DIR              resolve relative problem and series names against DIR\n"
    "                      (OUT stays relative to the current directory)\n"
    "  --system OUT        write the assembled linear system of the problem (of a\n"
    "                      series: its first member) without solving: coefficients\n"
    "                      in Matrix Market coordinate form to OUT, free terms f to\n"
    "                      OUT.rhs; every row reads  sum a*x + f = 0\n"
    "  --export FMT OUT    write the results of the problem to OUT: csv (one row per\n"
    "                      node) or vtk (a .vts structured grid, or .vtp polygon data\n"
    "                      when OUT ends in .vtp); the results file is read when it\n"
    "                      exists, otherwise the problem is calculated first\n"
    "  --memory-limit SIZE use at most SIZE of memory for a solution (bytes, or\n"
    "                      with K, M, G); a method that needs more is refused\n"
    "                      with its figures and the method that fits\n"
    "  -r REQUEST          answer REQUEST instead of the file's result requests\n"
    "                      (repeatable): w, max SigEq4, max |w|, min M1, M1(0),\n"
    "                      w(x=4, угол=90), Span2.w(1.5), Ring.N2(90°)\n"
    "  --json              print one JSON object per file instead of the report:\n"
    "                      file, type, method, mesh, unknowns, seconds, warnings,\n"
    "                      requests with value, unit and place (a series: its table)\n"
    "  -j N                calculate N members of a series at a time (default: one\n"
    "                      per core)\n"
    "  --sweep RANGE       make members from the template FILE.zem, NAME (\"t\",\n"
    "                      \"Span2.t\", \"mesh_x\") taking COUNT values from FROM to\n"
    "                      TO (twice: every pair), list them in FILE-sweep.zes and\n"
    "                      run it; its RESULT is the table of the requests\n"
    "  --no-run            with --sweep: only write the members and the series\n"
    "  -h, --help          show this help\n"
    "  --version           show the version\n"
    "\n"
    "Exit status: 0 all files calculated, 1 a file failed, 2 bad usage.\n";

int BadUsage(const std::string& why) {
    std::cerr << "zemcalc: " << why << '\n' << kUsage;
    return 2;
}

std::string LowerExt(const std::string& stored) {
    std::string ext = zem::SplitFileName(stored).Ext;
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

std::string NativeOut(const std::string& out) { return std::filesystem::absolute(out).string(); }

// An output file must not replace the problem it is made from, its results,
// nor any of its approximation files (those it has and those a calculation
// of it may add), each with its results.
void GuardOutput(const std::string& out, const zem::TPbData& data, const std::string& problemFull) {
    namespace fs = std::filesystem;
    std::vector<std::string> own = {problemFull};
    std::size_t count = 0;
    try {
        zem::TProblemTexts texts;
        const std::unique_ptr<zem::TProblem> problem = data.ReadProblemFile(problemFull, texts);
        for (const zem::TApproximation& a : problem->Approximations())
            if (!a.Text.empty()) own.push_back(zem::ToAbsolutePath(data.StartDir(), a.Text));
        count = problem->Approximations().size();
    } catch (const std::exception&) {
        // An unreadable problem fails later with its own message.
    }
    for (std::size_t i = 0; i < count + zem::kMaxAutoStages; ++i)
        own.push_back(zem::TPbData::ApproxFileName(problemFull, i));
    const fs::path target = fs::weakly_canonical(out);
    for (const std::string& file : own)
        for (const std::string& name : {file, zem::ChangeFileExtension(file, "res")})
            if (target == fs::weakly_canonical(zem::NativePath(name)))
                throw zem::ZemError("Файл " + out + " нельзя записать поверх файлов задачи");
}

// --system: the first problem's linear system, nothing calculated or written back.
void WriteSystem(const zem::TPbData& data, const std::string& file, const std::string& out) {
    std::string stored = zem::StoredPath(file);
    if (LowerExt(stored) == "zes") {
        const zem::TSeriesFile series = zem::ReadSeriesFile(zem::ToAbsolutePath(data.StartDir(), stored));
        if (series.Files.empty()) throw zem::ZemError("Серия не содержит задач");
        stored = series.Files.front();
    }
    const std::string full = zem::ToAbsolutePath(data.StartDir(), stored);
    GuardOutput(out, data, full);
    GuardOutput(out + ".rhs", data, full);
    zem::CheckWritable(out);
    zem::CheckWritable(out + ".rhs");
    zem::TProblemTexts texts;
    std::unique_ptr<zem::TProblem> problem = data.ReadProblemFile(full, texts);
    zem::ExportSystem(*problem, out);
    std::cout << file << ": " << problem->UnknownCount() << " неизвестных, система записана в " << out << '\n';
}

// --export: the results of one problem, read back or calculated. The target
// is checked before anything is calculated or written back.
void WriteResults(const zem::TPbData& data, const std::string& file, const std::string& format,
                  const std::string& out, zem::TProgress& progress) {
    const std::string stored = zem::StoredPath(file);
    const std::string full = zem::ToAbsolutePath(data.StartDir(), stored);
    const std::string res = zem::ChangeFileExtension(full, "res");
    GuardOutput(out, data, full);
    zem::TProblemTexts texts;
    std::unique_ptr<zem::TProblem> problem = data.ReadProblemFile(full, texts);
    zem::CheckExportTarget(*problem, out, format == "vtk");
    if (zem::FileCanOpen(res)) {
        zem::LoadSavedResults(*problem, texts.Calculation, zem::NativePath(res), progress);
    } else {
        const std::string stopped = zem::RunFile(data, stored, progress, &problem);
        if (!stopped.empty()) throw zem::ZemError(stopped);
        std::cout << file << ": Расчет закончен\n";
    }
    progress.CheckStop();
    if (format == "csv")
        zem::ExportCsv(*problem, out);
    else
        zem::ExportVtk(*problem, out);
    std::cout << file << ": результаты записаны в " << out << '\n';
}

// --- Answers and the machine-readable report -------------------------------------

// The value of key Key in calculation lines ("SLAEMethod= ...").
std::string CalcValue(const std::vector<std::string>& lines, const std::string& key) {
    for (const std::string& line : lines)
        if (line.rfind(key + "=", 0) == 0) return zem::Trimmed(line.substr(key.size() + 1));
    return {};
}

struct TAnswered {
    std::vector<zem::TQueryAnswer> Answers;
    std::string Type, Method, CalcType, Mesh;
    std::size_t Unknowns = 0;
    std::vector<std::string> Warnings;
    std::vector<std::string> Guard;  // the mesh guard's lines
    std::string Stopped;             // a selection its stage limit stopped short of the error
};

// Runs one problem file and answers Requests (the file's own when empty).
TAnswered RunAndAnswer(const zem::TPbData& data, const std::string& stored, const std::vector<std::string>& requests,
                       zem::TProgress& progress) {
    std::unique_ptr<zem::TProblem> problem;
    const std::string stopped = zem::RunFile(data, stored, progress, &problem);
    const std::string full = zem::ToAbsolutePath(data.StartDir(), stored);
    const std::vector<std::string> file = zem::ReadTextFile(zem::NativePath(full));
    const std::vector<std::string> calc = zem::ReadSection(file, "CALCULATION");
    TAnswered a;
    a.Stopped = stopped;
    a.Type = file.size() > 1 ? file[1] : std::string();
    a.Method = CalcValue(calc, "SLAEMethod");
    a.CalcType = CalcValue(calc, "CalcType");
    std::size_t which = 0;
    zem::TProblem& final = zem::FinalSolution(*problem, calc, which);
    a.Answers = zem::AnswerRequests(final, requests.empty() ? zem::ReadSection(file, "RESULT DATA") : requests);
    a.Mesh = zem::MeshText(zem::QueryResults(final));
    a.Unknowns = final.UnknownCount();
    a.Guard = zem::MeshGuardLines(*problem);
    a.Warnings = a.Guard;
    for (const std::string& line : progress.Lines())
        if (line.find("редупрежд") != std::string::npos &&
            std::find(a.Warnings.begin(), a.Warnings.end(), line) == a.Warnings.end())
            a.Warnings.push_back(line);
    return a;
}

std::string JsonStrings(const std::vector<std::string>& texts) {
    std::string j = "[";
    for (std::size_t i = 0; i < texts.size(); ++i) j += (i ? ", " : "") + zem::JsonText(texts[i]);
    return j + "]";
}

std::string ProblemJson(const std::string& file, const TAnswered& a, double seconds) {
    std::string j = "{\"file\": " + zem::JsonText(file) + ", \"type\": " + zem::JsonText(a.Type) +
                    ", \"method\": " + zem::JsonText(a.Method) + ", \"calc_type\": " + zem::JsonText(a.CalcType) +
                    ", \"mesh\": " + zem::JsonText(a.Mesh) + ", \"unknowns\": " + std::to_string(a.Unknowns) +
                    ", \"seconds\": " + zem::ExactText(seconds) + ", \"warnings\": " + JsonStrings(a.Warnings) +
                    ", \"requests\": [";
    for (std::size_t i = 0; i < a.Answers.size(); ++i) j += (i ? ", " : "") + zem::AnswerJson(a.Answers[i]);
    return j + "], \"error\": null}";
}

std::string FailureJson(const std::string& file, const std::string& message) {
    return "{\"file\": " + zem::JsonText(file) + ", \"requests\": [], \"error\": " + zem::JsonText(message) + "}";
}

// A series' table (CSV lines) as JSON: the header and the rows of cells.
std::string SeriesJson(const std::string& file, const std::vector<std::string>& table, int failed, double seconds) {
    std::string j = "{\"file\": " + zem::JsonText(file) + ", \"failed\": " + std::to_string(failed) +
                    ", \"seconds\": " + zem::ExactText(seconds) + ", \"table\": [";
    const auto rows = zem::ReadCsvLines(table);
    for (std::size_t i = 0; i < rows.size(); ++i) j += (i ? ", " : "") + JsonStrings(rows[i]);
    return j + "]}";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    std::string startDir = std::filesystem::current_path().string();
    std::string systemOut, exportFormat, exportOut;
    std::vector<std::string> requests;
    std::vector<zem::TSweepParam> sweeps;
    bool json = false, noRun = false;
    unsigned workers = 0;
    TConsoleProgress progress;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-q") {
            progress.Verbose = false;
        } else if (a == "-C") {
            if (i + 1 >= argc || !*argv[i + 1]) return BadUsage("-C needs a directory");
            startDir = std::filesystem::absolute(argv[++i]).lexically_normal().string();
        } else if (a == "-h" || a == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (a == "--version") {
            std::cout << "zemcalc (ZEM CAD 2) " ZEM_VERSION "\n";
            return 0;
        } else if (a == "--memory-limit") {
            if (i + 1 >= argc) return BadUsage("--memory-limit needs a size");
            const auto bytes = zem::ParseMemorySize(argv[++i]);
            if (!bytes) return BadUsage(std::string("bad memory size: ") + argv[i]);
            zem::SetMemoryLimit(*bytes);
        } else if (a == "--system") {
            if (i + 1 >= argc || !*argv[i + 1]) return BadUsage("--system needs an output file");
            systemOut = argv[++i];
        } else if (a == "--export") {
            if (i + 2 >= argc) return BadUsage("--export needs a format and an output file");
            exportFormat = argv[++i];
            exportOut = argv[++i];
            if (exportOut.empty()) return BadUsage("--export needs an output file");
            if (exportFormat != "csv" && exportFormat != "vtk")
                return BadUsage("unknown export format: " + exportFormat);
        } else if (a == "--no-run") {
            noRun = true;
        } else if (a == "--json") {
            json = true;
        } else if (a == "-r") {
            if (i + 1 >= argc) return BadUsage("-r needs a request");
            requests.push_back(argv[++i]);
        } else if (a == "-j") {
            if (i + 1 >= argc) return BadUsage("-j needs a number");
            const std::string n = argv[++i];
            if (n.empty() || n.size() > 3 || n.find_first_not_of("0123456789") != std::string::npos || std::stoi(n) == 0)
                return BadUsage("-j needs a number from 1 to 999");
            workers = static_cast<unsigned>(std::stoi(n));
        } else if (a == "--sweep") {
            if (i + 1 >= argc) return BadUsage("--sweep needs NAME=FROM:TO:COUNT");
            try {
                sweeps.push_back(zem::ParseSweep(argv[++i]));
            } catch (const std::exception& e) {
                return BadUsage(e.what());
            }
            if (sweeps.size() > 2) return BadUsage("--sweep varies at most two parameters");
        } else if (!a.empty() && a[0] == '-') {
            return BadUsage("unknown option: " + a);
        } else {
            files.push_back(a);
        }
    }
    if (files.empty()) return BadUsage("no files given");
    if (!systemOut.empty() && !exportOut.empty()) return BadUsage("--system and --export exclude each other");
    if ((!systemOut.empty() || !exportOut.empty()) && files.size() != 1)
        return BadUsage("--system and --export take exactly one file");
    if (noRun && sweeps.empty()) return BadUsage("--no-run goes with --sweep");
    if (!sweeps.empty() && files.size() != 1) return BadUsage("--sweep takes exactly one template file");
    if ((!sweeps.empty() || json || !requests.empty()) && (!systemOut.empty() || !exportOut.empty()))
        return BadUsage("--sweep, --json and -r do not go with --system or --export");
    while (startDir.size() > 1 && startDir.back() == '/') startDir.pop_back();

    zem::RegisterProblemTypes();
    progress.Live = isatty(STDERR_FILENO) != 0;
    gProgress = &progress;
    zem::OnStopSignals(OnInterrupt);
    const zem::TPbData data(zem::StoredPath(startDir));
    int failed = 0;
    if (!sweeps.empty()) {
        try {
            const std::string series = zem::MakeSweep(data, zem::StoredPath(files.front()), sweeps);
            (json ? std::cerr : std::cout) << files.front() << ": серия " << series << '\n';
            files = {series};
            if (noRun) return 0;
        } catch (const std::exception& e) {
            std::cerr << files.front() << ": " << zem::ErrorMessage(e) << '\n';
            return 1;
        }
    }
    for (const std::string& file : files) {
        if (progress.StopRequested()) break;
        if (progress.Verbose) std::cerr << "== " << file << '\n';
        progress.SetCaption("Решение СЛАУ: " + file);
        try {
            if (!systemOut.empty()) {
                WriteSystem(data, file, NativeOut(systemOut));
                continue;
            }
            if (!exportOut.empty()) {
                WriteResults(data, file, exportFormat, NativeOut(exportOut), progress);
                continue;
            }
            const std::string stored = zem::StoredPath(file);
            const auto started = std::chrono::steady_clock::now();
            const auto seconds = [&] {
                return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            };
            if (LowerExt(stored) == "zes") {
                const std::string full = zem::ToAbsolutePath(data.StartDir(), stored);
                zem::TSeriesFile series = zem::ReadSeriesFile(full);
                if (!requests.empty()) series.ResultData = requests;
                zem::CheckWritable(zem::NativePath(full));
                const int bad = zem::RunSeries(data, series, progress, workers);
                // The members' lines come first: they stand even when the
                // series file then cannot be written.
                if (json)
                    std::cout << SeriesJson(file, series.Result, bad, seconds()) << '\n';
                else
                    for (const std::string& line : series.Result) std::cout << "  " << line << '\n';
                std::cout << std::flush;
                progress.CheckStop();
                zem::WriteSeriesFile(full, series);
                if (bad) {
                    ++failed;
                    progress.ClearLine();
                    std::cerr << file << ": не рассчитано задач серии: " << bad << '\n';
                    continue;
                }
            } else {
                const TAnswered answered = RunAndAnswer(data, stored, requests, progress);
                progress.ClearLine();
                for (const std::string& line : answered.Guard) std::cerr << file << ": " << line << '\n';
                if (json) std::cout << ProblemJson(file, answered, seconds()) << '\n';
                if (!answered.Stopped.empty()) {
                    // Written back, but short of the accepted error.
                    ++failed;
                    std::cerr << file << ": " << answered.Stopped << '\n';
                    continue;
                }
                if (json) continue;
                for (const zem::TQueryAnswer& a : answered.Answers) std::cout << "  " << zem::AnswerText(a) << '\n';
            }
            if (!json) std::cout << file << ": Расчет закончен\n";
        } catch (const std::exception& e) {
            ++failed;
            if (json) std::cout << FailureJson(file, zem::ErrorMessage(e)) << '\n';
            progress.ClearLine();
            std::cerr << file << ": " << zem::ErrorMessage(e) << '\n';
        }
    }
    return failed || progress.StopRequested() ? 1 : 0;
}
