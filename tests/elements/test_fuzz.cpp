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

class TMutator {
public:
    explicit TMutator(unsigned seed) : rng_(seed) {}

    std::string Random() {
        std::string s;
        const std::size_t n = Below(80);
        for (std::size_t i = 0; i < n; ++i) s += Char();
        return s;
    }

    std::string Mutated() {
        std::string s = kSeeds[Below(kSeeds.size())];
        const std::size_t edits = 1 + Below(6);
        for (std::size_t k = 0; k < edits; ++k) {
            const std::size_t at = Below(s.size() + 1);
            switch (Below(4)) {
                case 0: s.insert(at, 1, Char()); break;
                case 1: if (at < s.size()) s.erase(at, 1 + Below(4)); break;
                case 2: if (at < s.size()) s.insert(at, s.substr(at, 1 + Below(20))); break;
                default: if (at < s.size()) s[at] = Char(); break;
            }
        }
        return s;
    }

private:
    std::size_t Below(std::size_t n) { return n == 0 ? 0 : rng_() % n; }
    char Char() { return kAlphabet[Below(kAlphabet.size())]; }
    std::mt19937 rng_;
};

// Runs F; a ZemError is an accepted answer, anything else fails the test.
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

int accepted = 0;  // element texts taken, to see that the acceptance paths are exercised

void Feed(const std::string& text, TElTestCyl& cyl, TElTestComp& comp) {
    Survives([&] { SplitList(text); }, text);
    Survives([&] { ParseValue(text); }, text);
    Survives([&] { LinesToText(TextToLines(text)); }, text);
    for (TElement* e : std::vector<TElement*>{&cyl, &comp}) {
        if (!Survives([&] { e->SetText(text); }, text)) continue;
        ++accepted;
        // An accepted text prints, joins and reads back to itself.
        const std::string own = e->Text();
        EXPECT_EQ(LinesToText(TextToLines(own)), own) << "input: " << text;
        EXPECT_TRUE(Survives([&] { e->SetText(own); }, own)) << "input: " << text << "\nown: " << own;
        EXPECT_EQ(e->Text(), own) << "input: " << text;
    }
}

}  // namespace

TEST(Fuzz, RandomAndMutatedTextsGiveAResultOrTheProgramsError) {
    auto cyl = NewElement<TElTestCyl>(nullptr, "Shell");
    auto comp = NewElement<TElTestComp>(nullptr, "Steps");
    TMutator mutator(12345);
    for (int i = 0; i < 3000; ++i) {
        Feed(mutator.Random(), *cyl, *comp);
        Feed(mutator.Mutated(), *cyl, *comp);
    }
    EXPECT_GT(accepted, 500);
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
         {std::string(n, '['), std::string(n, ']'), std::string(n, '{') + std::string(n, '}'),
          std::string(n, ','), "{MESH={mesh_x=" + std::string(n, '[') + "4" + std::string(n, ']') + "}}",
          "{PARAMS={" + std::string(n, '=') + "}}"})
        Feed(text, *cyl, *comp);
}
