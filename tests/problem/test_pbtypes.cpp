#include "elements/Elements.h"
#include "platform/errors.h"
#include "problem/PbTypes.h"

#include <gtest/gtest.h>

using namespace zem;

TEST(ProblemTypes, FixedOrderAndExactBytes) {
    const char* names[] = {"CylSym",   "CylSym2",  "CompCylSym", "CylTech", "CylTech2_1",
                           "CylTech2_2", "CompCylTech", "CylLave", "CylPanel", "CylLaveP",
                           "Ring",     "Ring2",    "RingP",      "CylRing", "CylRingP"};
    for (int i = 0; i < kProblemTypeCount; ++i) EXPECT_EQ(ProblemTypeName(i), names[i]);
    // The two stepped types begin with a Latin C; every other letter is Cyrillic.
    EXPECT_EQ(ProblemTypeCaption(2)[0], 'C');
    EXPECT_EQ(ProblemTypeCaption(6)[0], 'C');
    EXPECT_EQ(ProblemTypeCaption(0).rfind("\xD0\xA6", 0), 0u);  // Cyrillic Ц
    for (int i = 0; i < kProblemTypeCount; ++i) {
        const std::string& c = ProblemTypeCaption(i);
        for (std::size_t k = (i == 2 || i == 6) ? 1 : 0; k < c.size(); ++k) {
            char ch = c[k];
            EXPECT_FALSE((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z')) << i << ": " << c;
        }
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
    try {
        CreateProblemElement(14, nullptr, "x");
        FAIL();
    } catch (const ZemError& e) {
        EXPECT_NE(std::string(e.what()).find("CylRingP"), std::string::npos);
    }
    EXPECT_THROW(CreateProblemElement(15, nullptr, "x"), ZemError);
}
