// The readers of the program on mutated input: problem files, element texts,
// series files and results files. A fixed-seed mutation driver takes the
// files of a corpus, changes them at random (bytes, lines, tokens, splices of
// two entries) and feeds them to the reader for a bounded time. Every input
// must give a result or the program's own error; any other exception fails
// the run, and in the sanitizer build every memory or undefined-behaviour
// fault aborts it. An accepted element tree must print and read back to the
// same text; accepted results must give finite fields. Inputs the readers
// accept join the corpus in memory, so later mutations reach deeper.
//
// The long mode (--long, for hours; see tests/fuzz/long.sh) adds whole runs
// from file to file (calculation lines, estimates, selections, series
// members, every problem type) and, with --zemcalc, the batch runner's
// command lines (options, exports, systems, series, missing and odd files).
// A run that passes its time limit is stopped and counted as a time-out.
//
//   fuzz_files [--seconds S] [--inputs N] [--seed N] [--long] [--zemcalc PATH] CORPUS_DIR
//
// The run ends at S seconds or after N inputs, whichever comes first; the long
// mode prints its counts every ten minutes, so an interrupted run still has
// figures.
//
// CORPUS_DIR holds the subdirectories problem, element and series: problem
// files and element texts of the types, and a series file. The default
// problem of every type is added to them.
#include "calc/Export.h"
#include "calc/RunFile.h"
#include "elements/Elements.h"
#include "elements/MyStr.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/progress.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"
#include "problemtypes/Register.h"
#include "solvers/SLCLass.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace zem;

namespace {

// Tokens the readers give meaning to, and values at the edges of their ranges.
const std::vector<std::string> kTokens = {
    "{",        "}",           "[",           "]",          "=",          ",",       " ",      "\r\n",
    "\n",       "#",           "#OBJECT\r\n", "#APPROX\r\n", "#FILES\r\n", "#RESULT\r\n", "mesh_x=", "mesh_y=",
    "PARAMS=",  "BOUNDS=",     "LOADS=",      "MESH=",      "ELEMS=",     "Span1=",  "0",      "-1",
    "65535",    "1000001",     "2147483648",  "1e308",      "-1e-308",    "nan",     "inf",    "0.5",
    "[2, 0.5]", "[[1, 0.5], 0.5]", "..\\",    "\\",         "Shell_01.zem", "\xC0\xDF", "\x98", std::string(1, '\0'),
    "[ZEM CAD 2]\r\n", "[ZEM SERIES]\r\n", "CylSym\r\n", "CompCylTech\r\n",
};

std::string ReadAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& p, const std::string& data) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(data.data(), static_cast<std::streamsize>(data.size()));
}

// What makes a run long: its type, meshes and calculation lines.
std::string RunSummary(const std::string& file) {
    std::string summary;
    std::size_t at = 0;
    for (int line = 0; at < file.size() && summary.size() < 400; ++line) {
        const std::size_t end = std::min(file.find('\n', at), file.size());
        std::string text = file.substr(at, end - at);
        at = end + 1;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (line == 1 || text.find("mesh_") != std::string::npos || text.find("MESH") != std::string::npos ||
            text.rfind("CalcType", 0) == 0 || text.rfind("Prec", 0) == 0 || text.rfind("SLAEMethod", 0) == 0)
            summary += (summary.empty() ? "" : " | ") + text.substr(0, 120);
    }
    return summary;
}

class TMutator {
public:
    explicit TMutator(unsigned seed) : gen_(seed) {}
    std::size_t Below(std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(gen_); }

