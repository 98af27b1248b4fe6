#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace k4dock {

// The first argument "WINSTART", exactly, marks a start at log-on.
bool IsLogOnStart(int argc, const char* const* argv);

enum class StartUp {
    End,       // silently, no tray icon
    Run,       // no question
    RunAndAsk, // ask whether to start at log-on, once the rest is read
};

// What the stored answer (absent when unreadable) means for this start.
StartUp DecideStartUp(bool logOnStart, std::optional<std::uint32_t> runOnStart);

// The main program's file in `mainAppPath`, or nothing when the joined
// path would not fit: a cut path is never started.
std::optional<std::string> MainProgramFile(std::string_view mainAppPath);

// The start-at-log-on answer: the user's own value wins over the machine's.
std::optional<std::uint32_t> ReadRunOnStart();
// Written for the machine; where that is refused, or the user already has
// a value of his own that would hide it, for the user.
void WriteRunOnStart(std::uint32_t value);

} // namespace k4dock
