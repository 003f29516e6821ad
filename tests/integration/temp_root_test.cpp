#include "support/temp_root.h"

#include <filesystem>
#include <gtest/gtest.h>

TEST(TempRoot, IsCreatedEmptyAndRemovedAfterwards) {
    std::string path;
    {
        lntc::test::TempRoot root;
        path = root.path();
        ASSERT_TRUE(std::filesystem::is_directory(path));
        EXPECT_TRUE(std::filesystem::is_empty(path));
        std::filesystem::create_directories(path + "/a/b");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}
