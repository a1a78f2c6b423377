// Numbers read together in one format chosen from their range, and the
// legend of a map that spans the field's own values.
#include "GuiTestUtil.h"

#include "app/QtText.h"
#include "views/GrOptionForm.h"
#include "views/GraphForm.h"
#include "views/ReadableNumbers.h"
#include "views/ResultField.h"
#include "views/TableForm.h"

#include "platform/numtext.h"

TEST(ReadableNumbers, OneFormatFromTheRangeReadsAtAGlance) {
    struct TCase {
        double Lo, Hi;
        std::vector<std::pair<double, const char*>> Texts;
    };
    const TCase cases[] = {
        // A deflection in metres: a common power of ten, zero plain.
        {0, 1.9e-5, {{1.9e-5, "1.90E-05"}, {0.95e-5, "0.95E-05"}, {0, "0"}, {-2e-8, "0"}}},
        {-3.1e7, 1.5e7, {{1.5e7, "1.50E+07"}, {-3.1e7, "-3.10E+07"}}},
        // Within 0.001 … 999999 fixed point, three significant digits for the largest.
        {-12.345, 250, {{250, "250"}, {-12.345, "-12"}, {0.4, "0"}}},
        {0, 0.0123, {{0.0123, "0.0123"}, {0.004, "0.0040"}}},
        {-1e-9, 1, {{1, "1.00"}, {-1e-9, "0"}}},  // no "-0.00"
        // 9.996 rounds to 10.0: one decimal, not "10.00".
        {9.996, 9.996, {{9.996, "10.0"}, {5, "5.0"}}},
        {0, 0, {{0, "0"}}},
    };
    for (const TCase& c : cases) {
        const TReadableFormat f = ReadableFormat(c.Lo, c.Hi);
        for (const auto& [x, text] : c.Texts) EXPECT_EQ(f.Text(x), text) << c.Lo << " … " << c.Hi << ": " << x;
    }
}

TEST(ReadableNumbers, LegendSpansTheFieldsOwnValues) {
    // The tank's deflection is zero at the clamped bottom and positive above:
    // the legend starts at 0, not at minus a level step.
    TViewsFixture f;
    f.Calculate();
    const zem::TPalette& palette = f.Views->GrOptionForm->Palette();
    for (int field = 0; field < static_cast<int>(f.Root().GraphResults.size()); ++field) {
        const TResultField r = ResultField(f.Root(), field);
        const std::vector<TLegendBand> bands = LegendBands(r, palette);
        ASSERT_FALSE(bands.empty()) << field;
        EXPECT_EQ(bands.front().Low, SmallestOf(r).Value) << r.Name;
        EXPECT_EQ(bands.back().High, LargestOf(r).Value) << r.Name;
        for (const TLegendBand& b : bands) EXPECT_LE(b.Low, b.High) << r.Name;
    }
    const std::vector<TLegendBand> w = LegendBands(ResultField(f.Root(), 0), palette);
    EXPECT_EQ(ReadableFormat(w.front().Low, w.back().High).Text(w.front().Low), "0") << "w at the clamped bottom";
}

TEST(ReadableNumbers, TableShowsEachColumnInOneFormatAndKeepsNodesApart) {
    // A line table as the elements write it (the last node first) in the
    // program's number format: coordinates down column 0, values in column 1.
    struct TCase {
        std::vector<double> X, V;  // from the bottom
        std::vector<const char*> Shown;  // column 0 then column 1, top row first
    };
    const TCase cases[] = {
        // A deflection: a common power of ten; the clamped bottom plain 0.
        {{0, 2.5, 5, 7.5, 10}, {0, 1.9e-5, 1.2e-5, 4e-6, -2e-7},
         {"10.0", "7.5", "5.0", "2.5", "0", "-0.020E-05", "0.400E-05", "1.200E-05", "1.900E-05", "0"}},
        // A moment: whole numbers; the edge zone's fine steps keep their digits.
        {{0, 0.0125, 0.025, 8.9875, 9}, {-12345.6, 3000, 150.2, 0.4, 0},
         {"9.0000", "8.9875", "0.0250", "0.0125", "0", "0", "0", "150", "3000", "-12346"}},
        {{0, 1}, {0.001234, -0.0005}, {"1.00", "0", "-0.000500", "0.001234"}},
    };
    for (const TCase& c : cases) {
        zem::TTableModel table;
        table.SetNumberFormat([](zem::Extended x) { return zem::RealToStrExp(11, 4, x); });
        const int n = static_cast<int>(c.X.size());
        table.SetSize(2, n + 1);
        table.SetText(0, 0, "x, м");
        table.SetText(1, 0, "w, м");
        for (int r = 1; r <= n; ++r) {
            table.SetCell(0, r, c.X[static_cast<std::size_t>(n - r)]);
            table.SetCell(1, r, c.V[static_cast<std::size_t>(n - r)]);
        }
        TTableDisplay display(table);
        EXPECT_EQ(display.CellText(0, 1), Q(table.Text(0, 1))) << "the program's format until asked";
        display.Readable = true;
        display.ChooseFormats();
        EXPECT_EQ(display.CellText(1, 0), QStringLiteral("w, м")) << "headers stay";
        for (int col = 0; col < 2; ++col)
            for (int r = 1; r <= n; ++r)
                EXPECT_EQ(Std(display.CellText(col, r)), c.Shown[static_cast<std::size_t>(col * n + r - 1)])
                    << "column " << col << ", row " << r << ": " << table.Text(col, r);
        EXPECT_EQ(table.Text(1, 1), zem::RealToStrExp(11, 4, c.V.back())) << "the table keeps every digit";
    }
    // A stepped shell's labels are no numbers and pass unchanged.
    zem::TTableModel table;
    table.SetSize(2, 2);
    table.SetText(0, 1, "0.5: Span2");
    table.SetText(1, 1, "1.2345678E+03");
    TTableDisplay display(table);
    display.Readable = true;
    display.ChooseFormats();
    EXPECT_EQ(display.CellText(0, 1), QStringLiteral("0.5: Span2"));
    EXPECT_EQ(display.CellText(1, 1), QStringLiteral("1235"));
}
