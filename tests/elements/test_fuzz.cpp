// The text parsers on arbitrary input: random and mutated texts (fixed seed)
// must give a result or the program's error, never a crash, a hang or another
// exception; an element that accepted a text must print and read it back.
#include "TestElements.h"

#include "elements/MyStr.h"

#include <gtest/gtest.h>

#include <random>

using namespace zem;
using namespace zem::test;

namespace {

const std::string kAlphabet = "{}[](),,,=== .-+eE0123456789RHtmuSpanELEMSPARAMSmesh_xЖ";
const std::vector<std::string> kSeeds = {
    "{PARAMS={R=10.0, H=10.0, t=0.01, E=2.06e11, mu=0.3}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, "
    "LOADS={Gidr=[10000, 5]}, MESH={mesh_x=[[2, 0.5], 0.5]}}",
    "{PARAMS={R=1.0}, ELEMS={Span1={PARAMS={H=1, t=0.1}}, Span2={MESH={mesh_x=8}}, Span3={}}}",
    "[1, 2, [3, 0.25]], f(1,2)",
    "{PARAMS=[1, 2, 3]}",
};

// True when F gives a result, false on a ZemError; anything else fails.
template <class F>
bool Survives(F&& f, const std::string& input) {
    try {
        f();
        return true;
    } catch (const ZemError&) {
        return false;
    } catch (const std::exception& e) {
        ADD_FAILURE() << "unexpected " << e.what() << " on: " << input;
        return false;
    }
}

int accepted = 0;  // element texts taken, to see that the acceptance paths run

void Feed(const std::string& text, const std::vector<TElement*>& elements) {
    Survives([&] { SplitList(text); }, text);
    Survives([&] { ParseValue(text); }, text);
    Survives([&] { LinesToText(TextToLines(text)); }, text);
    for (TElement* e : elements) {
        if (!Survives([&] { e->SetText(text); }, text)) continue;
        ++accepted;
        const std::string own = e->Text();
        EXPECT_EQ(LinesToText(TextToLines(own)), own) << "input: " << text;
        EXPECT_TRUE(Survives([&] { e->SetText(own); }, own)) << "input: " << text;
        EXPECT_EQ(e->Text(), own) << "input: " << text;
    }
}

}  // namespace

TEST(Fuzz, RandomAndMutatedTextsGiveAResultOrTheProgramsError) {
    auto cyl = NewElement<TElTestCyl>(nullptr, "Shell");
    auto comp = NewElement<TElTestComp>(nullptr, "Steps");
    std::mt19937 rng(12345);
    auto below = [&](std::size_t n) { return n == 0 ? 0 : rng() % n; };
    auto letter = [&] { return kAlphabet[below(kAlphabet.size())]; };
    for (int i = 0; i < 3000; ++i) {
        std::string random(below(80), ' ');
        for (char& c : random) c = letter();
        std::string mutated = kSeeds[below(kSeeds.size())];
        for (std::size_t k = 0, edits = 1 + below(6); k < edits; ++k) {
            const std::size_t at = below(mutated.size());
            switch (below(4)) {
                case 0: mutated.insert(at, 1, letter()); break;
                case 1: mutated.erase(at, 1 + below(4)); break;
                case 2: mutated.insert(at, mutated.substr(at, 1 + below(20))); break;
                default: mutated[at] = letter(); break;
            }
        }
        Feed(random, {cyl.get(), comp.get()});
        Feed(mutated, {cyl.get(), comp.get()});
    }
    // Most mutations misname an item, which rejects the text; enough are
    // still taken to run the acceptance paths.
    EXPECT_GT(accepted, 100);
    // After all the failures the elements still read a good text.
    cyl->SetText(kSeeds[0]);
    EXPECT_EQ(cyl->Text(), kSeeds[0]);
    comp->SetText(kSeeds[1]);
    EXPECT_EQ(comp->Elems().Count(), 3);
}

TEST(Fuzz, HostileShapesStayBounded) {
    auto cyl = NewElement<TElTestCyl>(nullptr, "Shell");
    auto comp = NewElement<TElTestComp>(nullptr, "Steps");
    const std::size_t n = 20000;
    for (const std::string& text :
         {std::string(n, '['), std::string(n, '{') + std::string(n, '}'), std::string(n, ','),
          "{MESH={mesh_x=" + std::string(n, '[') + "4" + std::string(n, ']') + "}}", "{PARAMS={" + std::string(n, '=') + "}}"})
        Feed(text, {cyl.get(), comp.get()});
}
