#include "elements/Elements.h"
#include "platform/errors.h"
#include "problem/PbTypes.h"
#include "testutil.h"

#include <cctype>

#include <gtest/gtest.h>

using namespace zem;

TEST(ProblemTypes, FixedOrderAndExactBytes) {
    const char* names[] = {"CylSym",   "CylSym2",  "CompCylSym", "CylTech", "CylTech2_1",
                           "CylTech2_2", "CompCylTech", "CylLave", "CylPanel", "CylLaveP",
                           "Ring",     "Ring2",    "RingP",      "CylRing", "CylRingP"};
    for (int i = 0; i < kProblemTypeCount; ++i) EXPECT_EQ(ProblemTypeName(i), names[i]);
    // The two stepped types begin with a Latin C; every other letter is Cyrillic.
    for (int i = 0; i < kProblemTypeCount; ++i) {
        const std::string& c = ProblemTypeCaption(i);
        EXPECT_EQ(std::isalpha(static_cast<unsigned char>(c[0])) != 0, i == 2 || i == 6) << c;
        for (std::size_t k = 1; k < c.size(); ++k)
            EXPECT_FALSE(std::isalpha(static_cast<unsigned char>(c[k]))) << i << ": " << c;
    }
}

TEST(ProblemTypes, LookUpByNameExactOrIgnoringCase) {
    EXPECT_EQ(ProblemTypeByName("CompCylTech"), 6);
    EXPECT_EQ(ProblemTypeByName("cylsym"), -1);
    EXPECT_EQ(ProblemTypeByNameNoCase("cylsym"), 0);
    EXPECT_EQ(ProblemTypeByName(""), -1);
}

TEST(ProblemTypes, UnbuiltTypeIsRefusedClearly) {
    ASSERT_FALSE(ProblemTypeAvailable(14));
    EXPECT_NE(test::MessageOf([] { CreateProblemElement(14, nullptr, "x"); }).find("CylRingP"), std::string::npos);
    EXPECT_THROW(CreateProblemElement(15, nullptr, "x"), ZemError);
}
