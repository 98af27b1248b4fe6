#include "platform/program_starter.h"

#include <windows.h>

namespace k4 {

namespace {

class WindowsProgramStarter final : public ProgramStarter {
public:
    bool Start(const std::string& file) override
    {
        if (file.empty() || file.size() >= MAX_PATH)
            return false;
        // The command line is the program's own quoted name: no arguments.
        std::string commandLine = "\"" + file + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        // Detached: a program started from a console program does not share
        // its console, and goes on when that console closes.
        if (!CreateProcessA(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                            nullptr, &startup, &process))
            return false;
        // Nothing of it is kept: it runs on by itself.
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }
};

} // namespace

ProgramStarter& SystemProgramStarter()
{
    static WindowsProgramStarter starter;
    return starter;
}

} // namespace k4
