#pragma once
#include <string>
#include <string_view>

namespace k4 {

// The component takes UTF-16 text. Bytes that are not valid UTF-8 become
// U+FFFD rather than being dropped, so a bad path cannot silently name
// another file.
std::u16string Utf16FromUtf8(std::string_view text);

} // namespace k4
