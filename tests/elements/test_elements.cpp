// Element lists and elements: the element text, reading it back, the change
// ripple, element arrays, the way up to the problem and the result listing,
// on an axisymmetric cylinder with its default items and a compound of spans
// held in an element array.
#include "domains/model_elements.h"
#include "elements/Elements.h"
#include "elements/MyStr.h"
#include "testutil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

using namespace zem;
using namespace zem::test;
using dmtest::TTestHost;
using ::testing::ElementsAre;

namespace {

class TElTestCyl : public TElement {
public:
    using TElement::TElement;
    std::string GetCaption() const override { return "Цилиндрическая оболочка. Радиальная осесимметричная нагрузка"; }
    std::string GetTypeName() const override { return "CylSym"; }
    void DeclareItems() override {
        Params().DeclareMany(&CreateItem<TElReal>, {"R", "H", "t", "E", "mu"}, {}, {},
                             {"10.0", "10.0", "0.01", "2.06e11", "0.3"});
        Bounds().DeclareMany(&CreateItem<TElValueList>, {"w_bot", "dw_bot", "Q1_top", "M1_top"}, {}, {},
                             {"0", "0", "0", "0"});
        Loads().DeclareMany(&CreateItem<TElValueList>, {"Uniform", "Gidr"}, {}, {}, {"", "10000"});
        Mesh().Declare<TElValueList>("mesh_x", "Integer/RealList", "", "4");
    }
    void ApplyLoad(const std::string& key, const TObject*) override { applied.push_back(key); }
    std::vector<std::string> applied;
};

class TElTestSpan : public TElement {
public:
    using TElement::TElement;
    std::string GetCaption() const override { return "Пояс"; }
    std::string GetTypeName() const override { return "CylSym"; }
    void DeclareItems() override {
        Params().DeclareMany(&CreateItem<TElReal>, {"H", "t"}, {}, {}, {});
        Loads().Declare<TElValueList>("Uniform", "Real", "", "");
        Mesh().Declare<TElValueList>("mesh_x", "Integer/RealList", "", "4");
    }
};

// Spans in ELEMS (an element array).
class TElTestComp : public TElement {
public:
    TElTestComp(TObject* owner, std::string key) : TElement(owner, std::move(key)) {
        auto elems = std::make_unique<TElemArray>(this, "ELEMS");
        elems->OnAddItem = [this] { AddSpan(); };
        AddItem(std::move(elems));
    }
    std::string GetCaption() const override { return "Ступенчатая оболочка"; }
    std::string GetTypeName() const override { return "CompCylSym"; }
    void DeclareItems() override {
        Params().DeclareMany(&CreateItem<TElReal>, {"R", "E", "mu"}, {}, {}, {"1.0", "2.01e11", "0.3"});
        Loads().Declare<TElValueList>("Gidr", "", "", "10000");
        Elems().ClearItems();
        AddSpan();
        AddSpan();
    }
    TElemArray& Elems() const { return dynamic_cast<TElemArray&>(Item(4)); }
    TElTestSpan& Span(int i) const { return dynamic_cast<TElTestSpan&>(Elems().Item(i)); }
    void AddSpan() {
        TElemArray& elems = Elems();
        elems.AddItem(std::make_unique<TElTestSpan>(&elems, "Span" + std::to_string(elems.Count() + 1)));
        Span(elems.Count() - 1).DeclareItems();
    }
};

// A new element of type T owned by Host, with its defaults declared and parsed.
template <class T>
std::unique_ptr<T> NewElement(TObject* host, const std::string& key) {
    auto e = std::make_unique<T>(host, key);
    e->DeclareItems();
    e->Parse();
    return e;
}

const std::string kCylText =
    "{PARAMS={R=10.0, H=10.0, t=0.01, E=2.06e11, mu=0.3}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, "
    "LOADS={Gidr=10000}, MESH={mesh_x=4}}";

// The text of a subtree written afresh from its leaves: an independent
// statement of the syntax to hold the rebuilt texts against. An element array
// writes every child, so that reading keeps their number.
std::string FromScratch(const TElemItem& item) {
    const auto* list = dynamic_cast<const TElemList*>(&item);
    if (list == nullptr) return item.Text();
    const bool array = dynamic_cast<const TElemArray*>(list) != nullptr;
    std::string s;
    for (int i = 0; i < list->Count(); ++i) {
        std::string text = FromScratch(list->Item(i));
        if (text.empty() && !array) continue;
        if (text.empty() && dynamic_cast<const TElemList*>(&list->Item(i))) text = "{}";
        s += (s.empty() ? "" : ", ") + list->ItemKey(i) + "=" + text;
    }
    return s.empty() ? s : "{" + s + "}";
}

void Leaves(TElemItem& item, std::vector<TElemItem*>& out) {
    if (auto* list = dynamic_cast<TElemList*>(&item))
        for (int i = 0; i < list->Count(); ++i) Leaves(list->Item(i), out);
    else
        out.push_back(&item);
}

std::string Printed(const std::string& text) { return LinesToText(TextToLines(text)); }

}  // namespace

