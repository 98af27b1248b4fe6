// The save rules with Windows names: which typed names stand for
// themselves, and where the others go.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/output_path.h"
#include "platform/path_rules.h"
#include "scratch_folder.h"

namespace k4 {
namespace {

TEST(WindowsPaths, SeparatorsAndFullPaths)
{
    EXPECT_EQ(PathSeparator(), '\\');
    EXPECT_TRUE(IsPathSeparator('\\'));
    EXPECT_TRUE(IsPathSeparator('/'));
    EXPECT_FALSE(IsPathSeparator(':'));
    const struct {
        const char* name;
        bool full;
    } cases[] = {
        {"C:\\x", true},
        {"D:report", true},
        {"c:/out/report", true},
        {"\\\\server\\share\\r", true},
        {"//server/share/r", true},
        {"sub\\report", false},
        {"report", false},
        {"r", false},
        {"\\report", false},
        {"\\\\", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsFullPath(c.name), c.full) << c.name;
}

class SaveRules : public ::testing::Test {
protected:
    SaveCheck Save(const std::string& typed) { return ResolveSavePath(typed, documents, "C:\\unused", result); }
    std::string DataFolder() const { return documents + "\\K4 Data Folder"; }

    test::ScratchFolder scratch;
    std::string documents = scratch.Path();
    std::string result;
};

TEST_F(SaveRules, TypedNamesGiveTheirBasePath)
{
    const std::string data = documents + "\\K4 Data Folder\\";
    const struct {
        std::string typed;
        std::string basePath;
    } cases[] = {
        {"C:\\x", "C:\\x"},
        {"D:report", "D:report"},
        {"D:\\data.old\\report", "D:\\data.old\\report"},
        {"D:\\out\\report.xls", "D:\\out\\report"},
        {"\\\\server\\share\\r.csv", "\\\\server\\share\\r"},
        {"report", data + "report"},
        {"report.csv", data + "report"},
        {"r", data + "r"},
        {"sub\\report", data + "sub\\report"},
        {"sub/report.txt", data + "sub/report"},
        {"archive.tar.gz", data + "archive.tar"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        result.clear();
        ASSERT_EQ(Save(c.typed), SaveCheck::Ok);
        EXPECT_EQ(result, c.basePath);
    }
    EXPECT_FALSE(test::Exists(DataFolder() + "\\sub")) << "a typed sub-folder is never created";
}

TEST_F(SaveRules, TheDataFolderIsMadeOnEverySaveEvenForAFullPath)
{
    ASSERT_EQ(Save("C:\\elsewhere\\report"), SaveCheck::Ok);
    EXPECT_TRUE(test::Exists(DataFolder()));
    ASSERT_EQ(Save("report"), SaveCheck::Ok) << "an existing data folder is no failure";
}

TEST_F(SaveRules, NamesThatNameNoFileAreRefused)
{
    for (const char* typed : {"", ".csv", "sub\\", "sub/"}) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(Save(typed), SaveCheck::EmptyName);
    }
}

TEST_F(SaveRules, AFileWhereTheDataFolderShouldBeIsReported)
{
    test::WriteWholeFile(DataFolder(), "not a folder");
    EXPECT_EQ(Save("report"), SaveCheck::DataFolderMissing);
}

TEST_F(SaveRules, ADocumentsFolderThatCannotBeReachedIsReported)
{
    documents = scratch / std::string(MAX_PATH, 'd');
    EXPECT_EQ(Save("report"), SaveCheck::DataFolderMissing);
}

} // namespace
} // namespace k4
