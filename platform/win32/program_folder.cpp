#include "platform/program_folder.h"

#include <windows.h>

namespace k4 {

std::string ProgramFolder()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    // A full buffer means the name was cut short: no folder we could trust.
    if (length == 0 || length >= MAX_PATH)
        return {};
    const std::string program(path, length);
    const std::size_t cut = program.rfind('\\');
    if (cut == std::string::npos)
        return {};
    return program.substr(0, cut);
}

} // namespace k4
