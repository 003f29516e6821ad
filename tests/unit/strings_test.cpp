#include "resources/strings.h"

#include <gtest/gtest.h>

TEST(Strings, NumberedTextsAreFoundAndGapsAreMissing) {
    EXPECT_STREQ(lntc::builtinString(32850), "Configuration Error");
    EXPECT_STREQ(lntc::builtinString(32775), "Xerox 8840C  (C-size)");
    EXPECT_EQ(lntc::builtinString(32783), nullptr);
    EXPECT_EQ(lntc::builtinString(0), nullptr);
}
