// Libraries come only from where we name them, the system folder and the
// program's own: never from the current folder or PATH, where anyone may
// plant one. The stand-in bridge library plays the planted file.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/dynamic_library.h"
#include "platform/program_folder.h"
#include "platform/win32/manufacturing_library.h"
#include "platform/win32/wide_text.h"
#include "scratch_folder.h"

namespace k4 {
namespace {

std::string StandIn()
{
    return ProgramFolder() + "\\" + K4_FAKE_CP210X_FOLDER + "\\" + kManufacturingLibraryName;
}

void CopyStandIn(const std::string& to)
{
    ASSERT_TRUE(CopyFileW(Widen(StandIn()).c_str(), Widen(to).c_str(), FALSE)) << to;
}

bool LoadsByBareName(const wchar_t* name)
{
    const HMODULE module = LoadLibraryW(name);
    if (module != nullptr)
        FreeLibrary(module);
    return module != nullptr;
}

TEST(DynamicLibrary, LoadsFromAFolderInAnyLanguageAndOnlyByItsFullPath)
{
    test::ScratchFolder folder;
    const std::string programs = folder / "Zähler Программы 表";
    ASSERT_TRUE(CreateDirectoryW(Widen(programs).c_str(), nullptr));
    CopyStandIn(programs + "\\bridges.dll");
    const struct {
        std::string path;
        bool loads;
    } cases[] = {
        {programs + "\\bridges.dll", true},
        {programs + "/bridges.dll", true},
        {"bridges.dll", false},
        {programs + "\\missing.dll", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        DynamicLibrary library;
        EXPECT_EQ(library.Load(c.path), c.loads);
        EXPECT_EQ(library.Symbol(MAKEINTRESOURCEA(1)) != nullptr, c.loads);
    }
}

// Changes the search of the whole test process, as the programs do first
// thing: nothing after this test may count on the current folder.
TEST(LibrarySearch, APlantedLibraryInTheCurrentFolderOrOnPathIsNotLoaded)
{
    test::ScratchFolder current;
    test::ScratchFolder onPath;
    CopyStandIn(current / "k4-planted-here.dll");
    CopyStandIn(onPath / "k4-planted-on-path.dll");
    wchar_t oldFolder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, oldFolder);
    ASSERT_TRUE(SetCurrentDirectoryW(Widen(current.Path()).c_str()));
    std::wstring path(32767, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
    SetEnvironmentVariableW(L"PATH", (Widen(onPath.Path()) + L";" + path).c_str());

    // Without the restriction the system would take both.
    EXPECT_TRUE(LoadsByBareName(L"k4-planted-here.dll"));
    EXPECT_TRUE(LoadsByBareName(L"k4-planted-on-path.dll"));
    EXPECT_TRUE(RestrictLibrarySearch());
    EXPECT_FALSE(LoadsByBareName(L"k4-planted-here.dll"));
    EXPECT_FALSE(LoadsByBareName(L"k4-planted-on-path.dll"));
    // What the system itself provides still loads.
    EXPECT_TRUE(LoadsByBareName(L"version.dll"));

    SetEnvironmentVariableW(L"PATH", path.c_str());
    SetCurrentDirectoryW(oldFolder);
}

} // namespace
} // namespace k4
