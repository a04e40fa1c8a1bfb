#include "platform/Executable.h"

#include <gtest/gtest.h>

namespace {

TEST(ExecutableTest, PathIsThisProgram) {
    const std::filesystem::path path = ExecutablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(path.is_absolute());
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(path.stem(), "corvanth_platform_tests");
    EXPECT_EQ(ExecutableDir(), path.parent_path());
}

TEST(ExecutableTest, VersionIsTheBuildsUnlessOverridden) {
    EXPECT_EQ(ExecutableVersion(), "1.0.1.11");
    OverrideExecutableVersion("");
    EXPECT_EQ(ExecutableVersion(), "");
    OverrideExecutableVersion(std::nullopt);
    EXPECT_EQ(ExecutableVersion(), "1.0.1.11");
}

} // namespace
