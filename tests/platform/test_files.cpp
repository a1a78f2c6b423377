#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/extended.h"
#include "testutil.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace zem;
using test::Slurp;

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
    const test::TempDir dir;
    const std::string file = dir / "a.zem";
    WriteTextFile(file, {"[ZEM]", "Тип=CylSym", ""});
    EXPECT_EQ(Slurp(file), "[ZEM]\r\n\xD2\xE8\xEF=CylSym\r\n\r\n");
    EXPECT_EQ(ReadTextFile(file), (std::vector<std::string>{"[ZEM]", "Тип=CylSym", ""}));

    std::ofstream(dir / "lf.txt", std::ios::binary) << "a\nb\r\nc";
    EXPECT_EQ(ReadTextFile(dir / "lf.txt"), (std::vector<std::string>{"a", "b", "c"}));
    AppendTextFile(file, {"x"});
    EXPECT_EQ(ReadTextFile(file).back(), "x");
}

TEST(TextFile, AFailedWriteLeavesTheOldFileAsItWas) {
    const test::TempDir dir;
    const std::string file = dir / "keep.zem";
    WriteTextFile(file, {"old"});
    EXPECT_THROW(WriteTextFile(file, {"new", "日本"}), ZemError);
    EXPECT_EQ(Slurp(file), "old\r\n");
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp~"));
    EXPECT_THROW(ReadTextFile(dir / "missing"), ZemError);
    EXPECT_THROW(WriteTextFile(dir / "no/dir.zem", {"x"}), ZemError);
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
}
