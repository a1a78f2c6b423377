// zemcalc: the unattended run of the calculation queue, for scripts.
//
// Every problem file is read, calculated under its own CALCULATION lines and
// written back with its approximations and results, exactly as the queue of
// the desktop program does for files that are not open. A series file runs
// each of its members so and gets their results in its RESULT section.
// Relative names are resolved against the start directory (the current one,
// or DIR). Standard output carries the reports, standard error the failures
// ("FILE: message"), the calculation log and, on a terminal, a progress line.
// A file that fails does not stop the run. Exit status: 0 when every file
// was calculated, 1 when some failed, 2 on bad usage. Ctrl+C, SIGTERM and
// SIGHUP stop the running calculation.
#include "calc/Export.h"
#include "calc/MeshGuard.h"
#include "calc/RunFile.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/progress.h"
#include "platform/signals.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "problemtypes/Register.h"
#include "solvers/SLEstimate.h"

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

extern "C" void OnInterrupt(int) {
    if (gProgress) gProgress->SetRunning(false);  // an atomic store
}

const char* const kUsage =
    "usage: zemcalc [-q] [-C DIR] [--memory-limit SIZE] FILE.zem|FILE.zes ...\n"
    "       zemcalc [-C DIR] --system OUT FILE.zem|FILE.zes\n"
    "       zemcalc [-q] [-C DIR] --export csv|vtk OUT FILE.zem\n"
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

// An output file must not replace the problem it is made from, nor its results.
void GuardOutput(const std::string& out, const std::string& problemFull) {
    namespace fs = std::filesystem;
    const fs::path target = fs::weakly_canonical(out);
    for (const std::string& own : {problemFull, zem::ChangeFileExtension(problemFull, "res")})
        if (target == fs::weakly_canonical(zem::NativePath(own)))
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
    GuardOutput(out, full);
    GuardOutput(out + ".rhs", full);
    zem::TProblemTexts texts;
    std::unique_ptr<zem::TProblem> problem = data.ReadProblemFile(full, texts);
    zem::ExportSystem(*problem, out);
    std::cout << file << ": " << problem->UnknownCount() << " неизвестных, система записана в " << out << '\n';
}

// --export: the results of one problem, read back or calculated.
void WriteResults(const zem::TPbData& data, const std::string& file, const std::string& format,
                  const std::string& out, zem::TProgress& progress) {
    const std::string stored = zem::StoredPath(file);
    const std::string full = zem::ToAbsolutePath(data.StartDir(), stored);
    const std::string res = zem::ChangeFileExtension(full, "res");
    GuardOutput(out, full);
    std::unique_ptr<zem::TProblem> problem;
    if (zem::FileCanOpen(res)) {
        zem::TProblemTexts texts;
        problem = data.ReadProblemFile(full, texts);
        zem::LoadSavedResults(*problem, texts.Calculation, zem::NativePath(res), progress);
    } else {
        zem::RunFile(data, stored, progress, &problem);
        std::cout << file << ": Расчет закончен\n";
    }
    if (format == "csv")
        zem::ExportCsv(*problem, out);
    else
        zem::ExportVtk(*problem, out);
    std::cout << file << ": результаты записаны в " << out << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    std::string startDir = std::filesystem::current_path().string();
    std::string systemOut, exportFormat, exportOut;
    TConsoleProgress progress;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-q") {
            progress.Verbose = false;
        } else if (a == "-C") {
            if (i + 1 >= argc) return BadUsage("-C needs a directory");
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
            if (i + 1 >= argc) return BadUsage("--system needs an output file");
            systemOut = argv[++i];
        } else if (a == "--export") {
            if (i + 2 >= argc) return BadUsage("--export needs a format and an output file");
            exportFormat = argv[++i];
            exportOut = argv[++i];
            if (exportFormat != "csv" && exportFormat != "vtk")
                return BadUsage("unknown export format: " + exportFormat);
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
    while (startDir.size() > 1 && startDir.back() == '/') startDir.pop_back();

    zem::RegisterProblemTypes();
    progress.Live = isatty(STDERR_FILENO) != 0;
    gProgress = &progress;
    zem::OnStopSignals(OnInterrupt);
    const zem::TPbData data(zem::StoredPath(startDir));
    int failed = 0;
    for (const std::string& file : files) {
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
            if (LowerExt(stored) == "zes") {
                const std::string full = zem::ToAbsolutePath(data.StartDir(), stored);
                zem::TSeriesFile series = zem::ReadSeriesFile(full);
                const int bad = zem::RunSeries(data, series, progress);
                zem::WriteSeriesFile(full, series);
                for (const std::string& line : series.Result) std::cout << "  " << line << '\n';
                if (bad) {
                    ++failed;
                    progress.ClearLine();
                    std::cerr << file << ": не рассчитано задач серии: " << bad << '\n';
                    continue;
                }
            } else {
                std::unique_ptr<zem::TProblem> problem;
                zem::RunFile(data, stored, progress, &problem);
                progress.ClearLine();
                for (const std::string& line : zem::MeshGuardLines(*problem)) std::cerr << file << ": " << line << '\n';
            }
            std::cout << file << ": Расчет закончен\n";
        } catch (const std::exception& e) {
            ++failed;
            progress.ClearLine();
            std::cerr << file << ": " << zem::ErrorMessage(e) << '\n';
        }
    }
    return failed ? 1 : 0;
}
