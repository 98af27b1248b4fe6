#pragma once
// Dockstart's start-up and exit decisions, apart from Qt so that they can
// be checked on their own: what a start does with the start-at-log-on
// answer, and where that answer is kept.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/device_ids.h"

namespace k4 {

// The lock that one launcher per user session holds.
inline constexpr std::string_view kLauncherLockName = "k4-dockstart";

// The first argument that marks the start at log-on (case-sensitive).
inline constexpr std::string_view kLogOnArgument = "WINSTART";

bool IsLogOnStart(const std::vector<std::string>& arguments);

enum class StartupOutcome {
    End,            // ends at once, silently
    Run,            // runs without asking
    RunAndAskFirst, // asks the start-at-log-on question, then runs
};

// The start at log-on runs only for a stored "yes" (1); a start by hand
// always runs and asks unless the stored answer is already yes. Without a
// stored answer the launcher was never set up and ends.
StartupOutcome DecideStartup(bool logOnStart, std::optional<std::uint32_t> runOnStart);

// The stored answer: the user's own first, then the system-wide one.
std::optional<std::uint32_t> ReadRunOnStart();

// Stores the answer system-wide when allowed, else as the user's own; the
// user's own is written too when there is one already, so that it cannot
// hide the new answer.
void StoreRunOnStart(bool yes);

// True for Yes.
using StartQuestion = std::function<bool()>;

struct LauncherStart {
    bool run = false;
    // False without MainAppPath: the launcher then only sits in the tray.
    bool watch = false;
    // The main program's full file name; none when the join did not fit.
    std::optional<std::string> mainProgramFile;
    DeviceIds ids;
};

// Reads the settings, asks when the outcome says so and stores the answer.
LauncherStart StartLauncher(const std::vector<std::string>& arguments, const StartQuestion& ask);

// "Exit": asks and stores the answer.
void AnswerOnExit(const StartQuestion& ask);

} // namespace k4
