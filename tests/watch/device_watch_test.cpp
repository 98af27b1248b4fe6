#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <ostream>
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

class RecordingStarter : public ProgramStarter {
public:
    bool Start(const std::string& file) override
    {
        started.push_back(file);
        return succeeds;
    }
    std::vector<std::string> started;
    bool succeeds = true;
};

// One poll's world: the bridges attached and whether the download window is open.
struct Step {
    std::vector<FakeBridge> attached;
    bool downloadWindow = false;
};

struct Scenario {
    const char* name;
    std::vector<Step> steps;
    std::vector<int> startsAfterEachPoll;
    // Where a listing tells what an open could not; empty when the same.
    std::vector<int> startsWhenListed = {};
};

void PrintTo(const Scenario& scenario, std::ostream* out)
{
    *out << scenario.name;
}

// Each scenario runs twice: with identifiers that only an open can read
// (the bridge maker's library) and with the system's listed ones.
class WatchScenarios : public ::testing::TestWithParam<std::tuple<Scenario, bool>> {};

TEST_P(WatchScenarios, StartsOncePerArrival)
{
    const auto& [scenario, listsIds] = GetParam();
    FakeBridgeLibrary bridges;
    bridges.listsIds = listsIds;
    RecordingStarter starter;
    bool window = false;
    DeviceWatch watch(
        bridges, starter, [&](std::string_view title) { return window && title == "Pumpvisor Data Download"; },
        kUnitIds, kMainFile);

    std::vector<int> starts;
    for (const Step& step : scenario.steps) {
        bridges.attached = step.attached;
        window = step.downloadWindow;
        watch.Poll();
        starts.push_back(static_cast<int>(starter.started.size()));
    }
    const bool differs = listsIds && !scenario.startsWhenListed.empty();
    EXPECT_EQ(starts, differs ? scenario.startsWhenListed : scenario.startsAfterEachPoll);
    for (const std::string& file : starter.started)
        EXPECT_EQ(file, kMainFile);
    if (listsIds) {
        EXPECT_EQ(std::count_if(bridges.calls.begin(), bridges.calls.end(),
                                [](const std::string& call) { return call.starts_with("open"); }),
                  0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arrivals, WatchScenarios,
    ::testing::Combine(
        ::testing::Values(
            Scenario{"AttachedAtStart", {{{kUnit}}}, {1}},
            // The main program holds the bridge for its pass, then lets it go.
            Scenario{"StillAttachedAfterThePass",
                     {{{kUnit}}, {{kHeldUnit}}, {{kHeldUnit}}, {{kUnit}}, {{kUnit}}},
                     {1, 1, 1, 1, 1}},
            Scenario{"UnpluggedAndPluggedIn", {{{kUnit}}, {{}}, {{kUnit}}, {{}}, {{kUnit}}}, {1, 1, 2, 2, 3}},
            Scenario{"UnpluggedWhileHeld", {{{kUnit}}, {{kHeldUnit}}, {{}}, {{kUnit}}}, {1, 1, 1, 2}},
            // Gone and back between two polls: no poll saw it gone.
            Scenario{"UnpluggedForLessThanOnePoll", {{{kUnit}}, {{kUnit}}}, {1, 1}},
            Scenario{"OtherProductOfTheVendor", {{{kOtherProduct}}, {{kOtherProduct}}}, {0, 0}},
            Scenario{"OtherVendor", {{{kOtherVendor}}}, {0}},
            Scenario{"SecondOfTwoBridges", {{{kOtherVendor, kUnit}}, {{kOtherVendor, kUnit}}}, {1, 1}},
            Scenario{"ArrivesBesideAnotherBridge", {{{kOtherProduct}}, {{kOtherProduct, kUnit}}}, {0, 1}},
            // Held by a main program that runs already; the listing still shows it.
            Scenario{"HeldBeforeItWasEverRead", {{{kHeldUnit}}, {{kUnit}}}, {0, 1}, {1, 1}},
            // The index of a gone bridge may be taken by another one; it must
            // not count with the identifiers of the one before.
            Scenario{"NewBridgeInAGoneOnesPlace", {{{kUnit}}, {{}}, {{kHeldUnit}}}, {1, 1, 1}, {1, 1, 2}},
            Scenario{"DownloadWindowAtArrival",
                     {{{kUnit}, true}, {{kUnit}, true}, {{kUnit}, false}, {{kHeldUnit}, false}, {{}}, {{kUnit}}},
                     {0, 0, 0, 0, 0, 1}},
            Scenario{
                "DownloadWindowOpenedLater", {{{kUnit}}, {{kUnit}, true}, {{}, true}, {{kUnit}, false}}, {1, 1, 1, 2}}),
        ::testing::Bool()),
    [](const ::testing::TestParamInfo<std::tuple<Scenario, bool>>& info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "Listed" : "Opened");
    });

TEST(DeviceWatch, OpensInOrderUpToTheFirstMatchAndClosesEach)
{
    FakeBridgeLibrary bridges;
    bridges.attached = {kOtherVendor, kHeldUnit, kUnit, kUnit};
    RecordingStarter starter;
    DeviceWatch watch(bridges, starter, {}, kUnitIds, kMainFile);
    watch.Poll();
    const std::vector<std::string> expected{"count",  "open 0", "pid 100", "vid 100", "close 100",
                                            "open 1", "open 2", "pid 102", "vid 102", "close 102"};
    EXPECT_EQ(bridges.calls, expected);
    EXPECT_EQ(starter.started.size(), 1u);
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
        EXPECT_EQ(starter.started, (hasFile ? std::vector{kMainFile, kMainFile} : std::vector<std::string>{}));
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

// Simulated bridges in a real folder, as the launcher watches them: the
// watch polls only after a change, never opens another maker's device,
// sees no unplug shorter than one interval, and stops at once.
class FolderWatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        folder = fs::temp_directory_path() / ("k4-watch-" + std::to_string(stamp));
        fs::create_directories(folder);
        foreignDevice = (folder / "foreign-device").string();
        std::ofstream(foreignDevice) << "";
        Announce("foreign", foreignDevice + " 0403 6001");
    }
    void TearDown() override { fs::remove_all(folder); }

    // As the simulator does: written aside, then renamed into place.
    void Announce(const std::string& name, const std::string& line)
    {
        std::ofstream(folder / ".announcing") << line << "\n";
        fs::rename(folder / ".announcing", folder / (name + ".bridge"));
    }
    void PlugUnit() { Announce("unit", (folder / "unit-device").string() + " 10c4 ea60"); }
    void UnplugUnit() { fs::remove(folder / "unit.bridge"); }

    template <typename Condition>
    static bool Within(std::chrono::milliseconds limit, Condition condition)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return condition();
    }

    fs::path folder;
    std::string foreignDevice;
};

