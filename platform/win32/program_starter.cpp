// The launcher's start of the main program: a process of its own with no
// arguments, nothing inherited, and no console even when we have one.
#include "platform/program_starter.h"

#include <windows.h>

namespace k4 {

namespace {

class Win32ProgramStarter : public ProgramStarter {
public:
    bool Start(const std::string& file) override
    {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(file.c_str(), nullptr, nullptr, nullptr, FALSE,
                            CREATE_DEFAULT_ERROR_MODE | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process))
            return false;
        // We neither wait for it nor keep anything of it.
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }
};

} // namespace

ProgramStarter& SystemProgramStarter()
{
    static Win32ProgramStarter starter;
    return starter;
}

} // namespace k4
