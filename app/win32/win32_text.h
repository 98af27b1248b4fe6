#pragma once
// The Win32 ANSI calls want terminated strings; our texts are views.
#include <string>
#include <string_view>

namespace k4win {

inline std::string Z(std::string_view text)
{
    return std::string(text);
}

} // namespace k4win
