#include "platform/win32/usb_hardware_id.h"

namespace k4 {

namespace {

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Upper(text[i]) != prefix[i])
            return false;
    return true;
}

// Exactly four hex digits at the start of `text`.
std::optional<std::uint16_t> FourHexDigits(std::string_view text)
{
    if (text.size() < 4)
        return std::nullopt;
    std::uint16_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = Upper(text[i]);
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = static_cast<std::uint16_t>(value * 16 + digit);
    }
    return value;
}

} // namespace

std::optional<UsbIds> ParseUsbHardwareId(std::string_view id)
{
    constexpr std::string_view kBus = "USB\\VID_";
    constexpr std::string_view kProduct = "&PID_";
    if (!StartsWithNoCase(id, kBus))
        return std::nullopt;
    id.remove_prefix(kBus.size());
    const std::optional<std::uint16_t> vid = FourHexDigits(id);
    if (!vid)
        return std::nullopt;
    id.remove_prefix(4);
    if (!StartsWithNoCase(id, kProduct))
        return std::nullopt;
    id.remove_prefix(kProduct.size());
    const std::optional<std::uint16_t> pid = FourHexDigits(id);
    if (!pid)
        return std::nullopt;
    id.remove_prefix(4);
    // A fifth digit would make it some other identifier; what may follow is
    // a further part ("&REV_0100") or an instance ("\0001").
    if (!id.empty() && id.front() != '&' && id.front() != '\\')
        return std::nullopt;
    return UsbIds{*vid, *pid};
}

bool IsComPortName(std::string_view name)
{
    if (!StartsWithNoCase(name, "COM") || name.size() < 4 || name.size() > 6)
        return false;
    for (char c : name.substr(3))
        if (c < '0' || c > '9')
            return false;
    return name[3] != '0';
}

} // namespace k4
