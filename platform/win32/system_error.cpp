#include <windows.h>

#include <iterator>

#include "platform/shared/system_reason.h"
#include "platform/win32/wide_text.h"

namespace k4 {

// The system's own text, in English where the system has it, without its
// closing line break.
std::string LastSystemError()
{
    const DWORD error = GetLastError();
    wchar_t text[512] = {};
    constexpr DWORD kFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = FormatMessageW(kFlags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text,
                                  std::size(text), nullptr);
    if (length == 0) // the system's own language, which need not fit the ANSI code page
        length = FormatMessageW(kFlags, nullptr, error, 0, text, std::size(text), nullptr);
    std::string reason = Narrow(std::wstring_view(text, length));
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    if (reason.empty())
        reason = "system error " + std::to_string(error);
    return reason;
}

} // namespace k4