    std::string Mutate(std::string s, const std::vector<std::string>& corpus) {
        const std::size_t rounds = 1 + Below(6);
        for (std::size_t r = 0; r < rounds; ++r) {
            switch (Below(9)) {
                case 0:  // flip a byte
                    if (!s.empty()) s[Below(s.size())] = static_cast<char>(Below(256));
                    break;
                case 1:  // delete a run
                    if (!s.empty()) {
                        const std::size_t at = Below(s.size());
                        s.erase(at, 1 + Below(std::min<std::size_t>(32, s.size() - at)));
                    }
                    break;
                case 2:
                case 3:  // insert a token
                    s.insert(Below(s.size() + 1), kTokens[Below(kTokens.size())]);
                    break;
                case 4: {  // duplicate a run
                    if (s.empty()) break;
                    const std::size_t at = Below(s.size());
                    const std::string run = s.substr(at, 1 + Below(64));
                    s.insert(Below(s.size() + 1), run);
                    break;
                }
                case 5: {  // splice with another entry
                    const std::string& other = corpus[Below(corpus.size())];
                    if (other.empty()) break;
                    s = s.substr(0, Below(s.size() + 1)) + other.substr(Below(other.size()));
                    break;
                }
                case 6: {  // swap two lines
                    std::vector<std::string> lines;
                    std::size_t start = 0, nl;
                    while ((nl = s.find('\n', start)) != std::string::npos) {
                        lines.push_back(s.substr(start, nl + 1 - start));
                        start = nl + 1;
                    }
                    lines.push_back(s.substr(start));
                    std::swap(lines[Below(lines.size())], lines[Below(lines.size())]);
                    s.clear();
                    for (const auto& l : lines) s += l;
                    break;
                }
                case 7: {  // replace a number by an edge value
                    const std::size_t at = s.find_first_of("0123456789", Below(s.size() + 1));
                    if (at == std::string::npos) break;
                    const std::size_t end = s.find_first_not_of("0123456789.eE-+", at);
                    s.replace(at, (end == std::string::npos ? s.size() : end) - at, kTokens[22 + Below(12)]);
                    break;
                }
                default:  // a deep nesting
                    s.insert(Below(s.size() + 1), std::string(1 + Below(200), "{["[Below(2)]));
                    break;
            }
        }
        if (s.size() > 1 << 16) s.resize(1 << 16);
        return s;
    }

private:
    std::mt19937 gen_;
};

struct TTarget {
    std::string Name;
    std::vector<std::string> Corpus;
    std::function<bool(const std::string&)> Run;  // true when the input was accepted
    std::size_t Seeds = 0;  // the entries read from disk, run unchanged first
    int Every = 1;          // runs on one of this many of its turns (the slow ones)
    long Turns = 0;
    long Executions = 0;
    long Accepted = 0;
    long TimedOut = 0;
};

// A progress that stops the run when it passes its time limit.
class TLimitedProgress : public TProgressLog {
public:
    explicit TLimitedProgress(double seconds)
        : deadline_(std::chrono::steady_clock::now() +
                    std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds))) {}
    bool TimedOut() const { return timedOut_; }

protected:
    void Step(std::size_t position) override {
        if (std::chrono::steady_clock::now() > deadline_) {
            timedOut_ = true;
            RequestStop();
        }
        TProgressLog::Step(position);
    }

private:
    std::chrono::steady_clock::time_point deadline_;
    bool timedOut_ = false;
};

// The calculation lines a run may take, and a choice among them.
const std::vector<std::string> kCalculations = {
    "CalcType= simple\r\n",
    "CalcType= astim\r\nAstimList= w\r\n",
    "AutoMode\r\nCalcType= choose\r\nPrec= 5\r\nPrecChar= w\r\nPrecList= mesh_x\r\n",
    "CalcType= choose\r\nPrec= 0\r\nPrecChar= w\r\n",
    "CalcType= choose\r\nPrec= 1e-300\r\nPrecChar= M1\r\nPrecList= mesh_x, mesh_y\r\n",
    "SaveResult\r\nIsSLAEError\r\nRealType= REAL\r\n",
    "RealType= EXTENDED\r\nErrorNorma= uniform\r\nListType= by domain\r\n",
};

// The words a batch runner's command line is made of.
const std::vector<std::string> kArguments = {
    "-q", "-C", ".", "sub", "--system", "--export", "csv", "vtk", "pdf", "", "-h", "--version", "--bogus",
    "Shell.zem", "Shell.zem", "Shell.zem", "s.zes", "s.zes", "Shell.res", "missing.zem", "sub", "out.csv",
    "out.vts", "out.vtp", "out.mtx", "Shell_01.zem", "/dev/null", "ro.csv", "link.csv", "-",
};

