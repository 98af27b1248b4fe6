#include "platform/window_titles.h"

#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/posix/scratch_folder.h"

namespace {

// A flock belongs to the open file, not the process, so claims of this
// process stand for those of another instance; the kernel drops a killed
// one's with its files. A runtime folder of the test's own keeps windows of
// a program running beside the tests out.
TEST(WindowTitlesTest, AClaimCountsForItsExactTitleWhileAnyClaimOfItLives)
{
    k4test::ScratchFolder runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    const std::string claimed = "K4 Data Transfer Application V2.0";
    const std::string longTitle(150, 'x'); // too long for a file name of its own
    EXPECT_FALSE(k4::WindowTitleExists(claimed));
    {
        std::optional<k4::WindowTitleClaim> first(std::in_place, claimed);
        const k4::WindowTitleClaim second(claimed); // two message boxes, two instances' windows
        const k4::WindowTitleClaim longClaim(longTitle);
        const std::pair<std::string, bool> cases[] = {
            {claimed, true},
            {"K4 Data Transfer Application", false}, // a prefix
            {claimed + " ", false},
            {"k4 data transfer application v2.0", false}, // case matters
            {"", false},
            {longTitle, true},
            {longTitle.substr(1) + "y", false}, // same length, other text
            {longTitle + "x", false},
        };
        for (const auto& [title, exists] : cases)
            EXPECT_EQ(k4::WindowTitleExists(title), exists) << '"' << title << '"';
        first.reset();
        EXPECT_TRUE(k4::WindowTitleExists(claimed)) << "one of two claims ended";
    }
    EXPECT_FALSE(k4::WindowTitleExists(claimed));
    ::unsetenv("XDG_RUNTIME_DIR");
}

TEST(WindowTitlesTest, WithoutARuntimeFolderClaimsLiveInAPrivateFolderUnderTmp)
{
    ::unsetenv("XDG_RUNTIME_DIR");
    const std::string title = "k4-posix-test-" + std::to_string(::getpid());
    {
        k4::WindowTitleClaim claim(title);
        EXPECT_TRUE(k4::WindowTitleExists(title));
    }
    EXPECT_FALSE(k4::WindowTitleExists(title));
    struct stat info {};
    ASSERT_EQ(::stat(("/tmp/k4-runtime-" + std::to_string(::getuid())).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

} // namespace
