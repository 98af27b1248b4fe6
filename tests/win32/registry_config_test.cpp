// The settings store in the registry, on wine's registry (or the real one):
// every test works in a key of its own and removes it again. Which values
// make the device ids is config_store_test's part.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "common/device_ids.h"
#include "platform/win32/wide_text.h"

namespace k4 {
namespace {

const std::string kScratchKey =
    "SOFTWARE\\Tavrin Co\\K4 Registry Test " + std::to_string(GetCurrentProcessId()) + "\\Configuration";

// Creates the key when needed; the size of a string counts its terminator.
void SetRaw(HKEY root, const std::string& path, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, Widen(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

class RegistryStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
            RegDeleteTreeA(root, kScratchKey.substr(0, kScratchKey.rfind('\\')).c_str());
    }
    void TearDown() override { SetUp(); }
};

TEST_F(RegistryStore, ValuesReadOnlyInTheirTypeAndSize)
{
    const unsigned char four[4] = {0x60, 0xea, 0, 0};
    const unsigned char five[5] = {0x60, 0xea, 0, 0, 0};
    const DWORD dword = 0x10c4;
    const struct {
        DWORD type;
        const void* data;
        DWORD size;
        std::uint32_t read; // 7: not read, the destination left alone; the type is not looked at
    } dwords[] = {{REG_DWORD, &dword, 4, 0x10c4}, {REG_BINARY, four, 4, 0xea60}, {REG_BINARY, five, 5, 7}};
    for (const auto& c : dwords) {
        SetRaw(HKEY_LOCAL_MACHINE, kScratchKey, L"Value", c.type, c.data, c.size);
        std::uint32_t value = 7;
        EXPECT_EQ(ReadConfigDword(kScratchKey, "Value", value), c.read != 7) << c.type << "/" << c.size;
        EXPECT_EQ(value, c.read);
    }
    std::uint32_t value = 7;
    EXPECT_FALSE(ReadConfigDword(kScratchKey, "Missing", value));
    EXPECT_FALSE(ReadConfigDword(kScratchKey + "\\Deeper", "Value", value));

    // Folders in any language; the limit counts characters, not UTF-8 bytes.
    std::string longest;
    for (std::size_t i = 0; i < kConfigStringMax; ++i)
        longest += "ü";
    for (const std::string& text :
         {std::string("C:\\Program Files\\Zähler Программы 表ソ\\"), std::string(), longest, longest + "p"}) {
        const std::wstring wide = Widen(text);
        SetRaw(HKEY_LOCAL_MACHINE, kScratchKey, L"MainAppPath", REG_SZ, wide.c_str(),
               static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
        std::string read = "unchanged";
        const bool fits = wide.size() <= kConfigStringMax;
        EXPECT_EQ(ReadConfigString(kScratchKey, "MainAppPath", read), fits) << wide.size();
        EXPECT_EQ(read, fits ? text : "unchanged");
    }
}

// The launcher's way with RunOnStart: system-wide where it may write (it
// never makes the key), else the user's own, which is kept apart.
TEST_F(RegistryStore, SystemWideValuesNeedTheKeyAndTheUsersOwnAreApart)
{
    EXPECT_FALSE(WriteConfigDword(kScratchKey, "RunOnStart", 1));
    HKEY made = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kScratchKey.c_str(), 0, KEY_READ, &made), ERROR_SUCCESS);
    ASSERT_TRUE(WriteUserConfigDword(kScratchKey, "RunOnStart", 1));
    std::uint32_t value = 7;
    EXPECT_FALSE(ReadConfigDword(kScratchKey, "RunOnStart", value));
    ASSERT_TRUE(ReadUserConfigDword(kScratchKey, "RunOnStart", value));
    EXPECT_EQ(value, 1u);

    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    SetRaw(HKEY_LOCAL_MACHINE, kScratchKey, L"RunOnStart", REG_DWORD, &data, sizeof data);
    ASSERT_TRUE(WriteConfigDword(kScratchKey, "RunOnStart", 0x12345678));
    EXPECT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, kScratchKey.c_str(), "RunOnStart", RRF_RT_ANY, &type, &data, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD{REG_DWORD});
    EXPECT_EQ(data, 0x12345678u);
    ASSERT_TRUE(ReadUserConfigDword(kScratchKey, "RunOnStart", value));
    EXPECT_EQ(value, 1u) << "the system-wide value is not the user's";
}

} // namespace
} // namespace k4
