#include <gtest/gtest.h>

#include <windows.h>

#include "platform/program_folder.h"
#include "platform/program_starter.h"
#include "platform/win32/wide_text.h"
#include "scratch_folder.h"

namespace k4 {
namespace {

TEST(ProgramStarter, StartsProgramFilesOnly)
{
    test::ScratchFolder folder;
    test::WriteWholeFile(folder / "not-a-program.exe", "text");
    // MainAppPath may name a folder in any language, with blanks.
    const std::string programs = folder / "Zähler Программы 表";
    CreateDirectoryW(Widen(programs).c_str(), nullptr);
    CopyFileW(Widen(ProgramFolder() + "\\k4-report.exe").c_str(), Widen(programs + "\\k4-report.exe").c_str(), FALSE);
    const struct {
        std::string file;
        bool starts;
    } cases[] = {
        {ProgramFolder() + "\\k4-report.exe", true},
        {programs + "\\k4-report.exe", true},
        {ProgramFolder() + "\\no such program.exe", false},
        {folder / "not-a-program.exe", false},
        {folder.Path(), false},
        {"", false},
        {ProgramFolder() + "\\" + std::string(MAX_PATH, 'p') + ".exe", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(SystemProgramStarter().Start(c.file), c.starts);
    }
}

} // namespace
} // namespace k4
