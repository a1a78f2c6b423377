#include "calc/CalcSettings.h"
#include "platform/errors.h"
#include "solvers/SLCLass.h"

#include <gtest/gtest.h>

using namespace zem;

TEST(CalcSettings, EmptyLinesGiveTheDefaults) {
    TCalcSettings s = ReadCalcSettings({});
    EXPECT_EQ(s.CalcType, ctSimple);
    EXPECT_EQ(s.SLAEMethod, 0);
    EXPECT_EQ(s.RealType, 0);
    EXPECT_EQ(s.ErrorNorma, enSemiSqr);
    EXPECT_EQ(s.ListType, ltByType);
    EXPECT_FALSE(s.AutoMode || s.IsSLAEError || s.SaveResult);
    EXPECT_TRUE(s.AstimList.empty() && s.PrecList.empty());
    EXPECT_EQ(s.Prec, 0);
    EXPECT_EQ(s.PrecChar, "");
}

TEST(CalcSettings, KeysIgnoreCaseValuesAreExact) {
    TCalcSettings s = ReadCalcSettings({"calctype= Astim", "AUTOMODE", "errornorma= uniform",
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
    try {
        ReadCalcSettings({"Prec= half"});
        FAIL();
    } catch (const ZemError& e) {
        EXPECT_STREQ(e.what(), "Ошибка численного значения");
    }
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
    TCalcSettings r = ReadCalcSettings(lines);
    EXPECT_EQ(r.CalcType, s.CalcType);
    EXPECT_EQ(r.ListType, s.ListType);
    EXPECT_EQ(r.PrecList, s.PrecList);
    EXPECT_EQ(r.SLAEMethod, 3);
    EXPECT_TRUE(r.SaveResult);
}
