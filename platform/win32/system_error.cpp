#include <windows.h>

#include "platform/shared/system_reason.h"

namespace k4 {

// The system's own text, in English where the system has it, without its
// closing line break.
std::string LastSystemError()
{
    const DWORD error = GetLastError();
    char text[512] = {};
    constexpr DWORD kFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = FormatMessageA(kFlags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text,
                                  sizeof text, nullptr);
    if (length == 0)
        length = FormatMessageA(kFlags, nullptr, error, 0, text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ' ||
                               reason.back() == '.'))
        reason.pop_back();
    if (reason.empty())
        reason = "system error " + std::to_string(error);
    return reason;
}

} // namespace k4
