#include "watch/launcher_startup.h"

#include "watch/device_watch.h"

namespace k4 {

namespace {

constexpr std::string_view kRunOnStart = "RunOnStart";

} // namespace

bool IsLogOnStart(const std::vector<std::string>& arguments)
{
    return !arguments.empty() && arguments.front() == kLogOnArgument;
}

StartupOutcome DecideStartup(bool logOnStart, std::optional<std::uint32_t> runOnStart)
{
    if (!runOnStart)
        return StartupOutcome::End;
    if (*runOnStart == 1)
        return StartupOutcome::Run;
    return logOnStart ? StartupOutcome::End : StartupOutcome::RunAndAskFirst;
}

std::optional<std::uint32_t> ReadRunOnStart()
{
    std::uint32_t value = 0;
    if (ReadUserConfigDword(kConfigKeyPath, kRunOnStart, value) || ReadConfigDword(kConfigKeyPath, kRunOnStart, value))
        return value;
    return std::nullopt;
}

void StoreRunOnStart(bool yes)
{
    const std::uint32_t value = yes ? 1 : 0;
    std::uint32_t own = 0;
    const bool hasOwn = ReadUserConfigDword(kConfigKeyPath, kRunOnStart, own);
    if (!WriteConfigDword(kConfigKeyPath, kRunOnStart, value) || hasOwn)
        WriteUserConfigDword(kConfigKeyPath, kRunOnStart, value);
}

LauncherStart StartLauncher(const std::vector<std::string>& arguments, const StartQuestion& ask)
{
    LauncherStart start;
    const StartupOutcome outcome = DecideStartup(IsLogOnStart(arguments), ReadRunOnStart());
    if (outcome == StartupOutcome::End)
        return start;
    start.run = true;
    std::string mainAppPath;
    // Without the program's folder the launcher only sits in the tray.
    if (!ReadConfigString(kConfigKeyPath, "MainAppPath", mainAppPath))
        return start;
    // Without both identifiers there is nothing to watch for: the start-up
    // fails as without an answer.
    if (!ReadConfigDword(kConfigKeyPath, "VID", start.ids.vid) ||
        !ReadConfigDword(kConfigKeyPath, "PID", start.ids.pid)) {
        start.run = false;
        return start;
    }
    if (outcome == StartupOutcome::RunAndAskFirst)
        StoreRunOnStart(ask());
    start.watch = true;
    start.mainProgramFile = JoinMainProgramFile(mainAppPath);
    return start;
}

void AnswerOnExit(const StartQuestion& ask)
{
    StoreRunOnStart(ask());
}

} // namespace k4
