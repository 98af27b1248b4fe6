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

TEST(ManufacturingLibrary, TheFiveOperationsByOrdinalAndTheChannelOnTheirHandle)
{
    test::ScratchFolder bridges;
    const std::string line = bridges / "line.bin";
    test::WriteWholeFile(line, "AB");
    test::WriteWholeFile(bridges / "a.bridge", line + " 10c4 ea60\n");
    test::WriteWholeFile(bridges / "b.bridge", "COM250 1234 5678\n");   // no such port
    test::WriteWholeFile(bridges / "c.bridge", "relative\\line 1 2\n"); // not counted
    SetEnvironmentVariableA(kBridgeDirVariable, bridges.Path().c_str());
    const auto library = MakeManufacturingBridgeLibrary(ProgramFolder() + "\\" + K4_FAKE_CP210X_FOLDER + "\\" +
                                                        kManufacturingLibraryName);
    ASSERT_NE(library, nullptr);

    std::uint32_t count = 0;
    library->GetNumDevices(count);
    ASSERT_EQ(count, 2u);
    BridgeHandle handle = kNoBridge;
    ASSERT_EQ(library->Open(0, handle), 0);
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

    // A file is no port (its settings are refused) but reads and writes like one.
    const std::unique_ptr<SerialChannel> channel = MakeSystemSerialChannel();
    EXPECT_FALSE(channel->Configure(handle));
    for (const auto& [result, expected] : {std::pair{ReadResult::Byte, 'A'}, std::pair{ReadResult::Byte, 'B'},
                                           std::pair{ReadResult::Empty, '\0'}, std::pair{ReadResult::Empty, '\0'}}) {
        std::uint8_t byte = 0;
        EXPECT_EQ(channel->ReadByte(handle, byte), result);
        EXPECT_EQ(byte, expected);
    }
    const std::uint8_t frame[] = {0x00, 0x03, 0x0C, 0xFF, 0xF1};
    EXPECT_TRUE(channel->Write(handle, frame, sizeof frame));
    library->Close(handle);
    EXPECT_EQ(test::ReadWholeFile(line), std::string("AB\x00\x03\x0C\xFF\xF1", 7));
    const auto invalid = reinterpret_cast<BridgeHandle>(INVALID_HANDLE_VALUE);
    std::uint8_t byte = 0;
    EXPECT_EQ(channel->ReadByte(invalid, byte), ReadResult::Failed);
    EXPECT_FALSE(channel->Write(invalid, frame, sizeof frame));
    EXPECT_FALSE(channel->Configure(invalid));

    ASSERT_EQ(library->Open(0, second), 0) << "closed, it opens again";
    library->Close(second);
    DeleteFileA((bridges / "a.bridge").c_str());
    library->GetNumDevices(count);
    EXPECT_EQ(count, 1u) << "an unplugged bridge is no longer counted";
    SetEnvironmentVariableA(kBridgeDirVariable, nullptr);
}

TEST(ManufacturingLibrary, ALibraryWithoutTheFiveOrdinalsIsNotBound)
{
    // The spreadsheet component exports one entry, at ordinal 1 only; a bare
    // name would search the system's path.
    for (const std::string& path :
         {ProgramFolder() + "\\k4xls.dll", ProgramFolder() + "\\no-such.dll", std::string(kManufacturingLibraryName),
          ProgramFolder() + "\\" + std::string(MAX_PATH, 'x') + ".dll"})
        EXPECT_EQ(MakeManufacturingBridgeLibrary(path), nullptr) << path;
}

} // namespace
} // namespace k4
