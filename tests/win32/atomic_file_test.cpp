#include <gtest/gtest.h>

#include <windows.h>

#include "platform/atomic_file.h"
#include "platform/user_folders.h"
#include "tests/posix/scratch_folder.h"

namespace k4 {
namespace {

// An older, longer file is replaced whole at the commit and not before, with
// no temporary left: through a forward slash, and in folders and names of
// every script whatever the machine's code page ("表" and "ソ" end in the
// byte of a backslash in code page 932).
TEST(AtomicFile, ReplacesAnOlderFileWholeUnderAnyName)
{
    const char* const places[] = {
        "report.csv",         "sub/out.xls", "Jürgen Süd Mühle\\Süd Mühle.csv", "Южная\\Мельница №2.csv",
        "表示\\ソフト表.csv", "ölçüm\\😀.csv"};
    for (const std::string place : places) {
        k4test::ScratchFolder scratch;
        const std::size_t cut = place.find_last_of("\\/");
        const std::string folder = cut == std::string::npos ? "" : place.substr(0, cut);
        ASSERT_TRUE(EnsureFolder(scratch / folder)) << place;
        EXPECT_EQ(scratch.Names(), folder.empty() ? std::vector<std::string>{} : std::vector{folder});
        scratch.Write(place, "an older and much longer file that must leave no tail");
        AtomicFile file;
        ASSERT_TRUE(file.Open(scratch / place)) << place;
        EXPECT_TRUE(file.Write("new,"));
        EXPECT_TRUE(file.Write(place));
        EXPECT_EQ(scratch.Read(place), "an older and much longer file that must leave no tail");
        ASSERT_TRUE(file.Commit()) << place;
        EXPECT_EQ(scratch.Read(place), "new," + place);
        EXPECT_EQ(scratch.Names(folder), std::vector<std::string>{place.substr(cut + 1)});
    }
}

// Every way a write can end without a commit keeps the older file as it
// was and leaves nothing else behind; so does a folder in the file's way.
TEST(AtomicFile, AnEndWithoutCommitKeepsTheOlderFile)
{
    enum End { Abandoned, Destroyed, AbandonedThenCommitted, FolderInTheWay };
    for (const End end : {Abandoned, Destroyed, AbandonedThenCommitted, FolderInTheWay}) {
        k4test::ScratchFolder folder;
        const std::string older = end == FolderInTheWay ? "keep.xls\\inside" : "keep.xls";
        folder.Write(older, "older");
        {
            AtomicFile file;
            ASSERT_TRUE(file.Open(folder / "keep.xls")) << end;
            file.Write("partial");
            if (end == Abandoned || end == AbandonedThenCommitted)
                file.Abandon();
            if (end == AbandonedThenCommitted || end == FolderInTheWay)
                EXPECT_FALSE(file.Commit()) << end;
        }
        EXPECT_EQ(folder.Read(older), "older") << end;
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"keep.xls"}) << end;
    }
}

// The ANSI file functions take MAX_PATH - 1 characters: the longest such
// path is written, one more is refused rather than cut short, as are
// targets that cannot be reached.
TEST(AtomicFile, UnreachableTargetsAreRefusedAtOpen)
{
    k4test::ScratchFolder folder;
    const std::string longest = folder / std::string(MAX_PATH - 2 - folder.Utf8().size(), 'a');
    ASSERT_LT(longest.size() - folder.Utf8().size(), 256u) << "the scratch folder's name is too short";
    AtomicFile fits;
    ASSERT_TRUE(fits.Open(longest));
    ASSERT_TRUE(fits.Commit());
    for (const std::string& target : {longest + "b", folder / "no such folder\\out.csv", folder / "", std::string()}) {
        AtomicFile file;
        EXPECT_FALSE(file.Open(target)) << target;
        EXPECT_FALSE(file.Write("x")) << "a refused file takes no bytes";
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_EQ(folder.Names().size(), 1u);
}

} // namespace
} // namespace k4