// True when F gives a result, false on the program's error; anything else is
// a fault and throws on.
bool Accepts(const std::function<void()>& f) {
    try {
        f();
        return true;
    } catch (const ZemError&) {
        return false;
    }
}

// An accepted tree must print and read back to the same text.
void CheckRoundTrip(TElement& root) {
    const std::string text = root.Text();
    root.SetText(LinesToText(TextToLines(text)));
    if (root.Text() != text) throw std::logic_error("element text does not read back: " + text.substr(0, 200));
}

// The input as printable text (other bytes as <code>), shortened.
std::string Shown(const std::string& s) {
    std::string out;
    for (unsigned char c : s.substr(0, 400))
        out += c >= 32 && c < 127 ? std::string(1, static_cast<char>(c)) : "<" + std::to_string(c) + ">";
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 10;
    long inputs = 0;
    unsigned seed = 20261207;
    bool longMode = false;
    std::string zemcalc;
    fs::path corpus;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc) seconds = std::stod(argv[++i]);
        else if (a == "--inputs" && i + 1 < argc) inputs = std::stol(argv[++i]);
        else if (a == "--seed" && i + 1 < argc) seed = static_cast<unsigned>(std::stoul(argv[++i]));
        else if (a == "--long") longMode = true;
        else if (a == "--zemcalc" && i + 1 < argc) zemcalc = fs::absolute(argv[++i]).string();
        else corpus = a;
    }
    if (corpus.empty()) {
        std::cerr << "usage: fuzz_files [--seconds S] [--inputs N] [--seed N] [--long] [--zemcalc PATH] CORPUS_DIR\n";
        return 2;
    }
    RegisterProblemTypes();

    // A scratch directory: the current input, and the approximation files
    // that inputs may name. In memory when the system has it: the runs of
    // the long mode flush every file they write.
    const fs::path tmp = longMode && fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path scratch = tmp / ("zem-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    const TPbData data(StoredPath(scratch.string()));
    const std::string input = (scratch / "Shell.zem").string();

    std::vector<int> types;
    for (int i = 0; i < kProblemTypeCount; ++i)
        if (ProblemTypeAvailable(i)) types.push_back(i);

    std::vector<TTarget> targets(longMode ? 6 : 4);
    targets[0].Name = "problem";
    targets[0].Run = [&](const std::string& s) {
        WriteAll(input, s);
        return Accepts([&] {
            TProblemTexts t;
            auto p = data.ReadProblemFile(input, t);
            CheckRoundTrip(p->Root());
        });
    };
    targets[1].Name = "element";
    targets[1].Run = [&](const std::string& s) {  // accepted when a type of problem takes it
        for (int type : types)
            if (Accepts([&] {
                    TProblem p(type, "F");
                    p.Root().SetText(s);
                    CheckRoundTrip(p.Root());
                }))
                return true;
        return false;
    };
    targets[2].Name = "series";
    long seriesRuns = 0;
    targets[2].Run = [&](const std::string& s) {
        WriteAll(scratch / "s.zes", s);
        return Accepts([&] {
            const TSeriesFile f = ReadSeriesFile((scratch / "s.zes").string());
            if (seriesRuns++ % 64 != 0) return;  // the write-back waits for the disk: now and then
            WriteSeriesFile((scratch / "back.zes").string(), f);
            const TSeriesFile back = ReadSeriesFile((scratch / "back.zes").string());
            if (back.Files != f.Files || back.ResultData != f.ResultData || back.Result != f.Result)
                throw std::logic_error("series file does not read back");
        });
    };
    // Results files: the solution of every type's default problem, loaded
    // into that problem as the batch runner's export loads it.
    struct TSolved {
        std::unique_ptr<TProblem> Problem;
        std::string Res;
    };
    std::vector<TSolved> solved;
    {
        TProgressLog quiet;
        for (int type : types) {
            TSolved s{std::make_unique<TProblem>(type, "F"), {}};
            try {
                s.Problem->Calculate(2, false, quiet);
                s.Problem->SaveResults((scratch / "seed.res").string());
                s.Res = ReadAll(scratch / "seed.res");
                solved.push_back(std::move(s));
            } catch (const ZemError&) {
                // A default problem that does not solve has no results to mutate.
            }
        }
    }
    if (solved.empty()) {
        std::cerr << "no default problem solves\n";
        return 2;
    }
    targets[3].Name = "results";
    for (const TSolved& s : solved) targets[3].Corpus.push_back(s.Res);
    targets[3].Run = [&](const std::string& s) {
        // The problem is chosen by the length the file has (or the first).
        TProblem* problem = solved.front().Problem.get();
        for (TSolved& t : solved)
            if (t.Res.size() == s.size()) problem = t.Problem.get();
        WriteAll(scratch / "in.res", s);
        TProgressLog quiet;
        return Accepts([&] {
            LoadSavedResults(*problem, {"SLAEMethod= " + SLAEMethodNames()[2]}, (scratch / "in.res").string(), quiet);
            for (const TDomainResults& d : CollectResults(*problem))
                for (const TNodeField& f : d.Fields)
                    for (Extended v : f.Values)
                        if (!std::isfinite(v)) throw std::logic_error("results loaded with a non-finite " + f.Name);
        });
    };
    long runs = 0;
    if (longMode) {
        // Whole runs: a problem file under calculation lines of its own,
        // calculated and written back, now and then as a series member.
        targets[4].Name = "run";
        targets[4].Every = 4;
        targets[4].Run = [&](const std::string& s) {
            std::string file = s;
            const std::size_t calc = file.find("#CALCULATION");
            if (calc != std::string::npos && runs % 2 == 0)
                file.insert(calc + 14 > file.size() ? file.size() : calc + 14,
                            kCalculations[static_cast<std::size_t>(runs / 2) % kCalculations.size()]);
            WriteAll(input, file);
            for (const char* stale : {"Shell.res", "Shell_02.zem", "Shell_02.res"}) fs::remove(scratch / stale);
            TLimitedProgress progress(2.0);
            bool ok = false;
            try {
                ok = Accepts([&] {
                    if (runs++ % 8 == 0) {
                        TSeriesFile series;
                        series.Files = {"Shell.zem", "missing.zem"};
                        RunSeries(data, series, progress);
                        WriteSeriesFile((scratch / "s.zes").string(), series);
                    } else {
                        RunFile(data, "Shell.zem", progress);
                    }
                });
            } catch (...) {
                if (!progress.TimedOut()) throw;
            }
            if (progress.TimedOut()) {
                ++targets[4].TimedOut;
                std::cerr << "time-out in run: " << RunSummary(file) << '\n';
            }
            return ok && !progress.TimedOut();
        };
        // The batch runner's command lines on the files a run left.
        targets[5].Name = "command";
        targets[5].Every = zemcalc.empty() ? 0 : 16;  // 0: never
        targets[5].Run = [&](const std::string& s) {
            std::vector<std::string> args = {zemcalc};
            for (unsigned char c : s.substr(0, 6)) args.push_back(kArguments[c % kArguments.size()]);
            fs::create_directories(scratch / "sub");
            const pid_t pid = ::fork();
            if (pid == 0) {
                if (::chdir(scratch.c_str()) != 0 || !std::freopen("/dev/null", "w", stdout) ||
                    !std::freopen("/dev/null", "w", stderr))
                    ::_exit(99);
                ::alarm(20);
                std::vector<char*> argvOut;
                for (std::string& a : args) argvOut.push_back(a.data());
                argvOut.push_back(nullptr);
                ::execv(argvOut[0], argvOut.data());
                ::_exit(98);
            }
            int status = 0;
            ::waitpid(pid, &status, 0);
            std::string line;
            for (std::size_t i = 1; i < args.size(); ++i) line += " '" + args[i] + "'";
            if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) {
                ++targets[5].TimedOut;
                return false;
            }
            if (!WIFEXITED(status) || WEXITSTATUS(status) > 2)
                throw std::logic_error("zemcalc" + line + ": status " + std::to_string(status));
            return WEXITSTATUS(status) == 0;
        };
        // Every byte of the six picks one argument.
        for (int i = 0; i < 64; ++i) {
            std::string a;
            for (int k = 0; k < 6; ++k) a += static_cast<char>((i * 7 + k * 13) % 256);
            targets[5].Corpus.push_back(a);
        }
    }
    // The default problem of every type joins the corpus of problem files.
    for (int type : types) {
        TProblem p(type, "Shell");
        TProblemTexts texts;
        texts.Object = PrintObject(p);
        data.WriteProblemFile((scratch / "seed.zem").string(), p, false, texts);
        const std::string text = ReadAll(scratch / "seed.zem");
        targets[0].Corpus.push_back(text);
        if (longMode) targets[4].Corpus.push_back(text);
    }
    for (TTarget& t : targets) {
        if (t.Name == "results" || t.Name == "command") {
            t.Seeds = t.Corpus.size();
            continue;
        }
        if (t.Name == "run") {
            for (const auto& e : fs::directory_iterator(corpus / "problem")) t.Corpus.push_back(ReadAll(e.path()));
            t.Seeds = t.Corpus.size();
            continue;
        }
        for (const auto& e : fs::directory_iterator(corpus / t.Name)) {
            t.Corpus.push_back(ReadAll(e.path()));
            // An element text is one line: its line end is no part of it.
            if (t.Name == "element") t.Corpus.back().erase(t.Corpus.back().find_last_not_of("\r\n") + 1);
        }
        t.Seeds = t.Corpus.size();
        if (t.Corpus.empty()) {
            std::cerr << "empty corpus: " << (corpus / t.Name) << '\n';
            return 2;
        }
    }
    // Targets the command lines name: a read-only file and a link.
    WriteAll(scratch / "ro.csv", "keep\n");
    fs::permissions(scratch / "ro.csv", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_symlink("out.csv", scratch / "link.csv");
    // Problem files may name approximations beside them.
    WriteAll(scratch / "Shell_01.zem", targets[0].Corpus.front());

    TMutator mutator(seed);
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::duration<double>(seconds);
    int faults = 0;
    const auto report = [&](std::ostream& out) {
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        long total = 0;
        for (const TTarget& t : targets) {
            if (t.Executions == 0) continue;
            out << t.Name << ": " << t.Executions << " executions, " << t.Accepted << " accepted";
            if (t.TimedOut) out << ", " << t.TimedOut << " stopped at the time limit";
            out << '\n';
            total += t.Executions;
        }
        out << "total: " << total << " executions in " << took << " s, seed " << seed << ", faults " << faults
            << std::endl;
    };
    const auto executed = [&] {
        long total = 0;
        for (const TTarget& t : targets) total += t.Executions;
        return total;
    };
    auto nextReport = start + std::chrono::minutes(10);
    for (long round = 0; faults < 10; ++round) {
        if (round % 16 == 0) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline || (inputs > 0 && executed() >= inputs)) break;
            if (longMode && now >= nextReport) {
                report(std::cerr);
                nextReport += std::chrono::minutes(10);
            }
        }
        TTarget& t = targets[static_cast<std::size_t>(round) % targets.size()];
        if (t.Every == 0 || t.Turns++ % t.Every != 0) continue;
        // The unchanged corpus first, then mutations.
        const std::string in = t.Executions < static_cast<long>(t.Seeds)
                                   ? t.Corpus[static_cast<std::size_t>(t.Executions)]
                                   : mutator.Mutate(t.Corpus[mutator.Below(t.Corpus.size())], t.Corpus);
        ++t.Executions;
        try {
            if (t.Run(in)) {
                ++t.Accepted;
                if (t.Corpus.size() < 2000) t.Corpus.push_back(in);
            }
        } catch (const std::exception& e) {
            ++faults;
            std::cerr << "FAULT in " << t.Name << ": " << e.what() << "\n  input: " << Shown(in) << '\n';
        }
    }
    report(std::cout);
    fs::remove_all(scratch);
    return faults ? 1 : 0;
}
