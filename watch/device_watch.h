#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "common/device_ids.h"
#include "platform/bridge_changes.h"
#include "platform/bridge_library.h"
#include "platform/program_starter.h"

namespace k4 {

// The main program's file name, as the launcher starts it (with the
// system's suffix for programs).
inline constexpr std::string_view kMainProgramFileName = "K4 Data Transfer Application";
inline constexpr std::chrono::milliseconds kWatchInterval{100};

// `mainAppPath` followed directly by the main program's file name ("K4 Data
// Transfer Application.exe" on Windows). No
// separator is added: a folder given without its trailing one names a file
// that does not exist, and its start fails like any other. A join longer
// than kConfigStringMax has no value, so that nothing truncated is started.
std::optional<std::string> JoinMainProgramFile(std::string_view mainAppPath);

// Whether a top-level window with exactly this title is shown now.
using TitleLookup = std::function<bool(std::string_view title)>;

// After a poll: when to poll again although nothing changed, if ever.
using AfterPoll = std::function<std::optional<std::chrono::steady_clock::time_point>()>;

// Watches the bridges for the download unit and starts the main program
// once per arrival of the unit: on the change from no matching bridge to a
// matching one. Goes by the identifiers that the system lists and opens a
// bridge only where nothing lists them (the bridge maker's library); holds
// none open between polls.
class DeviceWatch {
public:
    // Without `mainProgramFile` (a join that did not fit) arrivals are
    // still followed but start nothing.
    DeviceWatch(BridgeLibrary& bridges, ProgramStarter& starter, TitleLookup titleExists, DeviceIds ids,
                std::optional<std::string> mainProgramFile);

    // One poll: count the bridges, scan them up to the first match, and
    // start the main program when the unit has just arrived.
    void Poll();

    // Polls once, then after each change that `changes` tells of, on the
    // ticks of kWatchInterval that the old poll had; ends when `watching`
    // is found false or `changes` is stopped. Tests the flag before the
    // first poll too. `afterPoll`, when given, runs after each poll.
    void Run(const std::atomic<bool>& watching, BridgeChanges& changes, const AfterPoll& afterPoll = {});

    // A matching bridge was present at the last poll.
    bool Seen() const { return m_seen; }

private:
    bool AnyBridgeMatches();

    BridgeLibrary& m_bridges;
    ProgramStarter& m_starter;
    TitleLookup m_titleExists;
    DeviceIds m_ids;
    std::optional<std::string> m_mainProgramFile;
    bool m_seen = false;

    struct Identifiers {
        std::uint16_t vid = 0;
        std::uint16_t pid = 0;
    };
    // What each bridge (by index) gave when it last opened. A bridge that
    // the main program holds open cannot be opened here; it keeps counting
    // with these, so the unit stays present for the whole download pass
    // and is not started again when the pass ends with the unit attached.
    std::map<std::uint32_t, Identifiers> m_lastRead;
};

} // namespace k4
