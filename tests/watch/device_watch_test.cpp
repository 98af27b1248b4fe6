#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/path_rules.h"
#include "platform/system_bridges.h"
#include "tests/link/fakes.h"
#include "watch/device_watch.h"

#ifndef _WIN32
#include <sys/inotify.h>
#include <unistd.h>
#endif

namespace k4 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using test::FakeBridge;
using test::FakeBridgeLibrary;

constexpr DeviceIds kUnitIds{0x10c4, 0xea60};
const FakeBridge kUnit{0x10c4, 0xea60, false};
// The unit while the main program holds it: it cannot be opened.
const FakeBridge kHeldUnit{0x10c4, 0xea60, true};
const FakeBridge kOtherProduct{0x10c4, 0xea61, false};
const FakeBridge kOtherVendor{0x0403, 0xea60, false};
// "K4 Data Transfer Application", with ".exe" on Windows.
const std::string kProgram = std::string(kMainProgramFileName) + std::string(ExecutableSuffix());
const std::string kFolder = "/usr/lib/k4-data-transfer/";
const std::string kMainFile = kFolder + kProgram;

// Counts from any thread; keeps the files asked for.
class RecordingStarter : public ProgramStarter {
public:
    bool Start(const std::string& file) override
    {
        started.push_back(file);
        ++starts;
        return succeeds;
    }
    std::atomic<int> starts{0};
    std::vector<std::string> started;
    bool succeeds = true;
};

// Each poll's bridges by letter: U the unit, H the unit held by the main
// program (it cannot be opened), P another product of the vendor, V another
// vendor, - none; w: the download window is open. Then the starts after
// each poll, and where a listing tells what an open could not, the starts
// when listed. Each runs with identifiers that only an open can read (the
// bridge maker's library) and with the system's listed ones.
TEST(DeviceWatch, StartsOncePerArrival)
{
    const struct {
        const char *polls, *starts, *startsWhenListed;
    } cases[] = {
        {"U H H U U", "11111", nullptr}, // held for the pass, then let go
        {"U H - U", "1112", nullptr},    // unplugged while held, then back
        {"P", "0", nullptr},
        {"V", "0", nullptr},
        {"P PU", "01", nullptr},
        {"H U", "01", "11"}, // held by a main program that runs already; the listing still shows it
        // The index of a gone bridge may be taken by another one; it must
        // not count with the identifiers of the one before.
        {"U - H", "111", "112"},
        {"Uw Uw U H - U", "000001", nullptr},
        {"U Uw -w U", "1112", nullptr},
    };
    const FakeBridge kinds[] = {kUnit, kHeldUnit, kOtherProduct, kOtherVendor};
    for (const auto& c : cases)
        for (const bool listsIds : {false, true}) {
            SCOPED_TRACE(std::string(c.polls) + (listsIds ? " listed" : " opened"));
            FakeBridgeLibrary bridges;
            bridges.listsIds = listsIds;
            RecordingStarter starter;
            bool window = false;
            DeviceWatch watch(
                bridges, starter, [&](std::string_view title) { return window && title == "Pumpvisor Data Download"; },
                kUnitIds, kMainFile);
            std::string starts;
            std::istringstream polls(c.polls);
            for (std::string poll; polls >> poll;) {
                bridges.attached.clear();
                for (const char letter : poll)
                    if (const auto at = std::string_view("UHPV").find(letter); at != std::string_view::npos)
                        bridges.attached.push_back(kinds[at]);
                window = poll.back() == 'w';
                watch.Poll();
                starts += std::to_string(starter.starts);
            }
            EXPECT_EQ(starts, listsIds && c.startsWhenListed ? c.startsWhenListed : c.starts);
            EXPECT_EQ(std::count(starter.started.begin(), starter.started.end(), kMainFile), starter.starts);
            EXPECT_TRUE(!listsIds || test::Joined(bridges.calls).find("open") == std::string::npos);
        }
}

TEST(DeviceWatch, OpensInOrderUpToTheFirstMatchAndClosesEach)
{
    FakeBridgeLibrary bridges;
    bridges.attached = {kOtherVendor, kHeldUnit, kUnit, kUnit};
    RecordingStarter starter;
    DeviceWatch watch(bridges, starter, {}, kUnitIds, kMainFile);
    watch.Poll();
    EXPECT_EQ(test::Joined(bridges.calls),
              "count, open 0, pid 100, vid 100, close 100, open 1, open 2, pid 102, vid 102, close 102");
    EXPECT_EQ(starter.starts, 1);
}

