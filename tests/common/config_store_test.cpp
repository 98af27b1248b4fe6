#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common/device_ids.h"

namespace k4 {
namespace {

namespace fs = std::filesystem;

TEST(ConfigValues, DecimalOrHexUnsigned32Only)
{
    std::uint32_t v = 7;
    EXPECT_TRUE(ParseConfigDword("4292", v));
    EXPECT_EQ(v, 4292u);
    EXPECT_TRUE(ParseConfigDword("0x10c4", v));
    EXPECT_EQ(v, 0x10c4u);
    EXPECT_TRUE(ParseConfigDword("0XEA60", v));
    EXPECT_EQ(v, 0xea60u);
    EXPECT_TRUE(ParseConfigDword("4294967295", v));
    v = 7;
    for (const char* bad : {"", "0x", "-1", "+5", " 5", "5 ", "12abc", "4294967296", "0x100000000", "1e3", "0x-1"})
        EXPECT_FALSE(ParseConfigDword(bad, v)) << bad;
    EXPECT_EQ(v, 7u) << "a failed parse leaves the value alone";
}

// Runs the probe against a system settings folder holding `contents`.
std::string ReadWith(const std::string& contents)
{
    const fs::path dir = fs::temp_directory_path() / ("k4cfg-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "Tavrin Co");
    std::ofstream(dir / "Tavrin Co" / "K4 Data Transfer Application.conf") << contents;
    const std::string command =
        "XDG_CONFIG_DIRS='" + dir.string() + "' HOME='" + dir.string() + "' '" + K4_CONFIG_PROBE + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::array<char, 2048> line{};
    std::string out = pipe && std::fgets(line.data(), line.size(), pipe.get()) ? line.data() : "";
    fs::remove_all(dir);
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

TEST(ConfigStore, ReadsTheSharedKey)
{
    EXPECT_EQ(ReadWith("[Configuration]\nVID=0x10c4\nPID=60000\nMainAppPath=/opt/k4/\n"), "4292 60000 /opt/k4/");
}

TEST(ConfigStore, MissingVidMeansNoIdsAtAll)
{
    EXPECT_EQ(ReadWith("[Configuration]\nPID=60000\n"), "0 0 -");
    EXPECT_EQ(ReadWith("[Configuration]\nVID=4292\n"), "4292 0 -");
    EXPECT_EQ(ReadWith("[Other]\nVID=4292\nPID=1\n"), "0 0 -");
    EXPECT_EQ(ReadWith(""), "0 0 -");
}

TEST(ConfigStore, UnreadableValuesCountAsAbsent)
{
    EXPECT_EQ(ReadWith("[Configuration]\nVID=ten\nPID=1\n"), "0 0 -");
    EXPECT_EQ(ReadWith("[Configuration]\nVID=70000\nPID=0x1ffffffff\n"), "70000 0 -");
    EXPECT_EQ(ReadWith("[Configuration]\nVID=1, 2\nPID=3\n"), "0 0 -");
    const std::string longPath(1024, 'p');
    EXPECT_EQ(ReadWith("[Configuration]\nVID=1\nPID=2\nMainAppPath=" + longPath + "\n"), "1 2 -");
}

} // namespace
} // namespace k4
