// Element lists and elements: the element text, reading it back, the change
// ripple, element arrays, the way up to the problem and the result listing.
#include "TestElements.h"

#include "elements/MyStr.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

using namespace zem;
using namespace zem::test;
using ::testing::ElementsAre;

namespace {

const std::string kCylText =
    "{PARAMS={R=10.0, H=10.0, t=0.01, E=2.06e11, mu=0.3}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, "
    "LOADS={Gidr=10000}, MESH={mesh_x=4}}";

template <class F>
std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const ZemError& e) {
        return e.what();
    }
    return "(no error)";
}

// The named text of a subtree, written afresh from its leaves: an independent
// statement of the syntax, to hold the rebuilt texts against.
std::string FromScratch(const TElemItem& item) {
    const auto* list = dynamic_cast<const TElemList*>(&item);
    if (list == nullptr) return item.Text();
    std::vector<std::string> entries;
    for (int i = 0; i < list->Count(); ++i) {
        const std::string text = FromScratch(list->Item(i));
        if (!text.empty()) entries.push_back(list->ItemKey(i) + "=" + text);
    }
    if (entries.empty()) return "";
    std::string s = "{" + entries[0];
    for (std::size_t i = 1; i < entries.size(); ++i) s += ", " + entries[i];
    return s + "}";
}

// Every leaf of a subtree, depth first.
void Leaves(TElemItem& item, std::vector<TElemItem*>& out) {
    if (auto* list = dynamic_cast<TElemList*>(&item)) {
        for (int i = 0; i < list->Count(); ++i) Leaves(list->Item(i), out);
    } else {
        out.push_back(&item);
    }
}

std::string Printed(const std::string& text) { return LinesToText(TextToLines(text)); }

}  // namespace

TEST(Element, DefaultCylinderText) {
    TTestHost host;
    auto cyl = NewElement<TElTestCyl>(&host, "Shell");
    EXPECT_EQ(cyl->Text(), kCylText);
    EXPECT_EQ(cyl->TypeName(), "CylSym");
    EXPECT_EQ(cyl->Caption(), "Цилиндрическая оболочка. Радиальная осесимметричная нагрузка");
    EXPECT_EQ(cyl->FindProblem(), &host);
    ASSERT_EQ(cyl->Count(), 4);
    EXPECT_THAT((std::vector{cyl->ItemKey(0), cyl->ItemKey(1), cyl->ItemKey(2), cyl->ItemKey(3)}),
                ElementsAre("PARAMS", "BOUNDS", "LOADS", "MESH"));
    EXPECT_EQ(cyl->Params().Item(4).Caption(), "Коэфициент Пуассона");
    EXPECT_EQ(cyl->Mesh().Item(0).TypeName(), "Integer/RealList");
    EXPECT_EQ(Printed(cyl->Text()), cyl->Text());
    const std::vector<std::string> lines = TextToLines(cyl->Text());
    EXPECT_EQ(lines[1], "         H=10.0,");
    EXPECT_EQ(lines[5], " BOUNDS={w_bot=0,");
}

TEST(Element, DefaultCompoundTextAndSpans) {
    TTestHost host;
    auto comp = NewElement<TElTestComp>(&host, "Steps");
    EXPECT_EQ(comp->Text(),
              "{PARAMS={R=1.0, E=2.01e11, mu=0.3}, LOADS={Gidr=10000}, "
              "ELEMS={Span1={MESH={mesh_x=4}}, Span2={MESH={mesh_x=4}}}}");
    EXPECT_EQ(Printed(comp->Text()), comp->Text());
    EXPECT_EQ(comp->Span(1).FindProblem(), &host);
    EXPECT_EQ(comp->Span(1).Params().Item(0).Caption(), "Высота пояса (м)");
}

