#include "platform/bridge_file.h"

#include <cstdio>
#include <vector>

namespace k4 {

std::optional<std::uint16_t> ParseUsbIdentifier(std::string_view text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 4)
        return std::nullopt;
    std::uint16_t value = 0;
    for (char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = static_cast<std::uint16_t>(value * 16 + digit);
    }
    return value;
}

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The line without its final line break; nothing when more text follows it.
std::optional<std::string_view> OnlyLine(std::string_view text)
{
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos)
        return text;
    if (end + 1 != text.size())
        return std::nullopt;
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

std::vector<std::string_view> SplitOnBlanks(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        const std::size_t start = pos;
        while (pos < line.size() && !IsBlank(line[pos]))
            ++pos;
        if (pos > start)
            fields.push_back(line.substr(start, pos - start));
    }
    return fields;
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A Windows port name: "COM5" or, in the device namespace, "\\.\COM5".
bool IsPortName(std::string_view path)
{
    if (path.starts_with("\\\\.\\"))
        path.remove_prefix(4);
    if (path.size() < 4 || path.size() > 6 || (path.substr(0, 3) != "COM" && path.substr(0, 3) != "com"))
        return false;
    for (char c : path.substr(3))
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Absolute in either convention ("/dev/pts/7", "C:\\sim\\line"), or a port name.
bool IsAbsoluteDevicePath(std::string_view path)
{
    if (path.starts_with('/'))
        return true;
    if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && (path[2] == '\\' || path[2] == '/'))
        return true;
    return IsPortName(path);
}

bool IsUsableDevicePath(std::string_view path)
{
    if (path.empty() || !IsAbsoluteDevicePath(path))
        return false;
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

} // namespace

std::optional<BridgeFile> ParseBridgeFile(std::string_view text)
{
    const std::optional<std::string_view> line = OnlyLine(text);
    if (!line)
        return std::nullopt;
    const std::vector<std::string_view> fields = SplitOnBlanks(*line);
    if (fields.size() != 3 || !IsUsableDevicePath(fields[0]))
        return std::nullopt;
    const std::optional<std::uint16_t> vid = ParseUsbIdentifier(fields[1]);
    const std::optional<std::uint16_t> pid = ParseUsbIdentifier(fields[2]);
    if (!vid || !pid)
        return std::nullopt;
    return BridgeFile{std::string(fields[0]), *vid, *pid};
}

std::string FormatBridgeFile(const BridgeFile& bridge)
{
    char identifiers[16];
    std::snprintf(identifiers, sizeof identifiers, " %04x %04x\n", unsigned{bridge.vid}, unsigned{bridge.pid});
    return bridge.devicePath + identifiers;
}

} // namespace k4