class CountingStarter : public ProgramStarter {
public:
    bool Start(const std::string&) override
    {
        ++starts;
        return true;
    }
    std::atomic<int> starts{0};
};

TEST_F(FolderWatch, PollsOnlyAfterChangesAndStopsAtOnce)
{
#ifndef _WIN32
    const int opens = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(opens, foreignDevice.c_str(), IN_OPEN), 0);
#endif
    const std::unique_ptr<BridgeLibrary> bridges = MakeSimulatedBridgeLibrary(folder.string());
    const std::unique_ptr<BridgeChanges> changes = MakeFolderBridgeChanges(folder.string());
    ASSERT_TRUE(changes);
    CountingStarter starter;
    DeviceWatch watch(*bridges, starter, {}, kUnitIds, kMainFile);
    std::atomic<bool> watching{true};
    std::atomic<int> polls{0};
    std::thread thread([&] {
        watch.Run(watching, *changes, [&] {
            ++polls;
            return std::nullopt;
        });
    });

    ASSERT_TRUE(Within(2s, [&] { return polls == 1; }));
    std::this_thread::sleep_for(4 * kWatchInterval);
    EXPECT_EQ(polls, 1) << "polled although nothing changed";

    PlugUnit();
    EXPECT_TRUE(Within(2s, [&] { return starter.starts == 1; }));
    const int pollsBeforeBlip = polls;
    UnplugUnit();
    PlugUnit();
    EXPECT_TRUE(Within(2s, [&] { return polls > pollsBeforeBlip; }));
    std::this_thread::sleep_for(2 * kWatchInterval);
    EXPECT_EQ(starter.starts, 1) << "an unplug shorter than one interval started the program";

    UnplugUnit();
    std::this_thread::sleep_for(3 * kWatchInterval);
    PlugUnit();
    EXPECT_TRUE(Within(2s, [&] { return starter.starts == 2; }));

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
}

} // namespace
} // namespace k4
