#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/system_bridges.h"
#include "tests/posix/pty_pair.h"
#include "tests/posix/scratch_folder.h"

namespace k4 {
namespace {

class SimulatedBridgesTest : public ::testing::Test {
protected:
    // A device node stand-in that can be opened and locked like one.
    std::string Device(const std::string& name) { return m_folder.Write("dev/" + name, "").string(); }

    void Announce(const std::string& fileName, const std::string& text) { m_folder.Write("bridges/" + fileName, text); }

    std::unique_ptr<BridgeLibrary> Library()
    {
        return MakeSimulatedBridgeLibrary((m_folder.Path() / "bridges").string());
    }

    static std::uint32_t Count(BridgeLibrary& library)
    {
        std::uint32_t count = 99;
        library.GetNumDevices(count);
        return count;
    }

    k4test::ScratchFolder m_folder;
};

TEST_F(SimulatedBridgesTest, EachCountListsTheWellFormedBridgeFilesThereInNameOrder)
{
    auto library = Library();
    EXPECT_EQ(Count(*library), 0u); // the folder does not even exist yet
    Announce("b.bridge", Device("b") + " 0002 ea60\n");
    Announce("a.bridge", Device("a") + " 0001 ea60\n");
    Announce("c.bridge", "not a bridge\n");
    Announce("d.txt", Device("d") + " 0004 ea60\n");
    Announce(".hidden.bridge", Device("h") + " 0005 ea60\n");
    std::filesystem::create_directories(m_folder.Path() / "bridges" / "e.bridge");

    ASSERT_EQ(Count(*library), 2u);
    BridgeHandle handle = kNoBridge;
    for (std::uint16_t expectedVid : {1, 2}) {
        ASSERT_EQ(library->Open(expectedVid - 1u, handle), 0);
        std::uint16_t vid = 0;
        library->GetVid(handle, vid);
        EXPECT_EQ(vid, expectedVid);
        library->Close(handle);
    }
    handle = kNoBridge;
    EXPECT_NE(library->Open(2, handle), 0);
    std::filesystem::remove(m_folder.Path() / "bridges" / "a.bridge");
    EXPECT_NE(library->Open(0, handle), 0); // unplugged since the count
    EXPECT_EQ(handle, kNoBridge);
}

// The lock is the device's own: another program (here another library)
// cannot open a bridge this one holds, and closing a handle twice cannot
// close the descriptor the other program has been given since.
TEST_F(SimulatedBridgesTest, HeldBridgeIsExclusiveAndAStraySecondCloseHurtsNoOne)
{
    k4test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    Announce("unit.bridge", pty.DevicePath() + " 10c4 ea60\n");
    auto mainProgram = Library();
    auto secondProgram = Library();
    ASSERT_EQ(Count(*mainProgram), 1u);
    ASSERT_EQ(Count(*secondProgram), 1u);

    BridgeHandle held = kNoBridge;
    BridgeHandle second = kNoBridge;
    ASSERT_EQ(mainProgram->Open(0, held), 0);
    EXPECT_NE(secondProgram->Open(0, second), 0);
    mainProgram->Close(held);
    ASSERT_EQ(secondProgram->Open(0, second), 0);
    ASSERT_EQ(second, held); // the lowest free descriptor is the one just closed

    mainProgram->Close(held);
    EXPECT_NE(::fcntl(static_cast<int>(second), F_GETFD), -1);
    secondProgram->Close(second);
}

} // namespace
} // namespace k4
