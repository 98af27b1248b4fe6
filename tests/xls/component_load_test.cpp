#include <gtest/gtest.h>

#include <filesystem>

#include "platform/dynamic_library.h"
#include "report/xls/k4xls.h"

// The component as the report writer meets it: a library loaded at run
// time whose "Start" gives an engine holding no reference yet.
TEST(ComponentLoad, StartGivesAnEngineThatWritesAWorkbook)
{
    k4::DynamicLibrary library;
    ASSERT_TRUE(library.Load(K4XLS_LIBRARY));
    const auto start = reinterpret_cast<K4XlsStartFn>(library.Symbol("Start"));
    ASSERT_NE(start, nullptr);

    k4xls::IEngine* engine = start();
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(engine->AddRef(), 1u);

    const auto path = std::filesystem::temp_directory_path() / "k4xls-component-load.xls";
    std::filesystem::remove(path);
    const std::string narrow = path.string();
    const std::u16string wide(narrow.begin(), narrow.end());
    k4xls::IWorkbook* book = nullptr;
    ASSERT_EQ(engine->NewWorkbook(wide.c_str(), &book), k4xls::S_OK);
    k4xls::IWorksheet* sheet = nullptr;
    ASSERT_EQ(book->AddWorksheet(u"TQ K4", &sheet), k4xls::S_OK);
    EXPECT_EQ(sheet->SetText(1, 1, u"hello"), k4xls::S_OK);
    EXPECT_EQ(book->Close(), k4xls::S_OK);
    EXPECT_EQ(sheet->Release(), 0u);
    EXPECT_EQ(book->Release(), 0u);
    EXPECT_EQ(engine->Release(), 0u);

    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(std::filesystem::file_size(path) % 512, 0u);
    std::filesystem::remove(path);
}