TEST(Element, ReadingNamedTexts) {
    auto cyl = NewElement<TElTestCyl>(nullptr, "Shell");
    // Keys in texts ignore letter case; blanks around '=' do not matter.
    cyl->SetText("{params={r=5, H = 2.5}, MESH={MESH_X=[[2, 0.5], [2, 0.5]]}}");
    EXPECT_EQ(cyl->Text(), "{PARAMS={R=5, H=2.5}, MESH={mesh_x=[[2, 0.5], [2, 0.5]]}}");
    EXPECT_EQ(cyl->Params().ItemReal(1), 2.5);
    EXPECT_EQ(cyl->Params().IndexOfKey("r"), -1);
    EXPECT_EQ(cyl->Params().IndexOfKey("R"), 0);
    // Regression: a section the text does not name loses its values too, so a
    // boundary condition removed from the text no longer acts.
    EXPECT_EQ(cyl->Bounds().Text(), "");
    EXPECT_EQ(cyl->Bounds().ItemValue(0), nullptr);
    // The first entry for a key wins; unknown keys and entries without '=' are ignored.
    cyl->SetText("{PARAMS={R=1, r=2, X=3, junk}}");
    EXPECT_EQ(cyl->Text(), "{PARAMS={R=1}}");
    cyl->SetText("{PARAMS={X=1}}");
    EXPECT_EQ(cyl->Text(), "");
    EXPECT_EQ(cyl->Params().ItemValue(0), nullptr);
    cyl->SetText(kCylText);
    cyl->SetText("{}");
    EXPECT_EQ(cyl->Text(), "");
    cyl->SetLines(TextToLines(kCylText));
    EXPECT_EQ(cyl->Text(), kCylText);
}

TEST(ElemList, PositionalTexts) {
    auto cyl = NewElement<TElTestCyl>(nullptr, "Shell");
    TElemList& params = cyl->Params();
    params.SetText("[1, 2]");
    EXPECT_TRUE(params.Positional());
    EXPECT_EQ(params.ItemText(0), "1");
    EXPECT_EQ(params.ItemText(1), "2");
    EXPECT_EQ(params.ItemText(2), "");
    // The list's own text reads back to the same children.
    const std::string own = params.Text();
    params.SetText("{R=7, H=8, t=9}");
    EXPECT_FALSE(params.Positional());
    params.SetText(own);
    EXPECT_EQ(params.ItemText(0), "1");
    EXPECT_EQ(params.ItemText(1), "2");
    EXPECT_EQ(params.ItemText(2), "");
    params.SetText("[]");
    EXPECT_EQ(params.ItemText(0), "");
    EXPECT_EQ(MessageOf([&] { params.SetText("[1, 2, 3, 4, 5, 6]"); }), "Ошибка формата в PARAMS");
}

TEST(ElemList, FormatErrorsLeaveTheListAsItWas) {
    auto cyl = NewElement<TElTestCyl>(nullptr, "Shell");
    for (const char* bad : {"R=5", "{R=5", "[R=5}", "{", " {R=5}"})
        EXPECT_EQ(MessageOf([&] { cyl->Params().SetText(bad); }), "Ошибка формата в PARAMS") << bad;
    EXPECT_EQ(cyl->Params().ItemText(0), "10.0");
    EXPECT_EQ(cyl->Text(), kCylText);
    EXPECT_EQ(MessageOf([&] { cyl->SetText("PARAMS={R=1}"); }), "Ошибка формата в Shell");

    TElemList empty(nullptr, "X");
    EXPECT_EQ(MessageOf([&] { empty.SetText("{a=1}"); }), "X не определен");
    empty.SetText("{}");
    EXPECT_EQ(empty.Text(), "");
    // Leaf messages pass through unchanged.
    EXPECT_EQ(MessageOf([&] { cyl->SetText("{PARAMS={R=abc}}"); }), "Ошибка численного значения");
    EXPECT_EQ(MessageOf([&] { cyl->SetText("{MESH={mesh_x=[1, 2}}"); }), "Нарушен баланс скобок");
}

TEST(ElemList, ChildAccessAndNumbers) {
    auto cyl = NewElement<TElTestCyl>(nullptr, "Shell");
    TElemList& params = cyl->Params();
    double x = -1;
    EXPECT_TRUE(params.GetReal("E", x));
    EXPECT_EQ(x, 2.06e11);
    x = -1;
    EXPECT_FALSE(params.GetReal("Missing", x));
    EXPECT_FALSE(cyl->Loads().GetReal("Uniform", x));  // empty item
    EXPECT_EQ(x, -1);
    cyl->Loads().Item(1).SetText("[10000, 5]");
    EXPECT_EQ(MessageOf([&] { cyl->Loads().GetReal("Gidr", x); }), "Ошибка значения");
    EXPECT_EQ(MessageOf([&] { cyl->Loads().ItemReal(0); }), "Ошибка значения");
    EXPECT_EQ(params.IndexOfItem(&params.Item(2)), 2);
    EXPECT_EQ(params.IndexOfItem(cyl.get()), -1);

    params.DeleteItem("H");
    EXPECT_EQ(params.Text(), "{R=10.0, t=0.01, E=2.06e11, mu=0.3}");
    EXPECT_EQ(cyl->Text(), FromScratch(*cyl));
    params.ReplaceItem(0, std::make_unique<TElReal>(&params, "R2"));
    EXPECT_EQ(params.ItemKey(0), "R2");
    params.ClearItems();
    EXPECT_EQ(params.Count(), 0);
    EXPECT_THROW(params.Item(0), std::out_of_range);
}

