#include "elements/Elements.h"
#include "platform/errors.h"
#include "problem/PbTypes.h"
#include "testutil.h"

#include <cctype>

#include <gtest/gtest.h>

using namespace zem;

// Catalogue captions are Cyrillic but for the Latin C that begins the two
// stepped types; names are found exactly, or ignoring case; a slot without
// a built type is refused by name.
TEST(ProblemTypes, CaptionsMixLettersAsStored) {
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
