#include "platform/program_folder.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace k4 {

std::string ProgramFolder()
{
    // Long enough for any path the system can start a program from.
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    // A full buffer means the name was cut short: no folder we could trust.
    if (length == 0 || length >= path.size())
        return {};
    path.resize(length);
    const std::size_t cut = path.rfind(L'\\');
    if (cut == std::wstring::npos)
        return {};
    return Narrow(path.substr(0, cut));
}

} // namespace k4
