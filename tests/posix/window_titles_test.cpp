#include "platform/window_titles.h"

#include <csignal>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/posix/scratch_folder.h"

namespace {

// Every test gets its own runtime folder, so that windows of a program
// running beside the tests cannot answer for them.
class WindowTitlesTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_RUNTIME_DIR", m_runtime.Path().c_str(), 1); }

    // A child process that claims `title`, tells us, and then waits to be killed.
    static pid_t ClaimInChild(const std::string& title)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return -1;
        const pid_t child = ::fork();
        if (child == 0) {
            k4::WindowTitleClaim claim(title);
            (void)!::write(ready[1], "1", 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char byte = 0;
        const bool told = ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
        return told ? child : -1;
    }

    k4test::ScratchFolder m_runtime;
};

// A claim of another process counts, for exactly its title, until that
// process dies without a destructor running: the kernel must drop it.
TEST_F(WindowTitlesTest, AClaimOfAnotherProcessCountsForItsExactTitleUntilThatProcessDies)
{
    const std::string claimed = "K4 Data Transfer Application V2.0";
    const std::string longTitle(150, 'x'); // too long for a file name of its own
    EXPECT_FALSE(k4::WindowTitleExists(claimed));
    const pid_t child = ClaimInChild(claimed);
    ASSERT_GT(child, 0);
    k4::WindowTitleClaim longClaim(longTitle);
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
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(k4::WindowTitleExists(claimed));
}

TEST_F(WindowTitlesTest, ATitleShownTwiceStaysUntilBothClaimsEnd)
{
    const std::string title = "About K4 Data Transfer Application";
    std::optional<k4::WindowTitleClaim> first(std::in_place, title);
    {
        k4::WindowTitleClaim second(title); // in the same process, as two message boxes would be
        EXPECT_TRUE(k4::WindowTitleExists(title));
        first.reset();
        EXPECT_TRUE(k4::WindowTitleExists(title));
    }
    EXPECT_FALSE(k4::WindowTitleExists(title));
}

TEST_F(WindowTitlesTest, WithoutARuntimeFolderClaimsLiveInAPrivateFolderUnderTmp)
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
