#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/output_path.h"
#include "platform/user_folders.h"

namespace k4 {
namespace {

namespace fs = std::filesystem;

TEST(ChosenExtension, AnyExtensionOrTrailingDotGoes)
{
    EXPECT_EQ(StripChosenExtension("/out/report.xls"), "/out/report");
    EXPECT_EQ(StripChosenExtension("/out/report.txt"), "/out/report");
    EXPECT_EQ(StripChosenExtension("/out/report."), "/out/report");
    EXPECT_EQ(StripChosenExtension("/out/report"), "/out/report");
    EXPECT_EQ(StripChosenExtension("/out/archive.tar.gz"), "/out/archive.tar");
}

TEST(BaseName, OnlyADotInTheLastComponentStartsAnExtension)
{
    EXPECT_EQ(BaseNameOf("report.csv"), "report");
    EXPECT_EQ(BaseNameOf("/data.old/report"), "/data.old/report");
    EXPECT_EQ(BaseNameOf("/data.old/report.xls"), "/data.old/report");
    EXPECT_EQ(BaseNameOf("sub/report"), "sub/report");
}

class SaveRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("k4save-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "home");
        documents = (root / "home" / "Documents").string();
        home = (root / "home").string();
    }
    void TearDown() override { fs::remove_all(root); }

    SaveCheck Save(std::string_view typed) { return ResolveSavePath(typed, documents, home, result); }

    fs::path root;
    std::string documents;
    std::string home;
    std::string result;
};

TEST_F(SaveRules, PlainNamesGoIntoTheDataFolderWhichSaveCreates)
{
    ASSERT_EQ(Save("report"), SaveCheck::Ok);
    EXPECT_EQ(result, documents + "/K4 Data Folder/report");
    EXPECT_TRUE(fs::is_directory(documents + "/K4 Data Folder"));
    ASSERT_EQ(Save("report.csv"), SaveCheck::Ok) << "an existing folder is no failure";
    EXPECT_EQ(result, documents + "/K4 Data Folder/report");
    ASSERT_EQ(Save("r"), SaveCheck::Ok);
    EXPECT_EQ(result, documents + "/K4 Data Folder/r");
}

TEST_F(SaveRules, SubFoldersAreNotCreated)
{
    ASSERT_EQ(Save("sub/report"), SaveCheck::Ok);
    EXPECT_EQ(result, documents + "/K4 Data Folder/sub/report");
    EXPECT_FALSE(fs::exists(documents + "/K4 Data Folder/sub"));
}

TEST_F(SaveRules, FullAndHomePaths)
{
    ASSERT_EQ(Save("/srv/data.old/report"), SaveCheck::Ok);
    EXPECT_EQ(result, "/srv/data.old/report");
    ASSERT_EQ(Save("~/pump/report.xls"), SaveCheck::Ok);
    EXPECT_EQ(result, home + "/pump/report");
    EXPECT_TRUE(fs::is_directory(documents + "/K4 Data Folder")) << "made on every Save";
}

TEST_F(SaveRules, NamesThatNameNoFileAreRefused)
{
    EXPECT_EQ(Save(""), SaveCheck::EmptyName);
    result = "unchanged";
    EXPECT_EQ(Save(".csv"), SaveCheck::EmptyName);
    EXPECT_EQ(Save("sub/"), SaveCheck::EmptyName);
    EXPECT_EQ(result, "unchanged");
}

TEST_F(SaveRules, AnUncreatableDataFolderIsReported)
{
    std::ofstream(root / "home" / "Documents") << "a file where the folder should be";
    EXPECT_EQ(Save("report"), SaveCheck::DataFolderMissing);
}

// The documents folder is the desktop's own: the one that user-dirs.dirs
// names, else ~/Documents.
TEST_F(SaveRules, TheDesktopsDocumentsFolderHoldsTheDataFolder)
{
    const struct {
        const char* userDirs; // nullptr: no user-dirs.dirs
        const char* documents;
    } cases[] = {
        {"XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", "/Dokumente"},
        {nullptr, "/Documents"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.documents);
        const fs::path config = root / "config";
        fs::remove_all(config);
        fs::create_directories(config);
        if (c.userDirs)
            std::ofstream(config / "user-dirs.dirs") << c.userDirs;
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        EXPECT_EQ(DocumentsFolder(), home + c.documents);
        ASSERT_EQ(ResolveSavePath("report", result), SaveCheck::Ok);
        EXPECT_EQ(result, home + c.documents + "/K4 Data Folder/report");
    }
}

} // namespace
} // namespace k4