TEST(Element, RippleKeepsTheRootTextEqualToTheTextFromScratch) {
    TTestHost host;
    auto cyl = NewElement<TElTestCyl>(&host, "Shell");
    auto comp = NewElement<TElTestComp>(&host, "Steps");
    comp->SetText("{ELEMS={Span1={PARAMS={H=1}}, Span2={PARAMS={H=2}}, Span3={PARAMS={H=3}}}}");
    ASSERT_EQ(comp->Elems().Count(), 3);
    const std::vector<std::string> values{"", "1", "2.5", "-0.5e3", "[1, 2]", "[[2, 0.5], 0.5]", "7"};
    std::mt19937 rng(20240601);
    for (TElement* root : std::vector<TElement*>{cyl.get(), comp.get()}) {
        std::vector<TElemItem*> leaves;
        Leaves(*root, leaves);
        for (int step = 0; step < 400; ++step) {
            TElemItem* leaf = leaves[rng() % leaves.size()];
            const std::string& v = values[rng() % values.size()];
            try {
                leaf->SetText(v);
            } catch (const ZemError&) {
                leaf->SetText("");  // a list text in a real item: put it right
            }
            ASSERT_EQ(root->Text(), FromScratch(*root)) << leaf->Key() << " := " << v;
            ASSERT_EQ(Printed(root->Text()), root->Text());
        }
        // A fresh element reading the text gets the same text.
        std::unique_ptr<TElement> fresh;
        if (root == cyl.get())
            fresh = NewElement<TElTestCyl>(&host, "Shell");
        else
            fresh = NewElement<TElTestComp>(&host, "Steps");
        fresh->SetText(root->Text());
        EXPECT_EQ(fresh->Text(), root->Text());
    }
}

TEST(ElemArray, SpansComeFromTheText) {
    auto comp = NewElement<TElTestComp>(nullptr, "Steps");
    const std::string three =
        "{PARAMS={R=2.0}, ELEMS={Span1={PARAMS={H=1, t=0.1}}, Span2={PARAMS={H=2}}, Span3={MESH={mesh_x=8}}}}";
    comp->SetText(three);
    ASSERT_EQ(comp->Elems().Count(), 3);
    EXPECT_EQ(comp->Span(2).Mesh().ItemText(0), "8");
    EXPECT_EQ(comp->Text(), three);
    EXPECT_EQ(Printed(comp->Text()), three);
    // Any order, any letter case; the spans are created in number order.
    comp->SetText("{ELEMS={span2={PARAMS={H=2}}, Span1={PARAMS={H=1}}}}");
    ASSERT_EQ(comp->Elems().Count(), 2);
    EXPECT_EQ(comp->Span(0).Key(), "Span1");
    EXPECT_EQ(comp->Span(0).Params().ItemReal(0), 1.0);
    EXPECT_EQ(comp->Text(), "{ELEMS={Span1={PARAMS={H=1}}, Span2={PARAMS={H=2}}}}");
    // The entries must carry the generated keys.
    EXPECT_EQ(MessageOf([&] { comp->SetText("{ELEMS={Span1={}, Span3={}}}"); }), "Span2не определен");
    // "{}" keeps the spans and empties them.
    comp->SetText("{ELEMS={Span1={PARAMS={H=1}}, Span2={}, Span3={}}}");
    comp->Elems().SetText("{}");
    EXPECT_EQ(comp->Elems().Count(), 3);
    EXPECT_EQ(comp->Elems().Text(), "");

    TElemArray bare(nullptr, "ELEMS");
    EXPECT_EQ(MessageOf([&] { bare.SetText("{Span1={}}"); }), "ELEMS не определен");
    bare.OnAddItem = [] {};  // adds nothing
    EXPECT_EQ(MessageOf([&] { bare.SetText("{Span1={}}"); }), "ELEMS не определен");
}

