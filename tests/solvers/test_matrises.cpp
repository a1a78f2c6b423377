// Rows and matrices: the extremes, the real type per thread, and the text
// and binary files.
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "solvers/Matrises.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace zem {
namespace {

namespace fs = std::filesystem;

using test::MessageOf;

TEST(RealType, RowsFollowTheRealTypeOfTheirThread) {
    const Extended third = 1.0L / 3.0L;
    {
        TRealTypeScope scope(rtExtended);
        TXLineItem row(2, nullptr, third);
        EXPECT_EQ(row.GetItem(1), third) << "extended keeps 64 mantissa bits";
        row.AddItem(0, third);
        EXPECT_EQ(row.GetItem(0), third + third);
        // Another thread still creates doubles: the choice does not leak.
        Extended other = 0;
        std::thread([&] { other = TXLineItem(1, nullptr, third).GetItem(0); }).join();
        EXPECT_EQ(other, static_cast<double>(third));
    }
    EXPECT_EQ(CurrentRealType(), rtReal) << "the scope restores the previous type";
    for (TRealType t : {rtReal, rtDouble}) {
        TXLineItem row(t, 1, 0);
        row.SetItem(0, third);
        EXPECT_EQ(row.GetItem(0), static_cast<Extended>(static_cast<double>(third)));
    }
    EXPECT_THROW(SetRealType(3), ZemError);
    EXPECT_THROW(TXLineItem(rtExtended, 3, 0).GetItem(3), ZemError) << "an index past the row is refused";
}

TEST(RowsAndMatrices, SumsAndExtremes) {
    TXLineItem list(rtExtended, 6, 0);
    TALineItem array(6, nullptr, 0);
    const Extended v[6] = {3, -1, 7, 7, -1, 2};
    for (TLineItem* row : {static_cast<TLineItem*>(&list), static_cast<TLineItem*>(&array)}) {
        for (std::size_t i = 0; i < 6; ++i) row->SetItem(i, v[i]);
        row->AddItem(5, 0.5);
        std::size_t hi = 99, lo = 99;
        EXPECT_EQ(row->MaxItem(hi), 7);
        EXPECT_EQ(row->MinItem(lo), -1);
        EXPECT_EQ(hi * 10 + lo, 21u) << "the first of equal extremes wins";
        EXPECT_EQ(row->Sum(), 17.5);
        EXPECT_EQ(row->SumFirst(0) + row->SumFirst(3), 9);
    }
    EXPECT_THROW(TALineItem().SetItem(0, 1), ZemError);
    // A block matrix: row-major, the first of equal extremes, no index past its rows.
    TAMatrix m(10, 3);
    m.SetItem(5, 2, 5), m.SetItem(7, 1, 5), m.SetItem(1, 0, -2), m.SetItem(8, 0, -2);
    std::size_t r = 0, c = 0;
    EXPECT_EQ(m.MaxItem(r, c), 5);
    EXPECT_EQ(r * 10 + c, 52u);
    EXPECT_EQ(m.MinItem(r, c), -2);
    EXPECT_EQ(r * 10 + c, 10u);
    EXPECT_EQ(m.Data()[5 * 3 + 2], 5);
    EXPECT_THROW(m.GetItem(10, 0), ZemError);
    EXPECT_EQ(TALineItem{1.0L / 3.0L}.GetItem(0), static_cast<double>(1.0L / 3.0L)) << "array rows store doubles";
}

TEST(MatrisesFiles, BinaryResultsRoundTripAndRefuseForeignFiles) {
    const test::TempDir dir;
    const std::string file = dir / "a.res";
    TRealTypeScope scope(rtExtended);
    TXLineItem x(7, nullptr, 0);
    for (std::size_t i = 0; i < 7; ++i) x.SetItem(i, 1.0L / Extended(i + 3));
    x.SaveToFile(file);
    EXPECT_EQ(fs::file_size(file), 70u) << "10 bytes per unknown, no header";

    TXLineItem back(7, nullptr, 0);
    back.LoadFromFile(file);
    EXPECT_EQ(back.Values(), x.Values()) << "extended values come back bit for bit";
    TALineItem arr(7, nullptr, 0);
    arr.LoadFromFile(file);
    EXPECT_EQ(arr.GetItem(1), static_cast<double>(0.25L));

    TXLineItem longer(8, nullptr, 9);
    EXPECT_EQ(MessageOf([&] { longer.LoadFromFile(file); }),
              "Ошибка загрузки файла " + file + ": файл короче ожидаемого (70 байт вместо 80)")
        << "a short file";
    EXPECT_EQ(longer.GetItem(0), 9) << "a failed load leaves the row as it was";
    TXLineItem shorter(6, nullptr, 0);
    EXPECT_THROW(shorter.LoadFromFile(file), ZemError) << "a longer file belongs to another system";
    EXPECT_THROW(back.LoadFromFile(dir / "missing.res"), ZemError);
    EXPECT_THROW(x.SaveToFile(dir / "no/such/dir.res"), ZemError);
}

TEST(MatrisesFiles, TextExports) {
    const test::TempDir dir;
    TALineItem row{1, -2.5};
    row.SaveToTextFile(dir / "row.txt");
    row.AppendToTextFile(dir / "row.txt");
    EXPECT_EQ(ReadTextFile(dir / "row.txt"),
              (std::vector<std::string>{" 1.00000000000000E+0000", "-2.50000000000000E+0000",
                                        " 1.00000000000000E+0000", "-2.50000000000000E+0000"}));
    TAMatrix m(2, 2);
    m.SetItem(0, 0, 1.5);
    m.SetItem(1, 1, 1e-7);
    m.SaveToTextFile(dir / "m.txt");
    EXPECT_EQ(ReadTextFile(dir / "m.txt"), (std::vector<std::string>{"1.5\t0\t", "0\t1E-7\t"}));
}

}  // namespace
}  // namespace zem
