// The assembled system and the results of every problem type's default
// problem and of every shipped example, compared byte for byte with the
// references in tests/data/reference_systems.txt. The references are
// fingerprints (64-bit FNV-1a) of exactly what the program writes: the
// system as `zemcalc --system` writes it (matrix and free terms), the
// results file, and the CSV and VTK exports.
//
// A change that is meant to alter a type's equations or its results
// regenerates the references and says why in its commit:
//     ZEM_UPDATE_REFERENCES=1 ctest -R ReferenceSystems
// rewrites the file in the source tree (tests/data/) from the code as built.
#include "calc/Export.h"
#include "calc/RunFile.h"
#include "problem/PbData.h"
#include "problem/FileNames.h"
#include "problemtypes/cylinders.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

using namespace zem;
using namespace zem::cyltest;
using zem::test::Slurp;
using zem::test::TempDir;

namespace {

namespace fs = std::filesystem;

std::string Fingerprint(const std::string& bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    std::ostringstream s;
    s << std::hex << h;
    return s.str();
}

// The fingerprints of one case, in the reference file's column order.
struct TCase {
    std::string System, Results, Csv, Vtk;
    std::string Line(const std::string& name) const {
        return name + " " + System + " " + Results + " " + Csv + " " + Vtk;
    }
};

fs::path DataDir() {
    const char* dir = std::getenv("ZEM_TEST_DATA");
    return dir ? fs::path(dir) : fs::path("tests/data");
}

fs::path ReferenceFile() { return DataDir() / "reference_systems.txt"; }

std::map<std::string, std::string> ReadReferences() {
    std::map<std::string, std::string> refs;
    std::ifstream in(ReferenceFile());
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        refs[line.substr(0, line.find(' '))] = line;
    }
    return refs;
}

std::string SystemPrint(TProblem& p, const TempDir& dir) {
    ExportSystem(p, dir / "system.mtx");
    return Fingerprint(Slurp(dir / "system.mtx") + '\n' + Slurp(dir / "system.mtx.rhs"));
}

void FillExports(TProblem& p, const TempDir& dir, TCase& c) {
    ExportCsv(p, dir / "r.csv");
    c.Csv = Fingerprint(Slurp(dir / "r.csv"));
    ExportVtk(p, dir / "r.vtp");
    c.Vtk = Fingerprint(Slurp(dir / "r.vtp"));
}

// Every type's problem with its defaults, solved by the band Gauss method.
std::vector<std::pair<std::string, TCase>> TypeCases() {
    std::vector<std::pair<std::string, TCase>> cases;
    RegisterProblemTypes();
    for (int i = 0; i < kProblemTypeCount; ++i) {
        const TempDir dir;
        const std::string& type = ProblemTypeName(i);
        auto p = MakeProblem(type);
        TCase c;
        c.System = SystemPrint(*p, dir);
        Solve(*p);
        p->SaveResults(dir / "r.res");
        c.Results = Fingerprint(Slurp(dir / "r.res"));
        FillExports(*p, dir, c);
        cases.emplace_back(type, c);
    }
    return cases;
}

// Every example run as the batch runner runs it, under its own settings.
std::vector<std::pair<std::string, TCase>> ExampleCases() {
    std::vector<std::pair<std::string, TCase>> cases;
    const fs::path examples = DataDir() / ".." / ".." / "examples";
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(examples))
        if (entry.path().extension() == ".zem") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const TempDir dir;
        fs::copy_file(file, dir.path / file.filename());
        const TPbData data(dir.path.string());
        const std::string name = file.filename().string();
        TCase c;
        {
            TProblemTexts texts;
            auto p = data.ReadProblemFile((dir.path / name).string(), texts);
            c.System = SystemPrint(*p, dir);
        }
        TProgressLog log;
        std::unique_ptr<TProblem> p;
        RunFile(data, name, log, &p);
        c.Results = Fingerprint(Slurp(dir / (file.stem().string() + ".res")));
        FillExports(*p, dir, c);
        cases.emplace_back("examples/" + name, c);
    }
    return cases;
}

