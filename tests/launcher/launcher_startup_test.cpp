#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "watch/launcher_startup.h"
#include "tests/posix/scratch_folder.h"

namespace k4 {
namespace {

namespace fs = std::filesystem;

const std::string kInstalled = "[Configuration]\nVID=0x10c4\nPID=0xea60\nRunOnStart=1\n"
                               "MainAppPath=/usr/lib/k4-data-transfer/\n";
const std::string kMainFile = "/usr/lib/k4-data-transfer/K4 Data Transfer Application";
const std::string kOptFile = "/opt/k4/K4 Data Transfer Application";

// A system-wide settings folder that the probe may only read, and the
// user's own folder; the probe runs as an ordinary user, as the launcher
// does in a session (root could write anywhere).
class SettingsWorld {
public:
    explicit SettingsWorld(const std::string& systemSettings)
    {
        fs::permissions(m_root.Path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec |
                                           fs::perms::group_read | fs::perms::others_read);
        const fs::path file = SystemFilePath();
        m_root.Write(file.lexically_relative(m_root.Path()).string(), systemSettings);
        fs::create_directories(m_root.Path() / "home");
        if (::geteuid() == 0) {
            Own(m_root.Path() / "home");
        } else {
            fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
            fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
        }
    }

    // As for an administrator who has made the file the user's to change.
    void LetTheProbeWriteTheSystemFile()
    {
        const fs::path file = SystemFilePath();
        if (::geteuid() == 0) {
            Own(file.parent_path());
            Own(file);
        } else {
            fs::permissions(file.parent_path(), fs::perms::owner_all);
            fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
        }
    }
    ~SettingsWorld()
    {
        std::error_code ignored;
        fs::permissions(m_root.Path() / "system/Tavrin Co", fs::perms::owner_all, ignored);
    }

    // The probe's line, the program files written "main" (the installed
    // one) or "opt" (in /opt/k4), e.g. "ran 1 1 main 0".
    std::string Probe(const std::string& startAnswer, const std::string& exitAnswer, const std::string& argument = "")
    {
        const std::string root = m_root.Path().string();
        std::string command = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
        command += "env HOME='" + root + "/home' XDG_CONFIG_HOME='" + root + "/home/.config' XDG_CONFIG_DIRS='" + root +
                   "/system' '" + K4_DOCKSTART_PROBE + "' " + startAnswer + " " + exitAnswer + " " + argument;
        std::string line = k4test::FirstLineOf(command);
        for (const auto& [file, name] : {std::pair{kMainFile, "main"}, {kOptFile, "opt"}})
            if (const std::size_t at = line.find(file); at != std::string::npos)
                line.replace(at, file.size(), name);
        return line;
    }

    fs::path SystemFilePath() const { return m_root.Path() / "system/Tavrin Co/K4 Data Transfer Application.conf"; }

    std::string SystemFile() const
    {
        std::ifstream in(SystemFilePath());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    static void Own(const fs::path& path) { ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0) << path; }

    k4test::ScratchFolder m_root;
};

// Starts in turn against one read-only system-wide file, which is never
// changed. Each step: the answers to the start and "Exit" questions (- skips
// "Exit"), the launcher's argument if any, and after ": " the probe's line.
TEST(LauncherSettings, StartsInTurn)
{
    const std::string longFolder =
        kInstalled.substr(0, kInstalled.find("MainAppPath")) + "MainAppPath=/" + std::string(1000, 'p') + "/\n";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        // "No" on Exit is kept as the user's own answer: the next start at
        // log-on ends at once; a start by hand asks again.
        {kInstalled,
         {"yn: ran 1 1 main 0", "y- WINSTART: ended 0 0 - 0", "y-: ran 1 1 main 1", "n- WINSTART: ran 0 1 main 1"}},
        {"[Configuration]\nVID=4292\nPID=60000\nRunOnStart=2\nMainAppPath=/opt/k4/\n",
         {"n-: ran 1 1 opt 0", "y- WINSTART: ended 0 0 - 0", "n- winstart: ran 1 1 opt 0",
          "n- other WINSTART: ran 1 1 opt 0"}}, // the log-on argument counts only first
        // Never set up: ends without asking, also on "Exit".
        {"[Configuration]\nVID=0x10c4\nPID=0xea60\nMainAppPath=/opt/k4/\n", {"ny: ended 0 0 - -"}},
        // Without the folder: sits in the tray, asks nothing at start, "Exit" still asks.
        {"[Configuration]\nVID=0x10c4\nPID=0xea60\nRunOnStart=0\n", {"ny: ran 1 0 - 1"}},
        {"[Configuration]\nPID=0xea60\nRunOnStart=1\nMainAppPath=/opt/k4/\n", {"ny: ended 0 0 - 1"}},
        {"[Configuration]\nVID=0x10c4\nRunOnStart=0\nMainAppPath=/opt/k4/\n", {"ny: ended 0 0 - 0"}},
        {longFolder, {"n-: ran 0 1 - 1"}}, // an over-long folder: watches, but starts nothing
    };
    for (const auto& [settings, steps] : cases) {
        SCOPED_TRACE(settings);
        SettingsWorld world(settings);
        for (const std::string& step : steps) {
            const std::size_t colon = step.find(": ");
            const std::string argument = colon > 3 ? step.substr(3, colon - 3) : "";
            EXPECT_EQ(world.Probe(step.substr(0, 1), step.substr(1, 1), argument), step.substr(colon + 2)) << step;
        }
        EXPECT_EQ(world.SystemFile(), settings) << "the system-wide file is not ours to change";
    }
}

TEST(LauncherSettings, WritableSystemFileTakesTheAnswerAndTheUsersOwnFollows)
{
    SettingsWorld world(kInstalled);
    EXPECT_EQ(world.Probe("y", "n"), "ran 1 1 main 0");
    world.LetTheProbeWriteTheSystemFile();
    EXPECT_EQ(world.Probe("y", "n"), "ran 2 1 main 0");
    EXPECT_NE(world.SystemFile().find("RunOnStart=0"), std::string::npos) << world.SystemFile();
    // The user's own "no" from before must not hide this "yes".
    EXPECT_EQ(world.Probe("y", "y"), "ran 2 1 main 1");
    EXPECT_EQ(world.Probe("n", "-", "WINSTART"), "ran 0 1 main 1");
}

} // namespace
} // namespace k4
