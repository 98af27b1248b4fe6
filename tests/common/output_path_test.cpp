// The save rules as they hold on every platform; tests/win32 adds the
// Windows names (drive letters, network paths, backslashes).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/output_path.h"
#include "platform/path_rules.h"
#include "platform/user_folders.h"

namespace k4 {
namespace {

namespace fs = std::filesystem;

class SaveRules : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(home); }
    void TearDown() override { fs::remove_all(root); }

    SaveCheck Save(std::string_view typed) { return ResolveSavePath(typed, documents, home, result); }

    const fs::path root = fs::temp_directory_path() /
                          ("k4save-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    const std::string home = (root / "home").string();
    const std::string documents = home + PathSeparator() + "Documents";
    const std::string data = documents + PathSeparator() + "K4 Data Folder" + PathSeparator();
    std::string result;
};

TEST_F(SaveRules, TypedNamesGiveTheirBasePath)
{
    const std::pair<std::string, std::string> cases[] = {
#ifndef _WIN32
        // First, so that the data folder is seen made for a full path too.
        {"/srv/data.old/report", "/srv/data.old/report"},
        {"~/pump/report.xls", home + "/pump/report"},
#endif
        {"report", data + "report"},
        {"report.csv", data + "report"}, // an existing data folder is no failure
        {"report.", data + "report"},
        {"r", data + "r"},
        {"sub/report.txt", data + "sub/report"},
        {"sub.old/report", data + "sub.old/report"}, // only a dot in the last part starts an extension
        {"archive.tar.gz", data + "archive.tar"},
    };
    for (const auto& [typed, basePath] : cases) {
        SCOPED_TRACE(typed);
        result.clear();
        ASSERT_EQ(Save(typed), SaveCheck::Ok);
        EXPECT_EQ(result, basePath);
        EXPECT_TRUE(fs::is_directory(data)) << "made on every Save";
    }
    EXPECT_FALSE(fs::exists(data + "sub")) << "a typed sub-folder is never created";
    EXPECT_EQ(StripChosenExtension("/out.d/report.xls"), "/out.d/report");
}

TEST_F(SaveRules, RefusedNamesAndFolders)
{
    std::ofstream(documents) << "a file where the folder should be";
    EXPECT_EQ(Save("report"), SaveCheck::DataFolderMissing);
    fs::remove(documents);
    result = "unchanged";
    for (const char* typed : {"", ".csv", "sub/"})
        EXPECT_EQ(Save(typed), SaveCheck::EmptyName) << typed;
    EXPECT_EQ(result, "unchanged");
}

#ifndef _WIN32
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
#endif

} // namespace
} // namespace k4
