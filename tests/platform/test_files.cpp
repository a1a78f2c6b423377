#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/extended.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

using namespace zem;
namespace fs = std::filesystem;

namespace {
std::string Slurp(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}
struct TempDir {
    fs::path path = fs::temp_directory_path() / ("zem-test-" + std::to_string(::getpid()) + "-" +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
};
}  // namespace

TEST(Cp1251, RoundTripsCyrillicAndRejectsWhatItCannotHold) {
    const std::string text = "Радиус, м: Ёё №";
    const std::string bytes = Utf8ToCp1251(text);
    EXPECT_EQ(bytes.size(), Utf8Length(text));
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xD0);  // 'Р'
    EXPECT_EQ(Cp1251ToUtf8(bytes), text);
    EXPECT_THROW(Utf8ToCp1251("日本"), ZemError);
    EXPECT_THROW(Utf8ToCp1251("\xff\xfe"), ZemError);  // not UTF-8
    EXPECT_THROW(Cp1251ToUtf8("\x98"), ZemError);      // the one unassigned byte
}

TEST(TextFile, WritesCrLfCp1251AndReadsBothLineEnds) {
    TempDir dir;
    const std::string file = (dir.path / "a.zem").string();
    WriteTextFile(file, {"[ZEM]", "Тип=CylSym", ""});
    EXPECT_EQ(Slurp(file), "[ZEM]\r\n\xD2\xE8\xEF=CylSym\r\n\r\n");
    EXPECT_EQ(ReadTextFile(file), (std::vector<std::string>{"[ZEM]", "Тип=CylSym", ""}));

    std::ofstream(dir.path / "lf.txt", std::ios::binary) << "a\nb\r\nc";
    EXPECT_EQ(ReadTextFile((dir.path / "lf.txt").string()), (std::vector<std::string>{"a", "b", "c"}));
    AppendTextFile(file, {"x"});
    EXPECT_EQ(ReadTextFile(file).back(), "x");
}

TEST(TextFile, AFailedWriteLeavesTheOldFileAsItWas) {
    TempDir dir;
    const std::string file = (dir.path / "keep.zem").string();
    WriteTextFile(file, {"old"});
    EXPECT_THROW(WriteTextFile(file, {"new", "日本"}), ZemError);
    EXPECT_EQ(Slurp(file), "old\r\n");
    EXPECT_FALSE(fs::exists(file + ".tmp~"));
    EXPECT_THROW(ReadTextFile((dir.path / "missing").string()), ZemError);
    EXPECT_THROW(WriteTextFile((dir.path / "no" / "dir.zem").string(), {"x"}), ZemError);
}

TEST(Extended, TenByteRecordsKeepTheFullMantissa) {
    const Extended third = 1.0L / 3.0L;
    unsigned char rec[kExtendedSize];
    PackExtended(third, rec);
    EXPECT_EQ(UnpackExtended(rec), third);
    PackExtended(1.0L, rec);
    // 1.0: mantissa 0x8000000000000000, exponent 0x3FFF, little-endian.
    const unsigned char one[kExtendedSize] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_EQ(0, std::memcmp(rec, one, kExtendedSize));

    std::stringstream s;
    WriteExtended(s, third);
    WriteExtended(s, -2.5L);
    EXPECT_EQ(s.str().size(), 2 * kExtendedSize);
    Extended a = 0, b = 0, c = 0;
    EXPECT_TRUE(ReadExtended(s, a));
    EXPECT_TRUE(ReadExtended(s, b));
    EXPECT_FALSE(ReadExtended(s, c));
    EXPECT_EQ(a, third);
    EXPECT_EQ(b, -2.5L);
}
