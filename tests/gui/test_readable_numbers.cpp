// Numbers read together in one format chosen from their range, and the
// legend of a map that spans the field's own values.
#include "GuiTestUtil.h"

#include "views/GrOptionForm.h"
#include "views/GraphForm.h"
#include "views/ReadableNumbers.h"
#include "views/ResultField.h"

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
