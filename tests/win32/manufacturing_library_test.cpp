// Binding the bridge maker's library by ordinal, with our stand-in over
// simulated bridges whose devices are plain files, and the serial channel
// on the handles it gives.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/program_folder.h"
#include "platform/system_bridges.h"
#include "platform/win32/manufacturing_library.h"
#include "tests/posix/bridge_library_contract.h"
#include "tests/posix/scratch_folder.h"

namespace k4 {
namespace {

TEST(ManufacturingLibrary, TheFiveOperationsByOrdinalAndTheChannelOnTheirHandle)
{
    k4test::ScratchFolder bridges;
    bridges.Write("a.bridge", bridges.Write("a.line", "AB").string() + " 10c4 ea60\n");
    bridges.Write("b.bridge", bridges.Write("b.line", "").string() + " 1234 5678\n");
    SetEnvironmentVariableA(kBridgeDirVariable, bridges.Utf8().c_str());
    const auto make = [] {
        return MakeManufacturingBridgeLibrary(ProgramFolder() + "\\" + K4_FAKE_CP210X_FOLDER + "\\" +
                                              kManufacturingLibraryName);
    };
    // The line goes, its announcement stays: the port cannot be opened.
    k4test::ExpectBridgeLibrary(
        make, {{0x10c4, 0xea60}, {0x1234, 0x5678}}, [&] { std::filesystem::remove(bridges.Path() / "b.line"); }, false);

    const auto library = make();
    std::uint32_t count = 0;
    library->GetNumDevices(count); // the open goes by the last count
    BridgeHandle handle = kNoBridge;
    ASSERT_EQ(library->Open(0, handle), 0);
    // A file is no port (its settings are refused) but reads and writes like one.
    const std::unique_ptr<SerialChannel> channel = MakeSystemSerialChannel();
    EXPECT_FALSE(channel->Configure(handle));
    for (const auto& [result, expected] :
         {std::pair{ReadResult::Byte, 'A'}, std::pair{ReadResult::Byte, 'B'}, std::pair{ReadResult::Empty, '\0'}}) {
        std::uint8_t byte = 0;
        EXPECT_EQ(channel->ReadByte(handle, byte), result);
        EXPECT_EQ(byte, expected);
    }
    const std::uint8_t frame[] = {0x00, 0x03, 0x0C, 0xFF, 0xF1};
    EXPECT_TRUE(channel->Write(handle, frame, sizeof frame));
    library->Close(handle);
    EXPECT_EQ(bridges.Read("a.line"), std::string("AB\x00\x03\x0C\xFF\xF1", 7));
    const auto invalid = reinterpret_cast<BridgeHandle>(INVALID_HANDLE_VALUE);
    std::uint8_t byte = 0;
    EXPECT_EQ(channel->ReadByte(invalid, byte), ReadResult::Failed);
    EXPECT_FALSE(channel->Write(invalid, frame, sizeof frame));
    EXPECT_FALSE(channel->Configure(invalid));

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
