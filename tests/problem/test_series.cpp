// Series files and the series run, on the test beam registered in a
// catalogue slot for the duration of each test.
#include "domains/model_elements.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/progress.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "problem/PbTypes.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace zem;
namespace fs = std::filesystem;

namespace {

class TElRingBeam : public dmtest::TElBeam {
public:
    using TElBeam::TElBeam;
    std::string GetTypeName() const override { return "Ring"; }
};

class SeriesTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterProblemType(10, [](TObject* owner, const std::string& name) -> std::unique_ptr<TElement> {
            return std::make_unique<TElRingBeam>(owner, name);
        });
        dir = fs::temp_directory_path() / ("zem-series-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        RegisterProblemType(10, nullptr);
        fs::remove_all(dir);
    }
    std::string Path(const std::string& n) const { return (dir / n).string(); }
    void WriteBeam(const std::string& name, const std::string& object) {
        WriteTextFile(Path(name), {"[ZEM CAD 2]", "Ring", "#OBJECT", object, "#CALCULATION", "CalcType= simple"});
    }
    fs::path dir;
    TProgressLog progress;
};

}  // namespace

TEST_F(SeriesTest, FileKeepsItsMembersInOrderAndRejectsOtherFormats) {
    TSeriesFile s;
    s.Files = {"b.zem", "a.zem", "sub\\c.zem"};
    s.ResultData = {"w;"};
    s.Result = {"", "текст"};
    WriteSeriesFile(Path("s.zes"), s);
    EXPECT_EQ(ReadTextFile(Path("s.zes")),
              (std::vector<std::string>{"[ZEM SERIES]", "#FILES", "b.zem", "a.zem", "sub\\c.zem", "#RESULT DATA", "w;",
                                        "#RESULT", "", "текст"}));
    TSeriesFile r = ReadSeriesFile(Path("s.zes"));
    EXPECT_EQ(r.Files, s.Files);
    EXPECT_EQ(r.ResultData, s.ResultData);
    EXPECT_EQ(r.Result, s.Result);

    s.Result = {"#1"};
    EXPECT_THROW(WriteSeriesFile(Path("s.zes"), s), ZemError);
    EXPECT_EQ(ReadSeriesFile(Path("s.zes")).Files.size(), 3u) << "a failed save keeps the file";

    WriteTextFile(Path("bad.zes"), {"[ZEM CAD 2]", "#FILES"});
    try {
        ReadSeriesFile(Path("bad.zes"));
        FAIL();
    } catch (const ZemError& e) {
        EXPECT_STREQ(e.what(), "Неизвестный формат файла");
    }
}

TEST_F(SeriesTest, RunCalculatesEveryMemberAndReportsFailuresByName) {
    WriteBeam("stiff.zem", "{PARAMS={EI=10, H=1}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, LOADS={Uniform=1}}");
    WriteBeam("soft.zem", "{PARAMS={EI=1, H=1}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, LOADS={Uniform=1}}");
    WriteTextFile(Path("broken.zem"), {"[ZEM CAD 2]", "Ring", "#OBJECT", "{PARAMS={EI=[1}}"});
    TSeriesFile s;
    s.Files = {"stiff.zem", "missing.zem", "soft.zem", "broken.zem"};
    TPbData data(StoredPath(dir.string()));
    EXPECT_EQ(RunSeries(data, s, progress), 2);

    ASSERT_GE(s.Result.size(), 7u);
    EXPECT_EQ(s.Result[0], "stiff.zem");
    EXPECT_EQ(s.Result[1].rfind("  w: наибольшее ", 0), 0u) << s.Result[1];
    auto at = [&](const std::string& prefix) {
        for (const auto& l : s.Result)
            if (l.rfind(prefix, 0) == 0) return l;
        return std::string();
    };
    EXPECT_EQ(at("missing.zem: ").rfind("missing.zem: Ошибка чтения файла", 0), 0u);
    EXPECT_EQ(at("broken.zem: "), "broken.zem: Нарушен баланс скобок");
    // The softer beam deflects ten times as much: compare the two summaries.
    auto extreme = [&](const std::string& member) {
        for (std::size_t i = 0; i + 1 < s.Result.size(); ++i)
            if (s.Result[i] == member) {
                const std::string& l = s.Result[i + 1];
                std::size_t a = l.find("наибольшее ") + std::string("наибольшее ").size();
                std::size_t b = l.find(", наименьшее ");
                double hi = std::stod(l.substr(a, b - a));
                double lo = std::stod(l.substr(b + std::string(", наименьшее ").size()));
                return std::max(std::fabs(hi), std::fabs(lo));
            }
        return 0.0;
    };
    EXPECT_NEAR(extreme("soft.zem") / extreme("stiff.zem"), 10.0, 1e-3);
    // Members were written back with their reports.
    TProblemTexts t;
    data.ReadProblemFile(Path("soft.zem"), t);
    EXPECT_FALSE(t.Process.empty());
}
