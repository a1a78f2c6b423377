// Value objects, owning lists and the parameter items with their ripple.
#include "elements/Elements.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <typeinfo>

using namespace zem;
using zem::test::MessageOf;

namespace {

// Counts its own destructions, to see who frees what.
struct TCounted : TObject {
    explicit TCounted(int& deaths) : deaths_(deaths) {}
    ~TCounted() override { ++deaths_; }
    int& deaths_;
};

}  // namespace

TEST(OwningLists, FreeTheirObjects) {
    int deaths = 0;
    {
        TFreeList list;
        list.Add(std::make_unique<TCounted>(deaths));
        list.Add(nullptr);
        list.Add(std::make_unique<TCounted>(deaths));
        list.Delete(0);
        std::unique_ptr<TObject> kept = list.Extract(1);
        list.FreeAll();
        EXPECT_EQ(deaths, 1) << "the extracted object lives on";
        TFreeStringList lines;  // lines without objects are skipped
        lines.Add("a", std::make_unique<TCounted>(deaths));
        lines.Add("b");
        lines.SetObject(1, std::make_unique<TCounted>(deaths));
        lines.Clear();
        EXPECT_EQ(deaths, 3);
    }
    EXPECT_EQ(deaths, 4);
}

TEST(ValueObjects, AccessorsRoundAndCheckTheirEntries) {
    EXPECT_EQ(TWord(2.5).AsInteger(), 2);  // ties to even
    EXPECT_EQ(TWord(3.5).AsInteger(), 4);
    EXPECT_EQ(MessageOf([] { TWord(1e300).AsInteger(); }), "Ошибка значения");
    TValueList list;
    list.Add(std::make_unique<TReal>(0.25));
    list.Add(std::make_unique<TWord>(4));
    list.Add(nullptr);
    list.Add(std::make_unique<TValueList>());
    EXPECT_EQ(list.AsReal(0), 0.25);
    EXPECT_EQ(list.AsInteger(1), 4);
    // Null entries, nested lists and missing entries are input errors, not crashes.
    for (int i : {2, 3, 4, -1}) EXPECT_EQ(MessageOf([&] { list.AsReal(i); }), "Ошибка значения") << i;
}

TEST(ElReal, BothDecimalMarksTextAsGivenAssignWithoutParsing) {
    TElReal r(nullptr, "R"), copy(nullptr, "R");
    r.SetText("2,5");
    EXPECT_EQ(r.Text(), "2,5");
    EXPECT_EQ(r.RealValue()->Value, 2.5);
    for (const char* bad : {"abc", "1e400", "[1]"}) {
        EXPECT_EQ(MessageOf([&] { r.SetText(bad); }), "Ошибка численного значения") << bad;
        EXPECT_EQ(r.Text(), "2,5") << "a failed parse changes nothing";
    }
    r.SetText("1,5");
    r.SetValue(TWord(7));  // the number now differs from the text
    copy.Assign(r);
    EXPECT_EQ(copy.Text(), "1,5");
    EXPECT_EQ(copy.RealValue()->Value, 7.0);
    r.SetText("");
    copy.Assign(r);
    EXPECT_EQ(copy.Value(), nullptr);
    EXPECT_THROW(copy.SetValue(TValueList()), std::bad_cast);
}

TEST(ElWord, SixteenBitUnsignedIntegersOnly) {
    TElWord w(nullptr, "Period");
    for (auto [text, value] : {std::pair{"2", 2}, {" 65535 ", 65535}, {"+3", 3}, {"-0", 0}}) {
        w.SetText(text);
        EXPECT_EQ(w.WordValue()->AsInteger(), value) << text;
    }
    for (const char* bad : {"65536", "-1", "2.0", "x", "+", "99999999999999999999"})
        EXPECT_EQ(MessageOf([&] { w.SetText(bad); }), "'" + std::string(bad) + "' не является целым числом от 0 до 65535");
    EXPECT_THROW(w.SetValue(TReal(1.5)), std::bad_cast);
    EXPECT_THROW(w.SetValue(TWord(70000)), ZemError);
}

TEST(ElValueList, HoldsWhatParseValueGivesAndAssignParsesAgain) {
    TElValueList mesh(nullptr, "mesh_x"), copy(nullptr, "mesh_x");
    mesh.SetText("[2, 0.5], [2, 0.5]");
    const auto& list = dynamic_cast<const TValueList&>(*mesh.Value());
    EXPECT_NE(dynamic_cast<const TValueList*>(list.Items(1)), nullptr);
    copy.Assign(mesh);
    EXPECT_NE(copy.Value(), mesh.Value());
    EXPECT_EQ(copy.Text(), mesh.Text());
    EXPECT_EQ(MessageOf([&] { mesh.SetText("[2, 0.5"); }), "Нарушен баланс скобок");
    EXPECT_EQ(MessageOf([&] { mesh.SetText("x"); }), "Ошибка значения");
}
