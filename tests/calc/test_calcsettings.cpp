// The calculation lines of a problem file: read with their defaults, keys in
// any letter case, values exact, and written back.
#include "problem/CalcSettings.h"
#include "platform/errors.h"
#include "solvers/SLCLass.h"
#include "testutil.h"

#include <gtest/gtest.h>

using namespace zem;

TEST(CalcSettings, KeysIgnoreCaseValuesAreExact) {
    // No lines: a simple calculation by method 0, the mean-square norm.
    TCalcSettings s = ReadCalcSettings({});
    EXPECT_EQ(s.CalcType, ctSimple);
    EXPECT_EQ(s.SLAEMethod + s.RealType, 0);
    EXPECT_EQ(s.ErrorNorma, enSemiSqr);
    EXPECT_FALSE(s.AutoMode || s.IsSLAEError || s.SaveResult);

    s = ReadCalcSettings({"calctype= Astim", "AUTOMODE", "errornorma= uniform",
                                        "SLAEMethod= " + SLAEMethodNames()[7], "RealType= EXTENDED"});
    EXPECT_EQ(s.CalcType, ctSimple) << "values compare exactly";
    EXPECT_TRUE(s.AutoMode);
    EXPECT_EQ(s.ErrorNorma, enUniform);
    EXPECT_EQ(s.SLAEMethod, 7);
    EXPECT_EQ(s.RealType, 2);
    // The Cyrillic-only spelling of method 7 is another name: position 0.
    s = ReadCalcSettings({"SLAEMethod= Метод Гаусса. Переменная ширина ленты"});
    EXPECT_EQ(s.SLAEMethod, 0);
}

TEST(CalcSettings, ListsAndPrecision) {
    TCalcSettings s = ReadCalcSettings(
        {"AstimList= w, M1", "PrecList= \"Span1.mesh x\",mesh_x", "Prec= 0,5", "PrecChar=  w  "});
    EXPECT_EQ(s.AstimList, (std::vector<std::string>{"w", "M1"}));
    EXPECT_EQ(s.PrecList, (std::vector<std::string>{"Span1.mesh x", "mesh_x"}));
    EXPECT_DOUBLE_EQ(s.Prec, 0.5);
    EXPECT_EQ(s.PrecChar, "w");
    EXPECT_TRUE(ReadCalcSettings({"AstimList= "}).AstimList.empty());
    EXPECT_EQ(test::MessageOf([] { ReadCalcSettings({"Prec= half"}); }), "Prec: Ошибка численного значения");
}

TEST(CalcSettings, WrittenLinesReadBack) {
    TCalcSettings s;
    s.CalcType = ctChoose;
    s.ErrorNorma = enUniform;
    s.ListType = ltByDomain;
    s.PrecChar = "CylSym.w";
    s.PrecList = {"Span1.mesh_x", "Span2.mesh_x"};
    s.Prec = 0.5;
    s.SLAEMethod = 3;
    s.SaveResult = true;
    auto lines = WriteCalcSettings(s, true, "0.5");
    EXPECT_EQ(lines, (std::vector<std::string>{"CalcType= choose", "ListType= by domain", "Prec= 0.5",
                                               "PrecChar= CylSym.w", "PrecList= Span1.mesh_x, Span2.mesh_x",
                                               "ErrorNorma= uniform", "RealType= REAL",
                                               "SLAEMethod= " + SLAEMethodNames()[3], "SaveResult"}));
    EXPECT_EQ(WriteCalcSettings(ReadCalcSettings(lines), true, "0.5"), lines);
}
