// The readers of the program on mutated input: problem files, element texts
// and series files. A fixed-seed mutation driver takes the files of a corpus,
// changes them at random (bytes, lines, tokens, splices of two entries) and
// feeds them to the reader for a bounded time. Every input must give a result
// or the program's own error; any other exception fails the run, and in the
// sanitizer build every memory or undefined-behaviour fault aborts it. An
// accepted element tree must print and read back to the same text. Inputs the
// readers accept join the corpus in memory, so later mutations reach deeper.
//
//   fuzz_files [--seconds S] [--seed N] CORPUS_DIR
//
// CORPUS_DIR holds the subdirectories problem, element and series: a default
// problem file and element text of every type, and a series file.
#include "elements/Elements.h"
#include "elements/MyStr.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"
#include "problemtypes/Register.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
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
    long Executions = 0;
    long Accepted = 0;
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
    unsigned seed = 20261207;
    fs::path corpus;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc) seconds = std::stod(argv[++i]);
        else if (a == "--seed" && i + 1 < argc) seed = static_cast<unsigned>(std::stoul(argv[++i]));
        else corpus = a;
    }
    if (corpus.empty()) {
        std::cerr << "usage: fuzz_files [--seconds S] [--seed N] CORPUS_DIR\n";
        return 2;
    }
    RegisterProblemTypes();

    // A scratch directory: the current input, and the approximation files
    // that inputs may name.
    const fs::path scratch = fs::temp_directory_path() / ("zem-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    const TPbData data(StoredPath(scratch.string()));
    const std::string input = (scratch / "Shell.zem").string();

    std::vector<int> types;
    for (int i = 0; i < kProblemTypeCount; ++i)
        if (ProblemTypeAvailable(i)) types.push_back(i);

    std::vector<TTarget> targets(3);
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
    for (TTarget& t : targets) {
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
    // Problem files may name approximations beside them.
    WriteAll(scratch / "Shell_01.zem", targets[0].Corpus.front());

    TMutator mutator(seed);
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::duration<double>(seconds);
    int faults = 0;
    for (long round = 0; faults < 10; ++round) {
        if (round % 16 == 0 && std::chrono::steady_clock::now() >= deadline) break;
        TTarget& t = targets[static_cast<std::size_t>(round % 3)];
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
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long total = 0;
    for (const TTarget& t : targets) {
        std::cout << t.Name << ": " << t.Executions << " executions, " << t.Accepted << " accepted\n";
        total += t.Executions;
    }
    std::cout << "total: " << total << " executions in " << took << " s, seed " << seed << ", faults " << faults
              << '\n';
    fs::remove_all(scratch);
    return faults ? 1 : 0;
}
