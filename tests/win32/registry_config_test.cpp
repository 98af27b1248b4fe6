// The settings store in the registry, on wine's registry (or the real one):
// every test works in a key of its own and removes it again, except the
// device-id test, which needs the shared key and runs only where there is
// none yet.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/device_ids.h"
#include "platform/win32/wide_text.h"

namespace k4 {
namespace {

const std::string kScratchKey =
    "SOFTWARE\\Tavrin Co\\K4 Registry Test " + std::to_string(GetCurrentProcessId()) + "\\Configuration";

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void CreateKey(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(key);
}

void SetRaw(HKEY root, const std::string& path, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

// The key and its parent ("...\K4 Registry Test <pid>").
void DeleteKeyAndParent(HKEY root, const std::string& path)
{
    RegDeleteTreeA(root, path.substr(0, path.rfind('\\')).c_str());
}

class RegistryStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteKeyAndParent(HKEY_LOCAL_MACHINE, kScratchKey);
        DeleteKeyAndParent(HKEY_CURRENT_USER, kScratchKey);
    }
    void TearDown() override { SetUp(); }
};

TEST_F(RegistryStore, DwordsOfAtMostFourBytesReadWhateverTheirType)
{
    CreateKey(HKEY_LOCAL_MACHINE, kScratchKey);
    const std::uint32_t dword = 0x10c4;
    const std::uint64_t qword = 0xea60;
    const unsigned char four[4] = {0x60, 0xea, 0, 0};
    const unsigned char five[5] = {0x60, 0xea, 0, 0, 0};
    const char text[] = "4292";
    const struct {
        const char* name;
        DWORD type;
        const void* data;
        DWORD size;
        bool reads;
        std::uint32_t value;
    } cases[] = {
        {"dword", REG_DWORD, &dword, 4, true, 0x10c4}, {"binary of four", REG_BINARY, four, 4, true, 0xea60},
        {"qword", REG_QWORD, &qword, 8, false, 0},     {"binary of five", REG_BINARY, five, 5, false, 0},
        {"text", REG_SZ, text, sizeof text, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetRaw(HKEY_LOCAL_MACHINE, kScratchKey, "Value", c.type, c.data, c.size);
        std::uint32_t value = 7;
        EXPECT_EQ(ReadConfigDword(kScratchKey, "Value", value), c.reads);
        EXPECT_EQ(value, c.reads ? c.value : 7u) << "a failed read leaves the destination alone";
    }
    std::uint32_t value = 7;
    EXPECT_FALSE(ReadConfigDword(kScratchKey, "Missing", value));
    EXPECT_FALSE(ReadConfigDword(kScratchKey + "\\Deeper", "Value", value));
    EXPECT_EQ(value, 7u);
}

std::string Repeated(const std::string& piece, std::size_t times)
{
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

// Stored as the installer stores it: UTF-16, the terminator included.
void SetString(const std::string& path, const wchar_t* name, const std::string& text)
{
    const std::wstring wide = Widen(text);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(path).c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                             static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(RegistryStore, StringsUpTo1023CharactersRead)
{
    CreateKey(HKEY_LOCAL_MACHINE, kScratchKey);
    const struct {
        std::string text;
        bool reads;
    } cases[] = {
        {"C:\\Program Files\\K4\\", true},
        {"", true},
        {std::string(kConfigStringMax, 'p'), true},
        {std::string(kConfigStringMax + 1, 'p'), false},
        // Folders in any language, whatever the machine's code page.
        {"C:\\Program Files\\Zähler Программы 表ソ\\", true},
        // The limit counts characters, not the bytes of their UTF-8.
        {Repeated("ü", kConfigStringMax), true},
        {Repeated("ü", kConfigStringMax + 1), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.size());
        SetString(kScratchKey, L"MainAppPath", c.text);
        std::string value = "unchanged";
        EXPECT_EQ(ReadConfigString(kScratchKey, "MainAppPath", value), c.reads);
        EXPECT_EQ(value, c.reads ? c.text : "unchanged");
    }
    std::string value;
    EXPECT_FALSE(ReadConfigString(kScratchKey, "Missing", value));
}

TEST_F(RegistryStore, WritingSystemWideNeedsTheKeyAndNeverMakesIt)
{
    EXPECT_FALSE(WriteConfigDword(kScratchKey, "RunOnStart", 1));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kScratchKey));

    CreateKey(HKEY_LOCAL_MACHINE, kScratchKey);
    ASSERT_TRUE(WriteConfigDword(kScratchKey, "RunOnStart", 0x12345678));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kScratchKey.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key),
              ERROR_SUCCESS);
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(key, "RunOnStart", nullptr, &type, reinterpret_cast<BYTE*>(&data), &size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, DWORD{REG_DWORD});
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(data, 0x12345678u);
}

