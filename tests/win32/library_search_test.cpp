// Libraries and programs come only from where we name them: libraries from
// the system folder and the program's own, never from the current folder
// or PATH, where anyone may plant one. The stand-in bridge library plays
// the planted file.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/dynamic_library.h"
#include "platform/program_folder.h"
#include "platform/program_starter.h"
#include "platform/win32/manufacturing_library.h"
#include "platform/win32/wide_text.h"
#include "tests/posix/scratch_folder.h"

namespace k4 {
namespace {

void CopyFromProgramFolder(const std::string& name, const std::string& to)
{
    ASSERT_TRUE(CopyFileW(Widen(ProgramFolder() + "\\" + name).c_str(), Widen(to).c_str(), FALSE)) << to;
}

const std::string kStandIn = std::string(K4_FAKE_CP210X_FOLDER) + "\\" + kManufacturingLibraryName;

bool LoadsByBareName(const wchar_t* name)
{
    const HMODULE module = LoadLibraryW(name);
    if (module != nullptr)
        FreeLibrary(module);
    return module != nullptr;
}

// Folders in any language, with blanks, as MainAppPath and the program
// folder may name them.
TEST(DynamicLibrary, LibrariesAndProgramsStartOnlyByTheirFullPath)
{
    k4test::ScratchFolder folder;
    const std::string programs = folder / "Zähler Программы 表";
    ASSERT_TRUE(CreateDirectoryW(Widen(programs).c_str(), nullptr));
    CopyFromProgramFolder(kStandIn, programs + "\\bridges.dll");
    for (const auto& [path, loads] : {std::pair{programs + "\\bridges.dll", true},
                                      {programs + "/bridges.dll", true},
                                      {std::string("bridges.dll"), false},
                                      {programs + "\\missing.dll", false}}) {
        DynamicLibrary library;
        EXPECT_EQ(library.Load(path), loads) << path;
        EXPECT_EQ(library.Symbol(MAKEINTRESOURCEA(1)) != nullptr, loads) << path;
    }

    CopyFromProgramFolder("k4-report.exe", programs + "\\k4-report.exe");
    folder.Write("not-a-program.exe", "text");
    for (const auto& [file, starts] : {std::pair{programs + "\\k4-report.exe", true},
                                       {ProgramFolder() + "\\no such program.exe", false},
                                       {folder / "not-a-program.exe", false},
                                       {folder.Utf8(), false},
                                       {std::string(), false},
                                       {ProgramFolder() + "\\" + std::string(MAX_PATH, 'p') + ".exe", false}})
        EXPECT_EQ(SystemProgramStarter().Start(file), starts) << file;
}

// Changes the search of the whole test process, as the programs do first
// thing: nothing after this test may count on the current folder.
TEST(LibrarySearch, APlantedLibraryInTheCurrentFolderOrOnPathIsNotLoaded)
{
    k4test::ScratchFolder current;
    k4test::ScratchFolder onPath;
    CopyFromProgramFolder(kStandIn, current / "k4-planted-here.dll");
    CopyFromProgramFolder(kStandIn, onPath / "k4-planted-on-path.dll");
    wchar_t oldFolder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, oldFolder);
    ASSERT_TRUE(SetCurrentDirectoryW(current.Path().c_str()));
    std::wstring path(32767, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
    SetEnvironmentVariableW(L"PATH", (onPath.Path().wstring() + L";" + path).c_str());

    // Without the restriction the system would take both.
    EXPECT_TRUE(LoadsByBareName(L"k4-planted-here.dll"));
    EXPECT_TRUE(LoadsByBareName(L"k4-planted-on-path.dll"));
    EXPECT_TRUE(RestrictLibrarySearch());
    EXPECT_FALSE(LoadsByBareName(L"k4-planted-here.dll"));
    EXPECT_FALSE(LoadsByBareName(L"k4-planted-on-path.dll"));
    EXPECT_TRUE(LoadsByBareName(L"version.dll")) << "what the system itself provides still loads";

    SetEnvironmentVariableW(L"PATH", path.c_str());
    SetCurrentDirectoryW(oldFolder);
}

} // namespace
} // namespace k4