TEST(ReferenceSystems, EveryTypeAndExampleAssemblesAndSolvesAsBefore) {
    ASSERT_TRUE(std::getenv("ZEM_TEST_DATA")) << "ZEM_TEST_DATA names tests/data (ctest sets it)";
    auto cases = TypeCases();
    auto examples = ExampleCases();
    cases.insert(cases.end(), examples.begin(), examples.end());
    ASSERT_EQ(cases.size(), static_cast<std::size_t>(kProblemTypeCount) + 16) << "every example found";

    if (std::getenv("ZEM_UPDATE_REFERENCES")) {
        std::ofstream out(ReferenceFile(), std::ios::binary | std::ios::trunc);
        out << "# case system results csv vtk (FNV-1a 64 of the exact files); see\n"
               "# tests/calc/test_reference_systems.cpp for how to regenerate\n";
        for (const auto& [name, c] : cases) out << c.Line(name) << '\n';
        GTEST_SKIP() << "references written to " << ReferenceFile();
    }
    const auto refs = ReadReferences();
    for (const auto& [name, c] : cases) {
        const auto ref = refs.find(name);
        ASSERT_NE(ref, refs.end()) << name << " has no reference";
        EXPECT_EQ(c.Line(name), ref->second) << "columns: system results csv vtk";
    }
}

// Rows handed out as copies of another node's row, and free terms written
// without their rows, are what the writers give afresh, bit for bit: every
// type on a uniform and on a graded mesh (where only parts repeat), and every
// example. The list compares each copy with the row written again and raises
// on any difference.
TEST(ReferenceSystems, CopiedRowsAndLoneFreeTermsEqualRowsWrittenAfresh) {
    ASSERT_TRUE(std::getenv("ZEM_TEST_DATA"));
    struct TCheckCopies {
        TCheckCopies() { TEquationList::SetCheckCopies(true); }
        ~TCheckCopies() { TEquationList::SetCheckCopies(false); }
    } checking;
    std::map<std::string, std::size_t> copied;
    auto sweep = [&](TProblem& p, const std::string& name) {
        p.BuildEquations();
        TRowItems items;
        for (std::size_t r = 0; r < p.UnknownCount(); ++r) {
            Extended b = 0;
            ASSERT_NO_THROW(b = p.GetRow(r, items)) << name << " row " << r;
            const Extended f = p.FreeTerm(r);
            ASSERT_EQ(std::memcmp(&b, &f, 10), 0) << name << ": free term of row " << r << " alone";
        }
        copied[name] += p.Equations().CopiedRows();
    };
    RegisterProblemTypes();
    for (int i = 0; i < kProblemTypeCount; ++i) {
        const std::string& type = ProblemTypeName(i);
        for (const char* mesh : {"24", "[[6, 0.2], [4, 0.2], 0.1, [12, 0.5]]"}) {
            auto p = MakeProblem(type);
            for (TDmElement* d : p->Domains())
                for (int j = 0; j < d->Mesh().Count(); ++j) d->Mesh().Item(j).SetText(mesh);
            p->Root().SetText(std::string(p->Root().Text()));
            p->CollectDomains();
            try {
                p->BuildEquations();
            } catch (const ZemError&) {
                continue;  // a type that wants another mesh
            }
            sweep(*p, type);
        }
    }
    const fs::path examples = DataDir() / ".." / ".." / "examples";
    for (const auto& entry : fs::directory_iterator(examples)) {
        if (entry.path().extension() != ".zem") continue;
        const TPbData data(examples.string());
        TProblemTexts texts;
        auto p = data.ReadProblemFile(entry.path().string(), texts);
        sweep(*p, entry.path().filename().string());
    }
    // The shells whose rows repeat hand most of them out as copies.
    for (const char* name : {"CylSym", "CylTech", "CylTech2_1", "CylLave", "wind.zem", "tank.zem"})
        EXPECT_GT(copied[name], 0u) << name;
}

}  // namespace
