#include "platform/errors.h"
#include "platform/numtext.h"
#include "testutil.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>

using namespace zem;

TEST(StrToReal, AcceptsPointOrCommaAndBlanks) {
    for (auto [text, x] : {std::pair{"2.5", 2.5L}, {"2,5", 2.5L}, {"  -1e3 ", -1000.0L}, {"+.5", 0.5L},
                           {"7.", 7.0L}, {"2.06E11", 2.06e11L}})
        EXPECT_EQ(StrToReal(text), x) << text;
}

TEST(StrToReal, EveryFailureGivesTheOneMessage) {
    for (const char* bad : {"abc", "", " ", "1.2.3", "1,2.3", "1e", "e5", "--1", "1 2", "0x10", "inf",
                            "nan", "1e99999", "."})
        EXPECT_EQ(test::MessageOf([&] { StrToReal(bad); }), "Ошибка численного значения") << bad;
}

TEST(TryParseScalar, PointIsTheOnlyDecimalMark) {
    Extended x = 0;
    EXPECT_TRUE(TryParseScalar("0.25", x));
    EXPECT_EQ(x, 0.25L);
    EXPECT_FALSE(TryParseScalar("0,25", x));
    EXPECT_FALSE(TryParseScalar(" 1", x));
    EXPECT_FALSE(TryParseScalar("1e+", x));
}

TEST(RealToStrGen, FixedWhenItFitsScientificOtherwise) {
    // The last two: rounding may carry into a new integer digit.
    for (auto [precision, digits, x, text] :
         {std::tuple{7, 5, 0.25L, "0.25"}, {7, 5, 10.0L, "10"}, {7, 5, 0.0L, "0"}, {7, 5, 1.0L / 3, "0.3333333"},
          {3, 5, 2.0L / 3, "0.667"}, {3, 5, -12.34L, "-12.3"}, {3, 5, 1234.0L, "1.23E+00003"},
          {5, 3, 1.5e10L, "1.5E+010"}, {5, 3, 0.00001L, "0.00001"}, {5, 3, 0.000001L, "1E-006"},
          {5, 0, 0.000012345L, "0.000012345"}, {3, 2, 999.6L, "1E+03"}, {3, 2, 99.96L, "100"}})
        EXPECT_EQ(RealToStrGen(precision, digits, x), text) << double(x);
}

TEST(RealToStrExp, AlwaysScientificWithMinimumExponentDigits) {
    EXPECT_EQ(RealToStrExp(5, 0, 0.012340L), "1.2340E-2");
    EXPECT_EQ(RealToStrExp(5, 3, -250.0L), "-2.5000E+002");
    EXPECT_EQ(RealToStrExp(4, 2, 0.0L), "0.000E+00");
    EXPECT_EQ(RealToStrExp(1, 1, 7.0L), "7E+0");
}

TEST(NumberText, DoesNotFollowTheUserLocale) {
    const char* saved = std::setlocale(LC_ALL, nullptr);
    std::string savedName = saved ? saved : "C";
    bool switched = false;
    for (const char* name : {"de_DE.UTF-8", "ru_RU.UTF-8", "de_DE", "ru_RU"})
        if (std::setlocale(LC_ALL, name)) {
            switched = true;
            break;
        }
    if (!switched) GTEST_SKIP() << "no de_DE or ru_RU locale installed";
    EXPECT_EQ(RealToStrGen(7, 5, 2.5L), "2.5");
    EXPECT_EQ(RealToStrExp(5, 0, 0.01234L), "1.2340E-2");
    EXPECT_EQ(StrToReal("2.5"), 2.5L);
    EXPECT_EQ(StrToReal("2,5"), 2.5L);
    Extended x = 0;
    EXPECT_TRUE(TryParseScalar("0.125", x));
    EXPECT_EQ(x, 0.125L);
    std::setlocale(LC_ALL, savedName.c_str());
}
