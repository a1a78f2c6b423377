// zemcalc: the unattended run of the calculation queue, for scripts.
//
//   zemcalc [-q] [-C DIR] FILE.zem|FILE.zes ...
//
// Every problem file is read, calculated under its own CALCULATION lines and
// written back with its approximations and results, exactly as the queue of
// the desktop program does for files that are not open. A series file runs
// each of its members so and gets their results in its RESULT section. Relative names are
// resolved against the start directory (the current one, or DIR). A file that
// fails is reported by name with its message and the run goes on; the exit
// status is 0 when every file was calculated, 1 when some failed, 2 on bad
// usage. Ctrl+C stops the running calculation.
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/progress.h"
#include "platform/signals.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "problemtypes/Register.h"

#include <cctype>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

// The progress of the console: the log goes to standard error as it grows.
class TConsoleProgress : public zem::TProgressLog {
public:
    bool Verbose = true;
    void AddLine(const std::string& text) override {
        TProgressLog::AddLine(text);
        if (Verbose) std::cerr << text << '\n';
    }
};

TConsoleProgress* gProgress = nullptr;

extern "C" void OnInterrupt(int) {
    if (gProgress) gProgress->SetRunning(false);  // an atomic store
}

void Usage() {
    std::cerr << "usage: zemcalc [-q] [-C DIR] FILE.zem|FILE.zes ...\n"
                 "  -q      do not print the calculation log\n"
                 "  -C DIR  resolve relative file names against DIR\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    std::string startDir = std::filesystem::current_path().string();
    TConsoleProgress progress;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-q") {
            progress.Verbose = false;
        } else if (a == "-C" && i + 1 < argc) {
            startDir = std::filesystem::absolute(argv[++i]).lexically_normal().string();
        } else if (a == "-h" || a == "--help") {
            Usage();
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            Usage();
            return 2;
        } else {
            files.push_back(a);
        }
    }
    if (files.empty()) {
        Usage();
        return 2;
    }
    while (startDir.size() > 1 && startDir.back() == '/') startDir.pop_back();

    zem::RegisterProblemTypes();
    gProgress = &progress;
    zem::OnStopSignals(OnInterrupt);
    const zem::TPbData data(zem::StoredPath(startDir));
    int failed = 0;
    for (const std::string& file : files) {
        std::cerr << "== " << file << '\n';
        progress.SetCaption("Решение СЛАУ: " + file);
        try {
            const std::string stored = zem::StoredPath(file);
            std::string ext = zem::SplitFileName(stored).Ext;
            for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (ext == "zes") {
                const std::string full = zem::ToAbsolutePath(data.StartDir(), stored);
                zem::TSeriesFile series = zem::ReadSeriesFile(full);
                const int bad = zem::RunSeries(data, series, progress);
                zem::WriteSeriesFile(full, series);
                for (const std::string& line : series.Result) std::cout << "  " << line << '\n';
                if (bad) {
                    ++failed;
                    std::cout << file << ": не рассчитано задач серии: " << bad << '\n';
                    continue;
                }
            } else {
                data.RunFile(stored, progress);
            }
            std::cout << file << ": Расчет закончен\n";
        } catch (const std::exception& e) {
            ++failed;
            std::cout << file << ": " << zem::ErrorMessage(e) << '\n';
        }
    }
    return failed ? 1 : 0;
}