TEST(Element, DefaultTexts) {
    TTestHost host;
    auto cyl = NewElement<TElTestCyl>(&host, "Shell");
    EXPECT_EQ(cyl->Text(), kCylText);
    EXPECT_EQ(TextToLines(cyl->Text())[5], " BOUNDS={w_bot=0,");

    auto comp = NewElement<TElTestComp>(&host, "Steps");
    EXPECT_EQ(comp->Text(),
              "{PARAMS={R=1.0, E=2.01e11, mu=0.3}, LOADS={Gidr=10000}, "
              "ELEMS={Span1={MESH={mesh_x=4}}, Span2={MESH={mesh_x=4}}}}");
    EXPECT_EQ(comp->Span(1).FindProblem(), &host);
}

TEST(Element, ReadingNamedTexts) {
    auto cyl = NewElement<TElTestCyl>(nullptr, "Shell");
    // Keys in texts ignore letter case (IndexOfKey does not); blanks around '=' do not matter.
    cyl->SetText("{params={r=5, H = 2.5}, MESH={MESH_X=[[2, 0.5], [2, 0.5]]}}");
    EXPECT_EQ(cyl->Text(), "{PARAMS={R=5, H=2.5}, MESH={mesh_x=[[2, 0.5], [2, 0.5]]}}");
    EXPECT_EQ(cyl->Params().IndexOfKey("r"), -1);
    // Regression: a section the text does not name loses its values too, so a
    // boundary condition removed from the text no longer acts.
    EXPECT_EQ(cyl->Bounds().ItemValue(0), nullptr);
    // A value the text gives is never dropped: a key given twice, a key no
    // item has, an entry without '=' (also a section's value landing in
    // another section through a misplaced brace) reject the text, which
    // leaves the element as it was.
    const std::string before = cyl->Text();
    for (const char* text : {"{PARAMS={R=1, r=2}}", "{PARAMS={R=1, X=3}}", "{PARAMS={R=1, junk}}",
                             "{PARAMS={R=1, MESH={mesh_x=65535}}}", "[{mesh_x=abc}, ]"}) {
        EXPECT_THROW(cyl->SetText(text), ZemError) << text;
        EXPECT_EQ(cyl->Text(), before);
    }
    try {
        cyl->SetText("{PARAMS={R=1}, MESH={mesh_x=4, MESH_X=65535}}");
        ADD_FAILURE() << "a second mesh_x read";
    } catch (const ZemError& e) {
        EXPECT_STREQ(e.what(), "Повторное имя MESH_X в MESH");
    }
    // Texts that leave items out still read.
    cyl->SetText("{PARAMS={R=1}}");
    EXPECT_EQ(cyl->Text(), "{PARAMS={R=1}}");
    cyl->SetLines(TextToLines(kCylText));
    EXPECT_EQ(cyl->Text(), kCylText);
    cyl->SetText("{}");
    EXPECT_EQ(cyl->Text(), "");
}

