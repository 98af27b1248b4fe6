#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

#include "platform/program_starter.h"
#include "tests/posix/scratch_folder.h"

namespace k4 {
namespace {

namespace fs = std::filesystem;

// Waits up to two seconds for `done`.
template <typename Done>
bool WaitFor(Done done)
{
    for (int i = 0; i < 200; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(SystemProgramStarter, DetachedWithoutArgumentsOrStreams)
{
    k4test::ScratchFolder folder;
    const fs::path report = folder.Path() / "report";
    // Reports its arguments, its standard streams and its session, then ends.
    const fs::path program = folder.Write(
        "K4 Data Transfer Application", "#!/bin/sh\n"
                                        "fds=$(for fd in 0 1 2; do echo \"fd$fd $(readlink /proc/$$/fd/$fd)\"; done)\n"
                                        "sid=$(sed 's/.*) //' /proc/$$/stat | cut -d' ' -f4)\n"
                                        "printf 'args %s\\n%s\\npid %s\\nsid %s\\n' $# \"$fds\" $$ $sid"
                                        " > \"$K4_STARTER_REPORT.part\"\n"
                                        "mv \"$K4_STARTER_REPORT.part\" \"$K4_STARTER_REPORT\"\n");
    fs::permissions(program, fs::perms::owner_all);
    ::setenv("K4_STARTER_REPORT", report.c_str(), 1);

    ASSERT_TRUE(SystemProgramStarter().Start(program.string()));
    ASSERT_TRUE(WaitFor([&] { return fs::exists(report); }));
    std::ifstream in(report);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    std::smatch found;
    ASSERT_TRUE(std::regex_match(
        text, found, std::regex("args 0\nfd0 /dev/null\nfd1 /dev/null\nfd2 /dev/null\npid ([0-9]+)\nsid \\1\n")))
        << text;
    // Reaped once it has ended: no zombie stays behind.
    const std::string pid = found[1];
    EXPECT_TRUE(WaitFor([&] { return !fs::exists("/proc/" + pid); })) << "process " << pid << " was not reaped";
}

TEST(SystemProgramStarter, FailsForWhatIsNoProgram)
{
    k4test::ScratchFolder folder;
    const fs::path notExecutable = folder.Write("plain", "#!/bin/sh\n");
    fs::permissions(notExecutable, fs::perms::owner_read | fs::perms::owner_write);
    for (const std::string& file :
         {(folder.Path() / "missing").string(), folder.Path().string(), notExecutable.string(), std::string()})
        EXPECT_FALSE(SystemProgramStarter().Start(file)) << file;
}

} // namespace
} // namespace k4
