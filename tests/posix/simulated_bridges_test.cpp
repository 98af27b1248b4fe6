#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/posix_bridges.h"
#include "tests/posix/pty_pair.h"
#include "tests/posix/scratch_folder.h"

namespace k4 {
namespace {

class SimulatedBridgesTest : public ::testing::Test {
protected:
    // A device node stand-in that can be opened and locked like one.
    std::string Device(const std::string& name) { return m_folder.Write("dev/" + name, "").string(); }

    void Announce(const std::string& fileName, const std::string& text) { m_folder.Write("bridges/" + fileName, text); }

    std::string BridgeFolder() const { return (m_folder.Path() / "bridges").string(); }

    std::uint32_t Count(BridgeLibrary& library)
    {
        std::uint32_t count = 99;
        library.GetNumDevices(count);
        return count;
    }

    std::uint16_t VidAt(BridgeLibrary& library, std::uint32_t index)
    {
        BridgeHandle handle = kNoBridge;
        if (library.Open(index, handle) != 0)
            return 0;
        std::uint16_t vid = 0;
        library.GetVid(handle, vid);
        library.Close(handle);
        return vid;
    }

    k4test::ScratchFolder m_folder;
};

TEST_F(SimulatedBridgesTest, ListsWellFormedBridgeFilesInFileNameOrder)
{
    Announce("b.bridge", Device("b") + " 0002 ea60\n");
    Announce("a.bridge", Device("a") + " 0001 ea60\n");
    Announce("c.bridge", "not a bridge\n");
    Announce("d.txt", Device("d") + " 0004 ea60\n");
    Announce(".hidden.bridge", Device("h") + " 0005 ea60\n");
    std::filesystem::create_directories(m_folder.Path() / "bridges" / "e.bridge");

    auto library = MakeSimulatedBridgeLibrary(BridgeFolder());
    ASSERT_EQ(Count(*library), 2u);
    EXPECT_EQ(VidAt(*library, 0), 1);
    EXPECT_EQ(VidAt(*library, 1), 2);
}

TEST_F(SimulatedBridgesTest, EachCountTakesAFreshList)
{
    auto library = MakeSimulatedBridgeLibrary(BridgeFolder());
    EXPECT_EQ(Count(*library), 0u); // the folder does not even exist yet
    Announce("unit.bridge", Device("unit") + " 10c4 ea60\n");
    EXPECT_EQ(Count(*library), 1u);
    BridgeHandle handle = kNoBridge;
    EXPECT_NE(library->Open(1, handle), 0);
}

TEST_F(SimulatedBridgesTest, UnpluggedBridgeCannotBeOpened)
{
    Announce("unit.bridge", Device("unit") + " 10c4 ea60\n");
    auto library = MakeSimulatedBridgeLibrary(BridgeFolder());
    ASSERT_EQ(Count(*library), 1u);
    std::filesystem::remove(m_folder.Path() / "bridges" / "unit.bridge");

    BridgeHandle handle = kNoBridge;
    EXPECT_NE(library->Open(0, handle), 0);
    EXPECT_EQ(handle, kNoBridge);
}

TEST_F(SimulatedBridgesTest, HeldBridgeCannotBeOpenedBySecondOpener)
{
    k4test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    Announce("unit.bridge", pty.DevicePath() + " 10c4 ea60\n");
    auto mainProgram = MakeSimulatedBridgeLibrary(BridgeFolder());
    auto secondProgram = MakeSimulatedBridgeLibrary(BridgeFolder());
    ASSERT_EQ(Count(*mainProgram), 1u);
    ASSERT_EQ(Count(*secondProgram), 1u);

    BridgeHandle held = kNoBridge;
    ASSERT_EQ(mainProgram->Open(0, held), 0);
    BridgeHandle second = kNoBridge;
    EXPECT_NE(secondProgram->Open(0, second), 0);

    mainProgram->Close(held);
    ASSERT_EQ(secondProgram->Open(0, second), 0);
    secondProgram->Close(second);
}

TEST_F(SimulatedBridgesTest, RepeatedCloseLeavesReusedDescriptorAlone)
{
    Announce("unit.bridge", Device("unit") + " 10c4 ea60\n");
    auto library = MakeSimulatedBridgeLibrary(BridgeFolder());
    ASSERT_EQ(Count(*library), 1u);
    BridgeHandle handle = kNoBridge;
    ASSERT_EQ(library->Open(0, handle), 0);
    library->Close(handle);

    // The lowest free descriptor is the one just closed.
    const int unrelated = ::open("/dev/null", O_RDONLY);
    ASSERT_EQ(unrelated, handle);
    library->Close(handle);
    EXPECT_NE(::fcntl(unrelated, F_GETFD), -1);
    ::close(unrelated);
}

} // namespace
} // namespace k4