TEST(ElemList, PositionalTexts) {
    auto cyl = NewElement<TElTestCyl>(nullptr, "Shell");
    TElemList& params = cyl->Params();
    params.SetText("[1, 2]");
    EXPECT_TRUE(params.Positional());
    EXPECT_EQ(params.ItemText(1) + "|" + params.ItemText(2), "2|");
    const std::string own = params.Text();  // reads back to the same children
    params.SetText("{R=7, H=8, t=9}");
    EXPECT_FALSE(params.Positional());
    params.SetText(own);
    EXPECT_EQ(params.ItemText(0) + "|" + params.ItemText(1) + "|" + params.ItemText(2), "1|2|");
    EXPECT_EQ(MessageOf([&] { params.SetText("[1, 2, 3, 4, 5, 6]"); }), "Ошибка формата в PARAMS");
}

TEST(ElemList, FailuresAndTheirMessages) {
    auto cyl = NewElement<TElTestCyl>(nullptr, "Shell");
    // A rejected format leaves the list and its children as they were.
    for (const char* bad : {"R=5", "{R=5", "[R=5}", "{", " {R=5}"})
        EXPECT_EQ(MessageOf([&] { cyl->Params().SetText(bad); }), "Ошибка формата в PARAMS") << bad;
    EXPECT_EQ(cyl->Text(), kCylText);
    TElemList empty(nullptr, "X");
    EXPECT_EQ(MessageOf([&] { empty.SetText("{a=1}"); }), "X не определен");
    // Leaf messages pass through unchanged.
    EXPECT_EQ(MessageOf([&] { cyl->SetText("{PARAMS={R=abc}}"); }), "R: Ошибка численного значения");
    EXPECT_EQ(MessageOf([&] { cyl->SetText("{MESH={mesh_x=[1, 2}}"); }), "Нарушен баланс скобок");
    // Numbers asked of items that hold none.
    double x = -1;
    EXPECT_FALSE(cyl->Params().GetReal("Missing", x) || cyl->Loads().GetReal("Uniform", x));  // an empty item
    EXPECT_EQ(x, -1);
    cyl->Loads().Item(1).SetText("[10000, 5]");
    EXPECT_EQ(MessageOf([&] { cyl->Loads().GetReal("Gidr", x); }), "Ошибка значения");
    EXPECT_EQ(MessageOf([&] { cyl->Loads().ItemReal(0); }), "Ошибка значения");
}

TEST(Element, RippleKeepsTheRootTextEqualToTheTextFromScratch) {
    TTestHost host;
    auto cyl = NewElement<TElTestCyl>(&host, "Shell");
    auto comp = NewElement<TElTestComp>(&host, "Steps");
    comp->SetText("{ELEMS={Span1={PARAMS={H=1}}, Span2={PARAMS={H=2}}, Span3={PARAMS={H=3}}}}");
    const std::vector<std::string> values{"", "1", "2.5", "-0.5e3", "[1, 2]", "[[2, 0.5], 0.5]", "7"};
    std::mt19937 rng(20240601);
    for (TElement* root : std::vector<TElement*>{cyl.get(), comp.get()}) {
        std::vector<TElemItem*> leaves;
        Leaves(*root, leaves);
        for (int step = 0; step < 400; ++step) {
            TElemItem* leaf = leaves[rng() % leaves.size()];
            const std::string& v = values[rng() % values.size()];
            if (!MessageOf([&] { leaf->SetText(v); }).empty()) leaf->SetText("");  // a list in a number item
            ASSERT_EQ(root->Text(), FromScratch(*root)) << leaf->Key() << " := " << v;
            ASSERT_EQ(Printed(root->Text()), root->Text());
        }
        root->DeleteItem("BOUNDS");
        EXPECT_EQ(root->Text(), FromScratch(*root));
    }
}

