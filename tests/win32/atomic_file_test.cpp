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
        test::ScratchFolder scratch;
        const std::size_t cut = place.find_last_of("\\/");
        const std::string folder = cut == std::string::npos ? scratch.Path() : scratch / place.substr(0, cut);
        if (cut != std::string::npos) {
            ASSERT_TRUE(EnsureFolder(folder)) << place;
            EXPECT_EQ(NamesIn(scratch.Path()), std::vector<std::string>{place.substr(0, cut)});
        }
        const std::string target = scratch / place;
        WriteWholeFile(target, "an older and much longer file that must leave no tail");
        AtomicFile file;
        ASSERT_TRUE(file.Open(target)) << place;
        EXPECT_TRUE(file.Write("new,"));
        EXPECT_TRUE(file.Write(place));
        EXPECT_EQ(ReadWholeFile(target), "an older and much longer file that must leave no tail");
        ASSERT_TRUE(file.Commit()) << place;
        EXPECT_EQ(ReadWholeFile(target), "new," + place);
        EXPECT_EQ(NamesIn(folder), std::vector<std::string>{place.substr(cut + 1)});
    }
}

// Every way a write can end without a commit keeps the older file as it
// was and leaves nothing else behind; so does a folder in the file's way.
TEST(AtomicFile, AnEndWithoutCommitKeepsTheOlderFile)
{
    const struct {
        const char* name;
        void (*end)(AtomicFile&);
        bool folderInTheWay;
    } ends[] = {
        {"abandoned", [](AtomicFile& f) { f.Abandon(); }, false},
        {"destroyed", [](AtomicFile&) {}, false},
        {"abandoned, then committed",
         [](AtomicFile& f) {
             f.Abandon();
             EXPECT_FALSE(f.Commit());
         },
         false},
        {"a folder in the way", [](AtomicFile& f) { EXPECT_FALSE(f.Commit()); }, true},
    };
    for (const auto& end : ends) {
        test::ScratchFolder folder;
        const std::string target = folder / "keep.xls";
        const std::string older = end.folderInTheWay ? target + "\\inside" : target;
        if (end.folderInTheWay)
            CreateDirectoryA(target.c_str(), nullptr);
        WriteWholeFile(older, "older");
        {
            AtomicFile file;
            ASSERT_TRUE(file.Open(target)) << end.name;
            file.Write("partial");
            end.end(file);
        }
        EXPECT_EQ(ReadWholeFile(older), "older") << end.name;
        EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"keep.xls"}) << end.name;
    }
}

// The ANSI file functions take MAX_PATH - 1 characters: the longest such
// path is written, one more is refused rather than cut short, as are
// targets that cannot be reached.
TEST(AtomicFile, UnreachableTargetsAreRefusedAtOpen)
{
    test::ScratchFolder folder;
    const std::string longest = folder / std::string(MAX_PATH - 2 - folder.Path().size(), 'a');
    ASSERT_LT(longest.size() - folder.Path().size(), 256u) << "the scratch folder's name is too short";
    AtomicFile fits;
    ASSERT_TRUE(fits.Open(longest));
    ASSERT_TRUE(fits.Commit());
    for (const std::string& target :
         {longest + "b", folder / "no such folder\\out.csv", folder.Path() + "\\", std::string()}) {
        AtomicFile file;
        EXPECT_FALSE(file.Open(target)) << target;
        EXPECT_FALSE(file.Write("x")) << "a refused file takes no bytes";
        EXPECT_FALSE(file.Commit());
    }
    EXPECT_EQ(NamesIn(folder.Path()).size(), 1u);
}

} // namespace
} // namespace k4