// A failed start, or none for want of a program file, waits for the next
// arrival; the unit counts as seen all the same.
TEST(DeviceWatch, FailedOrImpossibleStartsWaitForTheNextArrival)
{
    for (const bool hasFile : {true, false}) {
        FakeBridgeLibrary bridges;
        RecordingStarter starter;
        starter.succeeds = false;
        DeviceWatch watch(bridges, starter, {}, kUnitIds, hasFile ? std::optional(kMainFile) : std::nullopt);
        std::vector<bool> seen;
        for (const auto& attached : {std::vector{kUnit}, {kUnit}, {}, {kUnit}}) {
            bridges.attached = attached;
            watch.Poll();
            seen.push_back(watch.Seen());
        }
        EXPECT_EQ(seen, (std::vector<bool>{true, true, false, true}));
        EXPECT_EQ(starter.starts, hasFile ? 2 : 0);
    }
}

TEST(MainProgramFile, JoinedWithoutSeparatorAndNeverTruncated)
{
    const std::string fits(1023 - kProgram.size(), 'p');
    struct Case {
        std::string folder;
        std::optional<std::string> file;
    } cases[] = {
        {kFolder, kMainFile},    {"/opt/k4", "/opt/k4" + kProgram}, {"", kProgram},
        {fits, fits + kProgram}, {fits + "p", std::nullopt},        {std::string(1023, 'p'), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JoinMainProgramFile(c.folder), c.file) << c.folder.size();
}

TEST(DeviceWatch, RunTestsTheFlagBeforeTheFirstPoll)
{
    FakeBridgeLibrary bridges;
    bridges.attached = {kUnit};
    RecordingStarter starter;
    DeviceWatch watch(bridges, starter, {}, kUnitIds, kMainFile);
    const std::unique_ptr<BridgeChanges> changes = MakeTickingBridgeChanges(kWatchInterval);
    const std::atomic<bool> watching{false};
    watch.Run(watching, *changes);
    EXPECT_TRUE(bridges.calls.empty()) << "a watch that is already stopping polls nothing";
}

// Within two seconds.
template <typename Condition>
bool Soon(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (!condition() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    return condition();
}

// Simulated bridges in a real folder, as the launcher watches them: the
// watch polls only after a change, never opens another maker's device,
// sees no unplug shorter than one interval, and stops at once.
TEST(FolderWatch, PollsOnlyAfterChangesAndStopsAtOnce)
{
    const fs::path folder = fs::temp_directory_path() /
                            ("k4-watch-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(folder);
    // As the simulator does: written aside, then renamed into place.
    const auto Announce = [&](const std::string& name, const std::string& line) {
        std::ofstream(folder / ".announcing") << line << "\n";
        fs::rename(folder / ".announcing", folder / (name + ".bridge"));
    };
    const auto PlugUnit = [&] { Announce("unit", (folder / "unit-device").string() + " 10c4 ea60"); };
    const auto UnplugUnit = [&] { fs::remove(folder / "unit.bridge"); };
    const std::string foreignDevice = (folder / "foreign-device").string();
    std::ofstream(foreignDevice) << "";
    Announce("foreign", foreignDevice + " 0403 6001");
#ifndef _WIN32
    const int opens = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(opens, foreignDevice.c_str(), IN_OPEN), 0);
#endif
    const std::unique_ptr<BridgeLibrary> bridges = MakeSimulatedBridgeLibrary(folder.string());
    const std::unique_ptr<BridgeChanges> changes = MakeFolderBridgeChanges(folder.string());
    ASSERT_TRUE(changes);
    RecordingStarter starter;
    DeviceWatch watch(*bridges, starter, {}, kUnitIds, kMainFile);
    std::atomic<bool> watching{true};
    std::atomic<int> polls{0};
    std::thread thread([&] {
        watch.Run(watching, *changes, [&] {
            ++polls;
            return std::nullopt;
        });
    });

    ASSERT_TRUE(Soon([&] { return polls == 1; }));
    std::this_thread::sleep_for(4 * kWatchInterval);
    EXPECT_EQ(polls, 1) << "polled although nothing changed";

    PlugUnit();
    EXPECT_TRUE(Soon([&] { return starter.starts == 1; }));
    const int pollsBeforeBlip = polls;
    UnplugUnit();
    PlugUnit();
    EXPECT_TRUE(Soon([&] { return polls > pollsBeforeBlip; }));
    std::this_thread::sleep_for(2 * kWatchInterval);
    EXPECT_EQ(starter.starts, 1) << "an unplug shorter than one interval started the program";

    UnplugUnit();
    std::this_thread::sleep_for(3 * kWatchInterval);
    PlugUnit();
    EXPECT_TRUE(Soon([&] { return starter.starts == 2; }));

    std::this_thread::sleep_for(2 * kWatchInterval);
    const auto stopped = std::chrono::steady_clock::now();
    watching = false;
    changes->Stop();
    thread.join();
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 50ms);
#ifndef _WIN32
    inotify_event event{};
    EXPECT_LT(::read(opens, &event, sizeof event), 0) << "the foreign device was opened";
    ::close(opens);
#endif
    fs::remove_all(folder);
}

} // namespace
} // namespace k4
