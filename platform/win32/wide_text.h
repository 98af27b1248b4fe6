#pragma once
// Inside the programs every text and path is UTF-8; the system's wide (UTF-16)
// functions are the only ones that take every name a user can give, whatever
// the machine's ANSI code page. These convert at that boundary.
#include <string>
#include <string_view>

namespace k4 {

// Empty when `utf8` is not valid UTF-8: no file call accepts an empty name,
// so a mangled name fails rather than naming some other file.
std::wstring Widen(std::string_view utf8);

// Unpaired surrogates, which only a broken name holds, become U+FFFD.
std::string Narrow(std::wstring_view utf16);
// An environment variable as the system holds it, in UTF-16, so that a
// folder in any language comes through; empty when it is not set.
std::string EnvironmentVariable(const char* name);

} // namespace k4
