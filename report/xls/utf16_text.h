#pragma once
// Helpers for the zero-terminated UTF-16 texts of the interface.

#include <string>
#include <string_view>

namespace k4xls {

// The text up to its terminator; an empty view for a null pointer.
std::u16string_view ViewOf(const char16_t* text);

// UTF-8 for file names; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// True when every character fits in one byte: BIFF then stores the text
// "compressed", one byte per character.
bool FitsInOneByte(std::u16string_view text);

} // namespace k4xls
