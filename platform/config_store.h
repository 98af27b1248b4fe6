#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace k4 {

// The settings store that both programs share: the registry on Windows,
// Qt's system-wide settings file elsewhere. `keyPath` is the registry form
// "SOFTWARE\<organisation>\<application>\<group>".
//
// Each reader returns true exactly when the value was there and readable;
// the destination is written only then. Anything that is not an unsigned
// 32-bit number counts as absent for the Dword reader.
bool ReadConfigDword(std::string_view keyPath, std::string_view valueName, std::uint32_t& value);
// At most kConfigStringMax characters; a longer value counts as absent.
bool ReadConfigString(std::string_view keyPath, std::string_view valueName, std::string& value);
// Writes the system-wide value; false when the store refused it.
bool WriteConfigDword(std::string_view keyPath, std::string_view valueName, std::uint32_t value);

// The user's own settings under the same key, for what a user decides for
// himself (the launcher's start-at-log-on answer): read here before the
// system-wide store, and written here when the system-wide store refuses.
bool ReadUserConfigDword(std::string_view keyPath, std::string_view valueName, std::uint32_t& value);
bool WriteUserConfigDword(std::string_view keyPath, std::string_view valueName, std::uint32_t value);

inline constexpr std::size_t kConfigStringMax = 1023;

// How a stored text becomes a 32-bit value: decimal or 0x-hexadecimal,
// nothing else (no sign, no spaces, no overflow).
bool ParseConfigDword(std::string_view text, std::uint32_t& value);

} // namespace k4