TEST(ElemArray, SpansComeFromTheText) {
    auto comp = NewElement<TElTestComp>(nullptr, "Steps");
    const std::string three =
        "{PARAMS={R=2.0}, ELEMS={Span1={PARAMS={H=1, t=0.1}}, Span2={PARAMS={H=2}}, Span3={MESH={mesh_x=8}}}}";
    comp->SetText(three);
    EXPECT_EQ(comp->Text(), three);
    // Any order, any letter case; the spans are created in number order.
    comp->SetText("{ELEMS={span2={PARAMS={H=2}}, Span1={PARAMS={H=1}}}}");
    EXPECT_EQ(comp->Text(), "{ELEMS={Span1={PARAMS={H=1}}, Span2={PARAMS={H=2}}}}");
    EXPECT_EQ(MessageOf([&] { comp->SetText("{ELEMS={Span1={}, Span3={}}}"); }), "Span2не определен");
    // "{}" keeps the spans and empties them. Regression: an empty span keeps
    // its place in the text; leaving it out renumbered the spans after it.
    comp->Elems().SetText("{}");
    EXPECT_EQ(comp->Elems().Text(), "{Span1={}, Span2={}}");
    comp->SetText("{ELEMS={Span1={PARAMS={}}, Span2={PARAMS={H=2}}}}");
    EXPECT_EQ(comp->Text(), "{ELEMS={Span1={}, Span2={PARAMS={H=2}}}}");
    comp->SetText(comp->Text());
    EXPECT_EQ(comp->Span(1).Params().ItemText(0), "2");

    TElemArray bare(nullptr, "ELEMS");
    EXPECT_EQ(MessageOf([&] { bare.SetText("{Span1={}}"); }), "ELEMS не определен");
    bare.OnAddItem = [] {};  // adds nothing
    EXPECT_EQ(MessageOf([&] { bare.SetText("{Span1={}}"); }), "ELEMS не определен");
}

TEST(Element, AssignCopiesEveryValueAndEverySpan) {
    auto cyl = NewElement<TElTestCyl>(nullptr, "Shell");
    // Regression: a copy of a compound with more spans than the default gets
    // all of them (a clone of a three-span problem used to keep two).
    auto comp = NewElement<TElTestComp>(nullptr, "Steps");
    comp->SetText("{ELEMS={Span1={PARAMS={H=1}}, Span2={PARAMS={H=2}}, Span3={PARAMS={H=3}}}}");
    auto clone = NewElement<TElTestComp>(nullptr, "Steps");
    clone->Assign(*comp);
    EXPECT_EQ(clone->Text(), comp->Text());
    EXPECT_EQ(clone->Span(2).Owner(), &clone->Elems());
    EXPECT_THROW(cyl->Assign(cyl->Params().Item(0)), std::bad_cast);
}

TEST(Element, EveryLevelFindsTheProblem) {
    TTestHost host;
    auto comp = NewElement<TElTestComp>(&host, "Steps");
    EXPECT_EQ(comp->Span(1).FindProblem(), &host);
    TElTestCyl loose(nullptr, "Loose");
    EXPECT_EQ(loose.FindProblem(), nullptr);
}

TEST(Element, ApplyLoadsSkipsEmptyItems) {
    auto cyl = NewElement<TElTestCyl>(nullptr, "Shell");
    cyl->Loads().Item(0).SetText("5");
    cyl->ApplyLoads();
    cyl->Loads().Item(0).SetText("");
    cyl->ApplyLoads();
    EXPECT_THAT(cyl->applied, ElementsAre("Uniform", "Gidr", "Gidr"));
}

TEST(ListResultExpressions, CutsRequestsAtSemicolonsAndColons) {
    TElTestCyl cyl(nullptr, "Shell");
    std::vector<std::string> dest{"old"};
    ListResultExpressions(cyl, {"w(0); M1(1):", "", "Sig1", "(2);"}, dest);
    EXPECT_THAT(dest, ElementsAre("w(0) =  M1(1) = ", "", "", "Sig1 (2) = "));
    ListResultExpressions(cyl, {"  ;; ", "w;  "}, dest);
    EXPECT_THAT(dest, ElementsAre("", "w = "));
    EXPECT_EQ(MessageOf([&] { ListResultExpressions(cyl, {"w(0); M1"}, dest); }), "Ошибка в формате результатов");
}
