#include <gtest/gtest.h>

#include <windows.h>

#include "platform/atomic_file.h"
#include "platform/user_folders.h"
#include "scratch_folder.h"

namespace k4 {
namespace {

using test::NamesIn;
using test::ReadWholeFile;
using test::WriteWholeFile;

TEST(AtomicFile, ReplacesAnOlderLongerFileWholeAndLeavesNoTemporary)
{
    test::ScratchFolder folder;
    const std::string target = folder / "report.csv";
    WriteWholeFile(target, "an older and much longer file that must leave no tail");
    AtomicFile file;
    ASSERT_TRUE(file.Open(target));
    EXPECT_TRUE(file.Write("new,"));
    EXPECT_TRUE(file.Write("text\r\n"));
    EXPECT_EQ(ReadWholeFile(target), "an older and much longer file that must leave no tail")
        << "nothing changes before the commit";
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadWholeFile(target), "new,text\r\n");
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"report.csv"});
}

// Users' folder and file names in any script, whatever the machine's code
// page: "表" and "ソ" end in the byte of a backslash in code page 932.
TEST(AtomicFile, NamesInEveryScriptArriveWhole)
{
    const char* names[] = {"Jürgen Süd Mühle", "Южная мельница", "表示ソフト", "ölçüm 😀"};
    for (const std::string name : names) {
        SCOPED_TRACE(name);
        test::ScratchFolder scratch;
        const std::string folder = scratch / name + "\\" + name;
        ASSERT_TRUE(EnsureFolder(folder));
        AtomicFile file;
        ASSERT_TRUE(file.Open(folder + "\\" + name + ".csv"));
        file.Write(name);
        ASSERT_TRUE(file.Commit());
        EXPECT_EQ(NamesIn(scratch / name), std::vector<std::string>{name});
        EXPECT_EQ(NamesIn(folder), std::vector<std::string>{name + ".csv"});
        EXPECT_EQ(ReadWholeFile(folder + "\\" + name + ".csv"), name);
    }
}

TEST(AtomicFile, ForwardSlashesNameTheSameFolder)
{
    test::ScratchFolder folder;
    std::string target = folder / "sub/out.xls";
    CreateDirectoryA((folder / "sub").c_str(), nullptr);
    AtomicFile file;
    ASSERT_TRUE(file.Open(target));
    file.Write("x");
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(NamesIn(folder / "sub"), std::vector<std::string>{"out.xls"});
}

// Every way a write can end without a commit keeps the older file as it
// was and leaves nothing else behind.
TEST(AtomicFile, AnEndWithoutCommitKeepsTheOlderFile)
{
    const struct {
        const char* name;
        void (*end)(AtomicFile&);
    } ends[] = {
        {"abandoned", [](AtomicFile& f) { f.Abandon(); }},
        {"destroyed", [](AtomicFile&) {}},
        {"abandoned, then committed",
         [](AtomicFile& f) {
             f.Abandon();
             EXPECT_FALSE(f.Commit());
         }},
    };
    for (const auto& end : ends) {
        SCOPED_TRACE(end.name);
        test::ScratchFolder folder;
        const std::string target = folder / "keep.xls";
        WriteWholeFile(target, "older");
        {
            AtomicFile file;
            ASSERT_TRUE(file.Open(target));
            file.Write("partial");
            end.end(file);
        }
        EXPECT_EQ(ReadWholeFile(target), "older");
        EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"keep.xls"});
    }
}

TEST(AtomicFile, AFolderInTheWayFailsTheCommitAndStaysAsItWas)
{
    test::ScratchFolder folder;
    const std::string target = folder / "busy.csv";
    CreateDirectoryA(target.c_str(), nullptr);
    WriteWholeFile(target + "\\inside", "x");
    AtomicFile file;
    ASSERT_TRUE(file.Open(target));
    file.Write("data");
    EXPECT_FALSE(file.Commit());
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"busy.csv"});
    EXPECT_EQ(ReadWholeFile(target + "\\inside"), "x");
}

TEST(AtomicFile, UnreachableTargetsAreRefusedAtOpen)
{
    test::ScratchFolder folder;
    const std::string longName(MAX_PATH, 'n');
    for (const std::string& target :
         {folder / "no such folder\\out.csv", folder / longName, folder.Path() + "\\", std::string()}) {
        SCOPED_TRACE(target);
        AtomicFile file;
        EXPECT_FALSE(file.Open(target));
        EXPECT_FALSE(file.Write("x")) << "a refused file takes no bytes";
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_TRUE(NamesIn(folder.Path()).empty());
}

// The ANSI file functions take MAX_PATH - 1 characters: the longest such
// path is written, one more is refused rather than cut short.
TEST(AtomicFile, TheLongestPathThatFitsIsWrittenAndOneMoreIsRefused)
{
    test::ScratchFolder folder;
    const std::size_t room = MAX_PATH - 1 - (folder.Path().size() + 1);
    ASSERT_LT(room, 255u) << "the scratch folder's name is too short for this test";
    const std::string longest = folder / std::string(room, 'a');
    ASSERT_EQ(longest.size(), std::size_t{MAX_PATH - 1});
    {
        AtomicFile file;
        ASSERT_TRUE(file.Open(longest));
        file.Write("fits");
        ASSERT_TRUE(file.Commit());
    }
    EXPECT_EQ(ReadWholeFile(longest), "fits");
    AtomicFile tooLong;
    EXPECT_FALSE(tooLong.Open(longest + "b"));
    EXPECT_EQ(NamesIn(folder.Path()).size(), 1u);
}

} // namespace
} // namespace k4
