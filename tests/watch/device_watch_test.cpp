#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/path_rules.h"
#include "tests/link/fakes.h"
#include "watch/device_watch.h"

namespace k4 {
namespace {

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
};

void PrintTo(const Scenario& scenario, std::ostream* out)
{
    *out << scenario.name;
}

class WatchScenarios : public ::testing::TestWithParam<Scenario> {};

TEST_P(WatchScenarios, StartsOncePerArrival)
{
    const Scenario& scenario = GetParam();
    FakeBridgeLibrary bridges;
    RecordingStarter starter;
    bool window = false;
    DeviceWatch watch(bridges, starter, [&](std::string_view title) {
        return window && title == "Pumpvisor Data Download";
    }, kUnitIds, kMainFile);

    std::vector<int> starts;
    for (const Step& step : scenario.steps) {
        bridges.attached = step.attached;
        window = step.downloadWindow;
        watch.Poll();
        starts.push_back(static_cast<int>(starter.started.size()));
    }
    EXPECT_EQ(starts, scenario.startsAfterEachPoll);
    for (const std::string& file : starter.started)
        EXPECT_EQ(file, kMainFile);
}

INSTANTIATE_TEST_SUITE_P(
    Arrivals, WatchScenarios,
    ::testing::Values(
        Scenario{"AttachedAtStart", {{{kUnit}}}, {1}},
        // The main program holds the bridge for its pass, then lets it go.
        Scenario{"StillAttachedAfterThePass", {{{kUnit}}, {{kHeldUnit}}, {{kHeldUnit}}, {{kUnit}}, {{kUnit}}},
                 {1, 1, 1, 1, 1}},
        Scenario{"UnpluggedAndPluggedIn", {{{kUnit}}, {{}}, {{kUnit}}, {{}}, {{kUnit}}}, {1, 1, 2, 2, 3}},
        Scenario{"UnpluggedWhileHeld", {{{kUnit}}, {{kHeldUnit}}, {{}}, {{kUnit}}}, {1, 1, 1, 2}},
        // Gone and back between two polls: no poll saw it gone.
        Scenario{"UnpluggedForLessThanOnePoll", {{{kUnit}}, {{kUnit}}}, {1, 1}},
        Scenario{"OtherProductOfTheVendor", {{{kOtherProduct}}, {{kOtherProduct}}}, {0, 0}},
        Scenario{"OtherVendor", {{{kOtherVendor}}}, {0}},
        Scenario{"SecondOfTwoBridges", {{{kOtherVendor, kUnit}}, {{kOtherVendor, kUnit}}}, {1, 1}},
        Scenario{"ArrivesBesideAnotherBridge", {{{kOtherProduct}}, {{kOtherProduct, kUnit}}}, {0, 1}},
        Scenario{"HeldBeforeItWasEverRead", {{{kHeldUnit}}, {{kUnit}}}, {0, 1}},
        // The index of a gone bridge may be taken by another one; it must
        // not count with the identifiers of the one before.
        Scenario{"NewBridgeInAGoneOnesPlace", {{{kUnit}}, {{}}, {{kHeldUnit}}}, {1, 1, 1}},
        Scenario{"DownloadWindowAtArrival",
                 {{{kUnit}, true}, {{kUnit}, true}, {{kUnit}, false}, {{kHeldUnit}, false}, {{}}, {{kUnit}}},
                 {0, 0, 0, 0, 0, 1}},
        Scenario{"DownloadWindowOpenedLater", {{{kUnit}}, {{kUnit}, true}, {{}, true}, {{kUnit}, false}}, {1, 1, 1, 2}}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

TEST(DeviceWatch, OpensInOrderUpToTheFirstMatchAndClosesEach)
{
    FakeBridgeLibrary bridges;
    bridges.attached = {kOtherVendor, kHeldUnit, kUnit, kUnit};
    RecordingStarter starter;
    DeviceWatch watch(bridges, starter, {}, kUnitIds, kMainFile);
    watch.Poll();
    const std::vector<std::string> expected{"count", "open 0", "pid 100", "vid 100", "close 100",
                                            "open 1", "open 2", "pid 102", "vid 102", "close 102"};
    EXPECT_EQ(bridges.calls, expected);
    EXPECT_EQ(starter.started.size(), 1u);
}

TEST(DeviceWatch, FailedStartWaitsForTheNextArrival)
{
    FakeBridgeLibrary bridges;
    bridges.attached = {kUnit};
    RecordingStarter starter;
    starter.succeeds = false;
    // The folder without its trailing separator: the joined name is no file.
    DeviceWatch watch(bridges, starter, {}, kUnitIds, JoinMainProgramFile("/usr/lib/k4-data-transfer"));
    watch.Poll();
    watch.Poll();
    ASSERT_EQ(starter.started, std::vector<std::string>{"/usr/lib/k4-data-transfer" + kProgram});
    EXPECT_TRUE(watch.Seen());
    bridges.attached.clear();
    watch.Poll();
    bridges.attached = {kUnit};
    watch.Poll();
    EXPECT_EQ(starter.started.size(), 2u);
}

TEST(DeviceWatch, WithoutAProgramFileArrivalsStartNothing)
{
    FakeBridgeLibrary bridges;
    bridges.attached = {kUnit};
    RecordingStarter starter;
    DeviceWatch watch(bridges, starter, {}, kUnitIds, JoinMainProgramFile(std::string(1000, 'p')));
    watch.Poll();
    EXPECT_TRUE(watch.Seen());
    EXPECT_TRUE(starter.started.empty());
}

TEST(MainProgramFile, JoinedWithoutSeparatorAndNeverTruncated)
{
    const std::string fits(1023 - kProgram.size(), 'p');
    struct Case {
        std::string folder;
        std::optional<std::string> file;
    } cases[] = {
        {kFolder, kMainFile},
        {"/opt/k4", "/opt/k4" + kProgram},
        {"", kProgram},
        {fits, fits + kProgram},
        {fits + "p", std::nullopt},
        {std::string(1023, 'p'), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JoinMainProgramFile(c.folder), c.file) << c.folder.size();
}

TEST(DeviceWatch, RunTestsTheFlagBeforeEachPoll)
{
    FakeBridgeLibrary bridges;
    bridges.attached = {kUnit};
    RecordingStarter starter;
    DeviceWatch watch(bridges, starter, {}, kUnitIds, kMainFile);
    std::atomic<bool> watching{false};
    watch.Run(watching);
    EXPECT_TRUE(bridges.calls.empty()) << "a watch that is already stopping polls nothing";

    // The same watch on its own thread, as the launcher runs it: stopping
    // it takes at most about one poll interval.
    watching = true;
    std::atomic<int> polls{0};
    std::thread thread([&] { watch.Run(watching, [&] { ++polls; }); });
    while (polls < 2)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto stopped = std::chrono::steady_clock::now();
    watching = false;
    thread.join();
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::milliseconds(150));
    EXPECT_EQ(starter.started.size(), 1u);
}

} // namespace
} // namespace k4
