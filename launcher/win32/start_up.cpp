#include "launcher/win32/start_up.h"

#include <cstring>

#include "common/config_store.h"
#include "watch/device_watch.h"

namespace k4dock {

namespace {

constexpr std::string_view kRunOnStart = "RunOnStart";
constexpr std::string_view kProgramSuffix = ".exe";

} // namespace

bool IsLogOnStart(int argc, const char* const* argv)
{
    return argc >= 2 && argv[1] != nullptr && std::strcmp(argv[1], "WINSTART") == 0;
}

StartUp DecideStartUp(bool logOnStart, std::optional<std::uint32_t> runOnStart)
{
    if (!runOnStart)
        return StartUp::End;
    if (*runOnStart == 1)
        return StartUp::Run;
    return logOnStart ? StartUp::End : StartUp::RunAndAsk;
}

std::optional<std::string> MainProgramFile(std::string_view mainAppPath)
{
    std::optional<std::string> file = k4::JoinMainProgramFile(mainAppPath);
    if (!file || file->size() + kProgramSuffix.size() > k4::kConfigStringMax)
        return std::nullopt;
    *file += kProgramSuffix;
    return file;
}

std::optional<std::uint32_t> ReadRunOnStart()
{
    std::uint32_t value = 0;
    if (k4::ReadUserConfigDword(k4::kConfigKeyPath, kRunOnStart, value) ||
        k4::ReadConfigDword(k4::kConfigKeyPath, kRunOnStart, value))
        return value;
    return std::nullopt;
}

void WriteRunOnStart(std::uint32_t value)
{
    std::uint32_t userValue = 0;
    const bool userHasOne = k4::ReadUserConfigDword(k4::kConfigKeyPath, kRunOnStart, userValue);
    if (!k4::WriteConfigDword(k4::kConfigKeyPath, kRunOnStart, value) || userHasOne)
        k4::WriteUserConfigDword(k4::kConfigKeyPath, kRunOnStart, value);
}

} // namespace k4dock
