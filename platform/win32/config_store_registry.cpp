// The configuration key in the registry: the system-wide values under
// HKEY_LOCAL_MACHINE, which the installer creates and neither program ever
// does, and the user's own under HKEY_CURRENT_USER.
#include <windows.h>

#include <string>

#include "platform/config_store.h"
#include "platform/win32/wide_text.h"

namespace k4 {

namespace {

// The 64-bit view even from a 32-bit build: the installer writes there.
constexpr REGSAM kView = KEY_WOW64_64KEY;

// Up to `size` bytes of the value into `buffer`; `size` becomes the stored
// length. A value longer than the buffer fails like a missing one.
// The wide functions throughout: a string value (MainAppPath, a folder
// in any language) reads as its UTF-16 characters, not as the code page's
// rendering of them.
bool QueryValue(HKEY root, std::string_view keyPath, std::string_view valueName, void* buffer, DWORD& size)
{
    const std::wstring path = Widen(keyPath);
    const std::wstring name = Widen(valueName);
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | kView, &key) != ERROR_SUCCESS)
        return false;
    const LONG result = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, static_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool ReadDword(HKEY root, std::string_view keyPath, std::string_view valueName, std::uint32_t& value)
{
    // The stored type is not looked at: any value of at most four bytes reads.
    std::uint32_t read = 0;
    DWORD size = sizeof read;
    if (!QueryValue(root, keyPath, valueName, &read, size))
        return false;
    value = read;
    return true;
}

bool SetDword(HKEY key, std::string_view valueName, std::uint32_t value)
{
    const std::wstring name = Widen(valueName);
    const DWORD data = value;
    return RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data) ==
           ERROR_SUCCESS;
}

} // namespace

bool ReadConfigDword(std::string_view keyPath, std::string_view valueName, std::uint32_t& value)
{
    return ReadDword(HKEY_LOCAL_MACHINE, keyPath, valueName, value);
}

bool ReadConfigString(std::string_view keyPath, std::string_view valueName, std::string& value)
{
    // The limit counts characters, as the registry does.
    wchar_t buffer[kConfigStringMax + 1];
    DWORD size = sizeof buffer;
    if (!QueryValue(HKEY_LOCAL_MACHINE, keyPath, valueName, buffer, size))
        return false;
    // A string stored without its terminator still reads as its characters.
    std::wstring text(buffer, size / sizeof(wchar_t));
    if (const std::size_t end = text.find(L'\0'); end != std::wstring::npos)
        text.resize(end);
    value = Narrow(text);
    return true;
}

bool WriteConfigDword(std::string_view keyPath, std::string_view valueName, std::uint32_t value)
{
    const std::wstring path = Widen(keyPath);
    HKEY key = nullptr;
    // Opened, never created: a missing key means the program was not installed.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS | kView, &key) != ERROR_SUCCESS)
        return false;
    const bool written = SetDword(key, valueName, value);
    RegCloseKey(key);
    return written;
}

bool ReadUserConfigDword(std::string_view keyPath, std::string_view valueName, std::uint32_t& value)
{
    return ReadDword(HKEY_CURRENT_USER, keyPath, valueName, value);
}

bool WriteUserConfigDword(std::string_view keyPath, std::string_view valueName, std::uint32_t value)
{
    const std::wstring path = Widen(keyPath);
    HKEY key = nullptr;
    // The user's own copy is his to make: a user without rights on the
    // system-wide key still keeps his answer here.
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    const bool written = SetDword(key, valueName, value);
    RegCloseKey(key);
    return written;
}

} // namespace k4
