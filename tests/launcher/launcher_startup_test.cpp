#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "watch/launcher_startup.h"
#include "tests/posix/scratch_folder.h"

namespace k4 {
namespace {

namespace fs = std::filesystem;

TEST(LauncherStartup, OutcomeTable)
{
    using O = StartupOutcome;
    const std::optional<std::uint32_t> missing;
    struct Case {
        std::vector<std::string> arguments;
        std::optional<std::uint32_t> runOnStart;
        O outcome;
    } cases[] = {
        {{"WINSTART"}, missing, O::End},
        {{"WINSTART"}, 1u, O::Run},
        {{"WINSTART"}, 0u, O::End},
        {{"WINSTART"}, 2u, O::End},
        {{"WINSTART", "extra"}, 1u, O::Run},
        {{}, missing, O::End},
        {{}, 1u, O::Run},
        {{}, 0u, O::RunAndAskFirst},
        {{}, 2u, O::RunAndAskFirst},
        // Not the log-on argument: a start by hand.
        {{"winstart"}, missing, O::End},
        {{"winstart"}, 1u, O::Run},
        {{"winstart"}, 0u, O::RunAndAskFirst},
        {{"winstart"}, 2u, O::RunAndAskFirst},
        {{"WINSTART "}, 0u, O::RunAndAskFirst},
        {{"other", "WINSTART"}, 0u, O::RunAndAskFirst},
    };
    for (const Case& c : cases) {
        const std::string what = (c.arguments.empty() ? "" : c.arguments[0]) + " / " +
                                 (c.runOnStart ? std::to_string(*c.runOnStart) : "missing");
        EXPECT_EQ(DecideStartup(IsLogOnStart(c.arguments), c.runOnStart), c.outcome) << what;
    }
}

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

    // The probe's line, e.g. "ran questions=1 watch=1 file=... stored=0".
    std::string Probe(const std::string& startAnswer, const std::string& exitAnswer, const std::string& argument = "")
    {
        const std::string root = m_root.Path().string();
        std::string command = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
        command += "env HOME='" + root + "/home' XDG_CONFIG_HOME='" + root + "/home/.config' XDG_CONFIG_DIRS='" + root +
                   "/system' '" + K4_DOCKSTART_PROBE + "' " + startAnswer + " " + exitAnswer + " " + argument;
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
        std::array<char, 2048> line{};
        std::string out = pipe && std::fgets(line.data(), line.size(), pipe.get()) ? line.data() : "";
        if (!out.empty() && out.back() == '\n')
            out.pop_back();
        return out;
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

const std::string kInstalled = "[Configuration]\nVID=0x10c4\nPID=0xea60\nRunOnStart=1\n"
                               "MainAppPath=/usr/lib/k4-data-transfer/\n";
const std::string kMainFile = "/usr/lib/k4-data-transfer/K4 Data Transfer Application";

TEST(LauncherSettings, NoOnExitIsKeptAsTheUsersOwnAnswer)
{
    SettingsWorld world(kInstalled);
    EXPECT_EQ(world.Probe("y", "n"), "ran questions=1 watch=1 file=" + kMainFile + " stored=0");
    EXPECT_EQ(world.SystemFile(), kInstalled) << "the system-wide file is not ours to change";
    // The next start at log-on ends at once; a start by hand asks again.
    EXPECT_EQ(world.Probe("y", "-", "WINSTART"), "ended questions=0 watch=0 file=- stored=0");
    EXPECT_EQ(world.Probe("y", "-"), "ran questions=1 watch=1 file=" + kMainFile + " stored=1");
    EXPECT_EQ(world.Probe("n", "-", "WINSTART"), "ran questions=0 watch=1 file=" + kMainFile + " stored=1");
}

TEST(LauncherSettings, NoAtAStartByHand)
{
    SettingsWorld world("[Configuration]\nVID=4292\nPID=60000\nRunOnStart=2\nMainAppPath=/opt/k4/\n");
    EXPECT_EQ(world.Probe("n", "-"), "ran questions=1 watch=1 file=/opt/k4/K4 Data Transfer Application stored=0");
    EXPECT_EQ(world.Probe("y", "-", "WINSTART"), "ended questions=0 watch=0 file=- stored=0");
    EXPECT_EQ(world.Probe("n", "-", "winstart"),
              "ran questions=1 watch=1 file=/opt/k4/K4 Data Transfer Application stored=0");
}

TEST(LauncherSettings, WritableSystemFileTakesTheAnswerAndTheUsersOwnFollows)
{
    SettingsWorld world(kInstalled);
    EXPECT_EQ(world.Probe("y", "n"), "ran questions=1 watch=1 file=" + kMainFile + " stored=0");
    world.LetTheProbeWriteTheSystemFile();
    EXPECT_EQ(world.Probe("y", "n"), "ran questions=2 watch=1 file=" + kMainFile + " stored=0");
    EXPECT_NE(world.SystemFile().find("RunOnStart=0"), std::string::npos) << world.SystemFile();
    // The user's own "no" from before must not hide this "yes".
    EXPECT_EQ(world.Probe("y", "y"), "ran questions=2 watch=1 file=" + kMainFile + " stored=1");
    EXPECT_EQ(world.Probe("n", "-", "WINSTART"), "ran questions=0 watch=1 file=" + kMainFile + " stored=1");
}

TEST(LauncherSettings, WhatIsMissing)
{
    struct Case {
        const char* settings;
        const char* line;
    } cases[] = {
        // Never set up: ends without asking, also on "Exit".
        {"[Configuration]\nVID=0x10c4\nPID=0xea60\nMainAppPath=/opt/k4/\n",
         "ended questions=0 watch=0 file=- stored=-"},
        // Without the folder: sits in the tray, asks nothing at start, "Exit" still asks.
        {"[Configuration]\nVID=0x10c4\nPID=0xea60\nRunOnStart=0\n", "ran questions=1 watch=0 file=- stored=1"},
        {"[Configuration]\nPID=0xea60\nRunOnStart=1\nMainAppPath=/opt/k4/\n",
         "ended questions=0 watch=0 file=- stored=1"},
        {"[Configuration]\nVID=0x10c4\nRunOnStart=0\nMainAppPath=/opt/k4/\n",
         "ended questions=0 watch=0 file=- stored=0"},
    };
    for (const Case& c : cases) {
        SettingsWorld world(c.settings);
        EXPECT_EQ(world.Probe("n", "y"), c.line) << c.settings;
    }
}

TEST(LauncherSettings, OverLongFolderWatchesButStartsNothing)
{
    SettingsWorld world(kInstalled.substr(0, kInstalled.find("MainAppPath")) + "MainAppPath=/" +
                        std::string(1000, 'p') + "/\n");
    EXPECT_EQ(world.Probe("n", "-"), "ran questions=0 watch=1 file=- stored=1");
}

} // namespace
} // namespace k4
