#pragma once
// std::filesystem::path from and to our UTF-8 text. A path built from a
// plain std::string takes its bytes in the system's narrow encoding, which on
// Windows is the ANSI code page: every non-ASCII name would come out wrong.
#include <filesystem>
#include <string>
#include <string_view>

namespace k4 {

inline std::filesystem::path PathFromUtf8(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace k4
