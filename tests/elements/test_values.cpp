// Value objects, owning lists and the parameter items with their ripple; the
// text language of parameter values: splitting, parsing into value objects,
// bracketing helpers and the printing of element texts over lines.
#include "elements/Elements.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <typeinfo>
#include "elements/MyStr.h"
#include <gmock/gmock.h>

using namespace zem;
using zem::test::MessageOf;
using ::testing::ElementsAre;

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

namespace {

const char* const kBalance = "Нарушен баланс скобок";
const char* const kValue = "Ошибка значения";

// Word 5 -> "W5", real 0.25 -> "R0.25", list -> "(a b)", null -> "-".
std::string Shape(const TObject* v) {
    if (v == nullptr) return "-";
    if (auto* w = dynamic_cast<const TWord*>(v)) return "W" + RealToStrGen(15, 1, w->Value);
    if (auto* r = dynamic_cast<const TReal*>(v)) return "R" + RealToStrGen(15, 1, r->Value);
    auto& l = dynamic_cast<const TValueList&>(*v);
    std::string s = "(";
    for (int i = 0; i < l.Count(); ++i) s += (i ? " " : "") + Shape(l.Items(i));
    return s + ")";
}

std::string ParsedShape(const std::string& s) { return Shape(ParseValue(s).get()); }

}  // namespace

TEST(SplitList, TopLevelCommasOnlyAndBalance) {
    EXPECT_TRUE(SplitList("   ").empty());
    EXPECT_THAT(SplitList(" 1 , 2.5 ,[3, 0.25] "), ElementsAre("1", "2.5", "[3, 0.25]"));
    EXPECT_THAT(SplitList("f(1,2), {A=1, B=[2, 3]}"), ElementsAre("f(1,2)", "{A=1, B=[2, 3]}"));
    // A comma right after a separating comma starts the next item; a trailing one adds none.
    EXPECT_THAT(SplitList("1,,2"), ElementsAre("1", ",2"));
    EXPECT_THAT(SplitList("1, ,2,"), ElementsAre("1", "", "2"));
    EXPECT_THAT(SplitList("[(]), 1"), ElementsAre("[(])", "1"));  // kinds are only counted
    for (const char* bad : {"[1,2", "1,2]", "(", "A=1}", "(]", "[1,2]]", "1, {a, [b}"})
        EXPECT_EQ(MessageOf([&] { SplitList(bad); }), kBalance) << bad;
}

TEST(ParseValue, ScalarsListsAndNulls) {
    EXPECT_EQ(ParseValue("   "), nullptr);
    EXPECT_EQ(ParsedShape("1, 2.5, [3, 0.25]"), "(W1 R2.5 (W3 R0.25))");
    // Whole numbers are words; one bracketed item is the item; a comma separates.
    for (auto [text, shape] : {std::pair{"2.0", "W2"}, {"1e3", "W1000"}, {"0.1", "R0.1"}, {" [ [5] ] ", "W5"},
                               {"[[1,2],[3,4]]", "((W1 W2) (W3 W4))"}, {"[], 1, ,2", "(- W1 - W2)"},
                               {"2,5", "(W2 W5)"}})
        EXPECT_EQ(ParsedShape(text), shape) << text;
    for (const char* bad : {"[1,2", "1,2]", "[1,2] 3", "[1] [2]"})
        EXPECT_EQ(MessageOf([&] { ParseValue(bad); }), kBalance) << bad;
    for (const char* bad : {"abc", "1, [1, x]", "1 2", "f(1,2)", "{1}", "1e400", ","})
        EXPECT_EQ(MessageOf([&] { ParseValue(bad); }), kValue) << bad;
}

TEST(ParseValue, DeepNestingIsRefusedNotFatal) {
    const int ok = kMaxListDepth / 2, tooDeep = kMaxListDepth + 10;
    EXPECT_EQ(ParsedShape(std::string(ok, '[') + "1" + std::string(ok, ']')), "W1");
    EXPECT_EQ(MessageOf([&] { ParseValue(std::string(tooDeep, '[') + "1" + std::string(tooDeep, ']')); }), kValue);
    std::string lists = "1";
    for (int i = 0; i < tooDeep; ++i) lists = "[" + lists + ", 2]";
    EXPECT_EQ(MessageOf([&] { ParseValue(lists); }), kValue);
    // Hostile shapes give a result or the program's error, never a crash.
    for (const std::string& text : {std::string(20000, '['), std::string(20000, '{') + std::string(20000, '}')}) {
        MessageOf([&] { SplitList(text); });
        EXPECT_NE(MessageOf([&] { ParseValue(text); }), "");
        MessageOf([&] { LinesToText(TextToLines(text)); });
    }
}

TEST(Bracketing, UnbracketBracketJoinList) {
    EXPECT_EQ(Unbracket(" [1, 2] "), "1, 2");
    EXPECT_EQ(Unbracket("[1],[2]"), "[1],[2]");
    EXPECT_EQ(Unbracket("[1] 2"), "[1] 2");  // one item, but not one bracketed list
    EXPECT_EQ(Bracket(" 1, 2 "), "[1, 2]");
    EXPECT_EQ(Bracket("7"), "7");
    for (const char* s : {"1, 2", "[2, 0.5], 0.5", "7"}) EXPECT_EQ(Unbracket(Bracket(s)), s);
    EXPECT_EQ(JoinList({"4", "", "  ", "2, 0.5", " 0.25 "}), "4, [2, 0.5], 0.25");
    EXPECT_TRUE(IsList("1, 2"));
    EXPECT_FALSE(IsList("[1, 2]"));
    EXPECT_EQ(MessageOf([] { Bracket("[1"); }), kBalance);
}

TEST(TextToLines, IndentsToTheCharacterAfterTheOpeningBrace) {
    const std::string text = "{PARAMS={R=10.0, H=10.0}, BOUNDS={w_bot=0}}";
    EXPECT_THAT(TextToLines(text), ElementsAre("{PARAMS={R=10.0,", "         H=10.0},", " BOUNDS={w_bot=0}}"));
    EXPECT_EQ(LinesToText(TextToLines(text)), text);
    // Commas inside [ ] stay on the line; blanks after a break go.
    EXPECT_THAT(TextToLines("{A=[1, 2],    B=3}"), ElementsAre("{A=[1, 2],", " B=3}"));
    // "Ж" takes two bytes but one column.
    EXPECT_THAT(TextToLines("{Ж={a=1, b=2}}"), ElementsAre("{Ж={a=1,", "    b=2}}"));
    EXPECT_EQ(LinesToText({"  {A=1, ", "   B=2}  "}), "{A=1, B=2}");
    // A '}' without a block, and a comma outside every block, are not element text.
    for (const char* bad : {"{A=1}}", "1, 2", "{A=1}, {B=2}"})
        EXPECT_EQ(MessageOf([&] { TextToLines(bad); }), kBalance) << bad;
}

TEST(SmallHelpers, WordsAndPaths) {
    EXPECT_THAT(SplitWords("  Gauss   1e-5 x "), ElementsAre("Gauss", "1e-5", "x"));
    std::string head = "x", tail;
    SplitPath("w.Span1.more", head, tail);
    EXPECT_EQ(head + "|" + tail, "w|Span1.more");
    SplitPath("w", head, tail);
    EXPECT_EQ(head + "|" + tail, "|w");
}
