#include "platform/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/wide_text.h"

namespace k4 {

std::vector<std::string> CommandLineArguments(int, char**)
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr)
        return {};
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(Narrow(wide[i]));
    LocalFree(wide);
    return arguments;
}

} // namespace k4
