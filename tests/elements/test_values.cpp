// Value objects, owning lists and the parameter items with their ripple.
#include "elements/ElItems.h"
#include "elements/MyObjecs.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

#include <typeinfo>

using namespace zem;

namespace {

// Counts its own destructions, to see who frees what.
struct TCounted : TObject {
    explicit TCounted(int& deaths) : deaths_(deaths) {}
    ~TCounted() override { ++deaths_; }
    int& deaths_;
};

// An inner node that records the notices it receives and passes them on.
struct TProbe : TElemItem {
    using TElemItem::TElemItem;
    void Assign(const TElemItem&) override {}
    void Parse() override {}
    void Changed() override {
        ++changes;
        TElemItem::Changed();
    }
    int changes = 0;
};

template <class F>
std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const ZemError& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace

TEST(OwningLists, FreeListFreesEntriesOnDeleteFreeAllAndDestruction) {
    int deaths = 0;
    {
        std::vector<std::unique_ptr<TObject>> start;
        start.push_back(std::make_unique<TCounted>(deaths));
        start.push_back(nullptr);
        TFreeList list(std::move(start));
        list.Add(std::make_unique<TCounted>(deaths));
        list.Add(std::make_unique<TCounted>(deaths));
        ASSERT_EQ(list.Count(), 4);
        EXPECT_EQ(list.Items(1), nullptr);
        list.Delete(0);
        EXPECT_EQ(deaths, 1);
        std::unique_ptr<TObject> kept = list.Extract(1);
        EXPECT_EQ(list.IndexOf(kept.get()), -1);
        EXPECT_EQ(deaths, 1);
        list.FreeAll();
        EXPECT_EQ(list.Count(), 0);
        EXPECT_EQ(deaths, 2);
        list.Add(std::make_unique<TCounted>(deaths));
    }
    EXPECT_EQ(deaths, 4);  // the extracted one and the last entry die with their holders
}

TEST(OwningLists, StringListFreesAttachedObjectsAndSkipsBareLines) {
    int deaths = 0;
    {
        TFreeStringList list;
        list.Add("a", std::make_unique<TCounted>(deaths));
        list.Add("b");
        list.Add("c", std::make_unique<TCounted>(deaths));
        list.SetObject(1, std::make_unique<TCounted>(deaths));
        list.SetObject(1, nullptr);
        EXPECT_EQ(deaths, 1);
        EXPECT_EQ(list.IndexOf("c"), 2);
        list.Clear();
        EXPECT_EQ(deaths, 3);
        list.Add("d", std::make_unique<TCounted>(deaths));
        list.Add("e");
    }
    EXPECT_EQ(deaths, 4);
}

TEST(ValueObjects, AccessorsRoundAndCheckTheirEntries) {
    EXPECT_EQ(TWord(2.5).AsInteger(), 2);  // ties to even
    EXPECT_EQ(TWord(3.5).AsInteger(), 4);
    EXPECT_EQ(TWord(-7).AsInteger(), -7);
    EXPECT_EQ(MessageOf([] { TWord(1e300).AsInteger(); }), "Ошибка значения");
    TWord w(1);
    w.SetWord(65535);
    EXPECT_EQ(w.Value, 65535.0);

    TValueList list;
    list.Add(std::make_unique<TReal>(0.25));
    list.Add(std::make_unique<TWord>(4));
    list.Add(nullptr);
    list.Add(std::make_unique<TValueList>());
    EXPECT_EQ(list.AsReal(0), 0.25);
    EXPECT_EQ(list.AsInteger(1), 4);
    EXPECT_EQ(list.AsInteger(0), 0);
    // Null entries, nested lists and missing entries are input errors, not crashes.
    for (int i : {2, 3, 4, -1}) EXPECT_EQ(MessageOf([&] { list.AsReal(i); }), "Ошибка значения") << i;
}

TEST(ElemItem, ChangeRipplesThroughItemsAndStopsAtTheProblem) {
    TObject problem;
    TProbe root(&problem, "root");
    TProbe section(&root, "PARAMS");
    TElReal r(&section, "R");
    r.SetText("10.0");
    EXPECT_EQ(section.changes, 1);
    EXPECT_EQ(root.changes, 1);
    // A failing parse sets the text and stops the ripple.
    EXPECT_THROW(r.SetText("ten"), ZemError);
    EXPECT_EQ(r.Text(), "ten");
    EXPECT_EQ(section.changes, 1);
    EXPECT_EQ(r.RealValue()->Value, 10.0);
}

TEST(ElReal, ParsesBothMarksKeepsTextAndEmptiesToNull) {
    TElReal r(nullptr, "R");
    r.SetText("2,5");
    EXPECT_EQ(r.Text(), "2,5");
    EXPECT_EQ(r.RealValue()->Value, 2.5);
    const TObject* before = r.Value();
    r.SetText(" 2.06e11 ");
    EXPECT_EQ(r.Value(), before);  // the value object is reused
    EXPECT_EQ(r.RealValue()->Value, 2.06e11);
    r.SetText("");
    EXPECT_EQ(r.Value(), nullptr);
    for (const char* bad : {"abc", "1e400", "2.5.1", "[1]"})
        EXPECT_EQ(MessageOf([&] { r.SetText(bad); }), "Ошибка численного значения") << bad;
}

TEST(ElReal, AssignCopiesTheNumberWithoutParsingAgain) {
    TElReal source(nullptr, "R"), target(nullptr, "R");
    source.SetText("1,5");
    source.SetValue(TWord(7));  // the number now differs from the text
    target.Assign(source);
    EXPECT_EQ(target.Text(), "1,5");
    EXPECT_EQ(target.RealValue()->Value, 7.0);
    EXPECT_EQ(dynamic_cast<const TWord*>(target.Value()), nullptr);  // still a plain TReal
    source.SetText("");
    target.Assign(source);
    EXPECT_EQ(target.Value(), nullptr);
    EXPECT_THROW(target.SetValue(TValueList()), std::bad_cast);
}

TEST(ElWord, SixteenBitUnsignedIntegersOnly) {
    TElWord w(nullptr, "Period");
    for (auto [text, value] : {std::pair{"2", 2}, {" 65535 ", 65535}, {"+3", 3}, {"-0", 0}, {"0", 0}}) {
        w.SetText(text);
        EXPECT_EQ(w.WordValue()->AsInteger(), value) << text;
    }
    for (const char* bad : {"65536", "-1", "2.0", "1e3", "x", "+", "99999999999999999999"}) {
        EXPECT_EQ(MessageOf([&] { w.SetText(bad); }),
                  "'" + std::string(bad) + "' не является целым числом от 0 до 65535")
            << bad;
    }
    w.SetText("");
    EXPECT_EQ(w.Value(), nullptr);
    w.SetValue(TWord(180));
    EXPECT_EQ(w.WordValue()->Value, 180.0);
    EXPECT_THROW(w.SetValue(TReal(1.5)), std::bad_cast);
    EXPECT_THROW(w.SetValue(TWord(70000)), ZemError);
}

TEST(ElValueList, HoldsWhatParseValueGivesAndAssignParsesAgain) {
    TElValueList mesh(nullptr, "mesh_x");
    mesh.SetText("4");
    EXPECT_EQ(dynamic_cast<const TWord*>(mesh.Value())->Value, 4.0);
    mesh.SetText("[2, 0.5], [2, 0.5]");
    const auto* list = dynamic_cast<const TValueList*>(mesh.Value());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Count(), 2);
    EXPECT_NE(dynamic_cast<const TValueList*>(list->Items(1)), nullptr);
    TElValueList copy(nullptr, "mesh_x");
    copy.Assign(mesh);
    EXPECT_EQ(copy.Text(), mesh.Text());
    EXPECT_NE(copy.Value(), mesh.Value());
    EXPECT_NE(dynamic_cast<const TValueList*>(copy.Value()), nullptr);
    EXPECT_EQ(MessageOf([&] { mesh.SetText("[2, 0.5"); }), "Нарушен баланс скобок");
    EXPECT_EQ(MessageOf([&] { mesh.SetText("x"); }), "Ошибка значения");
    mesh.SetText("");
    EXPECT_EQ(mesh.Value(), nullptr);
}
