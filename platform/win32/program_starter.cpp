// The launcher's start of the main program: a process of its own with no
// arguments, nothing inherited, and no console even when we have one.
#include "platform/program_starter.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace k4 {

namespace {

class Win32ProgramStarter : public ProgramStarter {
public:
    bool Start(const std::string& file) override
    {
        const std::wstring program = Widen(file);
        if (program.empty() || program.find(L'"') != std::wstring::npos)
            return false;
        // The program's own name, quoted, is its first argument, as every
        // C run-time expects; unquoted, a path with blanks would be split.
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
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