// A user who may not write the system-wide key keeps his answer in his own.
TEST_F(RegistryStore, TheUsersOwnValuesAreApartAndMayMakeTheirKey)
{
    CreateKey(HKEY_LOCAL_MACHINE, kScratchKey);
    const DWORD systemWide = 0;
    SetRaw(HKEY_LOCAL_MACHINE, kScratchKey, "RunOnStart", REG_DWORD, &systemWide, 4);
    std::uint32_t value = 7;
    EXPECT_FALSE(ReadUserConfigDword(kScratchKey, "RunOnStart", value)) << "the system-wide value is not the user's";
    EXPECT_EQ(value, 7u);

    ASSERT_TRUE(WriteUserConfigDword(kScratchKey, "RunOnStart", 1));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kScratchKey));
    ASSERT_TRUE(ReadUserConfigDword(kScratchKey, "RunOnStart", value));
    EXPECT_EQ(value, 1u);
    ASSERT_TRUE(ReadConfigDword(kScratchKey, "RunOnStart", value));
    EXPECT_EQ(value, 0u) << "and the user's value is not the system-wide one";

    const std::uint64_t tooLong = 1;
    SetRaw(HKEY_CURRENT_USER, kScratchKey, "RunOnStart", REG_QWORD, &tooLong, 8);
    value = 7;
    EXPECT_FALSE(ReadUserConfigDword(kScratchKey, "RunOnStart", value));
    EXPECT_EQ(value, 7u);
}

TEST_F(RegistryStore, RunOnStartFallsBackToTheUserWhenTheSystemKeyIsMissing)
{
    // The launcher's way: system-wide first, the user's own when refused.
    ASSERT_FALSE(WriteConfigDword(kScratchKey, "RunOnStart", 1));
    ASSERT_TRUE(WriteUserConfigDword(kScratchKey, "RunOnStart", 1));
    std::uint32_t value = 0;
    EXPECT_FALSE(ReadConfigDword(kScratchKey, "RunOnStart", value));
    ASSERT_TRUE(ReadUserConfigDword(kScratchKey, "RunOnStart", value));
    EXPECT_EQ(value, 1u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kScratchKey));
}

TEST(DeviceIds, ThePidIsReadOnlyAfterAVid)
{
    const std::string shared(kConfigKeyPath);
    if (KeyExists(HKEY_LOCAL_MACHINE, shared))
        GTEST_SKIP() << "the shared key exists here; it is not ours to change";
    const struct {
        const char* name;
        std::vector<std::pair<const char*, std::uint32_t>> values;
        std::uint32_t vid;
        std::uint32_t pid;
    } cases[] = {
        {"both", {{"VID", 0x10c4}, {"PID", 0xea60}}, 0x10c4, 0xea60},
        {"no PID", {{"VID", 0x10c4}}, 0x10c4, 0},
        {"no VID", {{"PID", 0xea60}}, 0, 0},
        {"above 16 bits", {{"VID", 70000}, {"PID", 1}}, 70000, 1},
        {"none", {}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CreateKey(HKEY_LOCAL_MACHINE, shared);
        for (const auto& [name, value] : c.values) {
            const DWORD data = value;
            SetRaw(HKEY_LOCAL_MACHINE, shared, name, REG_DWORD, &data, 4);
        }
        const DeviceIds ids = ReadDeviceIds();
        EXPECT_EQ(ids.vid, c.vid);
        EXPECT_EQ(ids.pid, c.pid);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, shared.c_str());
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, shared.c_str(), KEY_WOW64_64KEY, 0);
    }
    const DeviceIds none = ReadDeviceIds();
    EXPECT_EQ(none.vid, 0u);
    EXPECT_EQ(none.pid, 0u) << "a missing key is no value at all";
}

} // namespace
} // namespace k4
