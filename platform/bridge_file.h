#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace k4 {

// A simulated bridge announces itself with a one-line file
// "<device path> <vid> <pid>", the identifiers in hexadecimal
// (for example "/dev/pts/7 10c4 ea60").
struct BridgeFile {
    std::string devicePath;
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
};

inline constexpr std::string_view kBridgeFileSuffix = ".bridge";

// The announcement in a file's text, or nothing when the text is not exactly
// one such line (a final line break is allowed). The device path must be
// absolute ("/dev/pts/7", "C:\\sim\\line") or a Windows port name ("COM5",
// "\\.\COM5") and cannot contain blanks; an identifier is 1 to 4 hex
// digits, optionally after "0x".
std::optional<BridgeFile> ParseBridgeFile(std::string_view text);

// A USB identifier written in hexadecimal: 1 to 4 digits, optionally after "0x".
std::optional<std::uint16_t> ParseUsbIdentifier(std::string_view text);

// The text that ParseBridgeFile reads back as `bridge`.
std::string FormatBridgeFile(const BridgeFile& bridge);

} // namespace k4