TEST(Element, AssignCopiesEveryValueAndEverySpan) {
    auto cyl = NewElement<TElTestCyl>(nullptr, "Shell");
    cyl->SetText("{PARAMS={R=3}, LOADS={Uniform=[1, 2]}}");
    auto copy = NewElement<TElTestCyl>(nullptr, "Shell");
    copy->Assign(*cyl);
    EXPECT_EQ(copy->Text(), cyl->Text());
    EXPECT_NE(copy->Loads().ItemValue(0), cyl->Loads().ItemValue(0));

    // Regression: a copy of a compound with more spans than the default must
    // get all of them (a clone of a three-span problem used to keep two).
    auto comp = NewElement<TElTestComp>(nullptr, "Steps");
    comp->SetText("{ELEMS={Span1={PARAMS={H=1}}, Span2={PARAMS={H=2}}, Span3={PARAMS={H=3}}}}");
    auto clone = NewElement<TElTestComp>(nullptr, "Steps");
    clone->Assign(*comp);
    EXPECT_EQ(clone->Elems().Count(), 3);
    EXPECT_EQ(clone->Text(), comp->Text());
    EXPECT_EQ(clone->Span(2).Owner(), &clone->Elems());
    EXPECT_THROW(cyl->Assign(cyl->Params().Item(0)), std::bad_cast);
}

TEST(Element, AssemblyRequestsTravelUpWithTheSpanOffsets) {
    TTestHost host;
    auto comp = NewElement<TElTestComp>(&host, "Steps");
    comp->Span(1).AddCoef(nullptr, 3, 1.5L);
    comp->Span(0).AddCoef(nullptr, 3, 0.5L);
    comp->Span(1).AddCoef(nullptr, 3, 1.0L);
    comp->Span(1).Params().AddCoef(nullptr, 4, 0.0L);  // a zero adds nothing
    EXPECT_THAT(host.row, ElementsAre(std::pair<const std::size_t, Extended>{3, 0.5L},
                                      std::pair<const std::size_t, Extended>{13, 2.5L}));
    comp->Span(1).AddFree(-2);
    comp->AddFree(0.5);
    EXPECT_EQ(host.freeTerm, -1.5L);
    EXPECT_EQ(comp->Span(1).GetUnknown(nullptr, 2), 1012.0L);

    TElTestCyl loose(nullptr, "Loose");
    EXPECT_THROW(loose.AddCoef(nullptr, 0, 1), std::logic_error);
    EXPECT_THROW(loose.GetUnknown(nullptr, 0), std::logic_error);
    EXPECT_EQ(loose.FindProblem(), nullptr);
}

TEST(Element, WindowsOpenThroughTheProblem) {
    TTestHost host;
    auto comp = NewElement<TElTestComp>(&host, "Steps");
    auto& span = comp->Span(0);
    span.TableInputs = span.GraphInputs = {"Радиальная нагрузка"};
    span.TableResults = span.GraphResults = {"w", "M1"};
    span.ShowInputTable(0);
    span.ShowResultTable(1);
    span.ShowInputGraph(0);
    span.ShowResultGraph(0);
    EXPECT_THAT(host.shown, ElementsAre("table Span1 0 Исходные (Радиальная нагрузка) .txt",
                                        "table Span1 101 Результаты (M1) .txt",
                                        "graph Span1 0 Исходные (Радиальная нагрузка)",
                                        "graph Span1 100 Результаты (w)"));
    EXPECT_THROW(span.ShowResultTable(2), std::out_of_range);
}

TEST(Element, ApplyLoadsSkipsEmptyItems) {
    auto cyl = NewElement<TElTestCyl>(nullptr, "Shell");
    cyl->ApplyLoads();
    EXPECT_THAT(cyl->applied, ElementsAre("Gidr"));
    cyl->applied.clear();
    cyl->Loads().Item(0).SetText("5");
    cyl->ApplyLoads();
    EXPECT_THAT(cyl->applied, ElementsAre("Uniform", "Gidr"));
}

TEST(ListResultExpressions, CutsRequestsAtSemicolonsAndColons) {
    TElTestCyl cyl(nullptr, "Shell");
    std::vector<std::string> dest{"old"};
    ListResultExpressions(cyl, {"w(0); M1(1):", "", "Sig1", "(2);"}, dest);
    EXPECT_THAT(dest, ElementsAre("w(0) =  M1(1) = ", "", "", "Sig1 (2) = "));
    ListResultExpressions(cyl, {}, dest);
    EXPECT_TRUE(dest.empty());
    ListResultExpressions(cyl, {"  ;; ", "w;  "}, dest);
    EXPECT_THAT(dest, ElementsAre("", "w = "));
    EXPECT_EQ(MessageOf([&] { ListResultExpressions(cyl, {"w(0); M1"}, dest); }), "Ошибка в формате результатов");
}
