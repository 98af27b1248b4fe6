// Binding the bridge maker's library by ordinal, with our stand-in over
// simulated bridges whose devices are plain files, and the serial channel
// on the handles it gives.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/program_folder.h"
#include "platform/system_bridges.h"
#include "platform/win32/manufacturing_library.h"
#include "scratch_folder.h"

namespace k4 {
namespace {

std::string StandInPath()
{
    return ProgramFolder() + "\\" + K4_FAKE_CP210X_FOLDER + "\\" + kManufacturingLibraryName;
}

class ManufacturingLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        line = bridges / "line.bin";
        test::WriteWholeFile(line, "AB");
        test::WriteWholeFile(bridges / "a.bridge", line + " 10c4 ea60\n");
        test::WriteWholeFile(bridges / "b.bridge", "COM250 1234 5678\n");   // no such port
        test::WriteWholeFile(bridges / "c.bridge", "relative\\line 1 2\n"); // not counted
        SetEnvironmentVariableA(kBridgeDirVariable, bridges.Path().c_str());
        library = MakeManufacturingBridgeLibrary(StandInPath());
        ASSERT_NE(library, nullptr) << StandInPath();
    }
    void TearDown() override
    {
        library.reset();
        SetEnvironmentVariableA(kBridgeDirVariable, nullptr);
    }

    test::ScratchFolder bridges;
    std::string line;
    std::unique_ptr<BridgeLibrary> library;
};

TEST_F(ManufacturingLibrary, TheFiveOperationsByOrdinal)
{
    std::uint32_t count = 0;
    library->GetNumDevices(count);
    ASSERT_EQ(count, 2u);

    BridgeHandle handle = kNoBridge;
    ASSERT_EQ(library->Open(0, handle), 0);
    EXPECT_NE(handle, kNoBridge);
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    library->GetVid(handle, vid);
    library->GetPid(handle, pid);
    EXPECT_EQ(vid, 0x10c4);
    EXPECT_EQ(pid, 0xea60);

    BridgeHandle second = kNoBridge;
    EXPECT_NE(library->Open(0, second), 0) << "an open bridge is not opened twice";
    EXPECT_EQ(second, kNoBridge) << "a failed open writes no handle";
    EXPECT_NE(library->Open(1, second), 0) << "a port that is not there";
    EXPECT_NE(library->Open(2, second), 0) << "beyond the count";

    library->Close(handle);
    ASSERT_EQ(library->Open(0, second), 0) << "closed, it opens again";
    library->Close(second);

    DeleteFileA((bridges / "a.bridge").c_str());
    library->GetNumDevices(count);
    EXPECT_EQ(count, 1u) << "an unplugged bridge is no longer counted";
}

// The channel's results on what the library opened: a file is no port (its
// settings are refused) but reads and writes like one.
TEST_F(ManufacturingLibrary, TheHandleIsTheSerialChannelsHandle)
{
    std::uint32_t count = 0;
    library->GetNumDevices(count);
    BridgeHandle handle = kNoBridge;
    ASSERT_EQ(library->Open(0, handle), 0);
    const std::unique_ptr<SerialChannel> channel = MakeSystemSerialChannel();
    EXPECT_FALSE(channel->Configure(handle)) << "a file has no line settings";

    std::uint8_t byte = 0;
    const struct {
        ReadResult result;
        std::uint8_t byte;
    } reads[] = {{ReadResult::Byte, 'A'}, {ReadResult::Byte, 'B'}, {ReadResult::Empty, 0}, {ReadResult::Empty, 0}};
    for (const auto& expected : reads) {
        byte = 0;
        EXPECT_EQ(channel->ReadByte(handle, byte), expected.result);
        EXPECT_EQ(byte, expected.byte);
    }
    const std::uint8_t frame[] = {0x00, 0x03, 0x0C, 0xFF, 0xF1};
    EXPECT_TRUE(channel->Write(handle, frame, sizeof frame));
    library->Close(handle);
    EXPECT_EQ(test::ReadWholeFile(line), std::string("AB\x00\x03\x0C\xFF\xF1", 7));

    EXPECT_EQ(channel->ReadByte(reinterpret_cast<BridgeHandle>(INVALID_HANDLE_VALUE), byte), ReadResult::Failed);
    EXPECT_FALSE(channel->Write(reinterpret_cast<BridgeHandle>(INVALID_HANDLE_VALUE), frame, sizeof frame));
    EXPECT_FALSE(channel->Configure(reinterpret_cast<BridgeHandle>(INVALID_HANDLE_VALUE)));
}

TEST(ManufacturingLibraryLoad, ALibraryWithoutTheFiveOrdinalsIsNotBound)
{
    // The spreadsheet component exports one entry, at ordinal 1 only.
    EXPECT_EQ(MakeManufacturingBridgeLibrary(ProgramFolder() + "\\k4xls.dll"), nullptr);
    EXPECT_EQ(MakeManufacturingBridgeLibrary(ProgramFolder() + "\\no-such.dll"), nullptr);
    EXPECT_EQ(MakeManufacturingBridgeLibrary(kManufacturingLibraryName), nullptr)
        << "a bare name would search the system's path";
    EXPECT_EQ(MakeManufacturingBridgeLibrary(ProgramFolder() + "\\" + std::string(MAX_PATH, 'x') + ".dll"), nullptr);
}

} // namespace
} // namespace k4
