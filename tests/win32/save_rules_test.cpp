// The save rules with what only Windows names have: drive letters, network
// paths, both separators, and the 259-character limit of a full name. The
// rules themselves are output_path_test's part.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/output_path.h"
#include "platform/path_rules.h"
#include "tests/posix/scratch_folder.h"

namespace k4 {
namespace {

TEST(WindowsPaths, TypedNamesGiveTheirBasePath)
{
    k4test::ScratchFolder documents;
    const std::string data = documents / "K4 Data Folder\\";
    EXPECT_FALSE(IsPathSeparator(':'));
    EXPECT_FALSE(IsFullPath("\\report"));
    const struct {
        const char* typed;
        SaveCheck check;
        std::string basePath;
    } cases[] = {
        {"C:\\x", SaveCheck::Ok, "C:\\x"},
        {"D:report", SaveCheck::Ok, "D:report"},
        {"D:\\data.old\\report", SaveCheck::Ok, "D:\\data.old\\report"},
        {"D:\\out\\report.xls", SaveCheck::Ok, "D:\\out\\report"},
        {"\\\\server\\share\\r.csv", SaveCheck::Ok, "\\\\server\\share\\r"},
        {"//server/share/r", SaveCheck::Ok, "//server/share/r"},
        {"c:/out/report", SaveCheck::Ok, "c:/out/report"},
        {"sub\\report", SaveCheck::Ok, data + "sub\\report"},
        {"sub/report.txt", SaveCheck::Ok, data + "sub/report"},
        {"sub\\", SaveCheck::EmptyName, ""},
    };
    for (const auto& c : cases) {
        std::string result;
        EXPECT_EQ(ResolveSavePath(c.typed, documents.Utf8(), "C:\\unused", result), c.check) << c.typed;
        EXPECT_EQ(result, c.basePath) << c.typed;
    }
    EXPECT_EQ(documents.Names("K4 Data Folder"), std::vector<std::string>{}) << "a typed sub-folder is never created";
    std::string result;
    EXPECT_EQ(ResolveSavePath("report", documents / std::string(MAX_PATH, 'd'), "C:\\unused", result),
              SaveCheck::DataFolderMissing);
}

} // namespace
} // namespace k4
