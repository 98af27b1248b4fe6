#pragma once
// A workbook with one sheet, made through the component's own Start(), in
// a folder of its own that is removed afterwards.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "report/xls/k4xls.h"
#include "tests/xls/com_holder.h"
#include "tests/xls/xls_file_reader.h"

extern "C" k4xls::IEngine* Start();

class ComponentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path() /
                   ("k4xls-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                    std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(m_folder);
        k4xls::IEngine* engine = Start();
        ASSERT_NE(engine, nullptr);
        engine->AddRef();
        *m_engine.Out() = engine;
        ASSERT_EQ(m_engine->NewWorkbook(Path("book.xls").c_str(), m_book.Out()), k4xls::S_OK);
        ASSERT_EQ(m_book->AddWorksheet(u"TQ K4", m_sheet.Out()), k4xls::S_OK);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string NarrowPath(const std::string& name) const { return (m_folder / name).string(); }
    std::u16string Path(const std::string& name) const
    {
        const std::string narrow = NarrowPath(name);
        return std::u16string(narrow.begin(), narrow.end());
    }

    // Records with this id in the closed workbook's file.
    std::size_t Written(std::uint16_t id) const { return xlstest::CountRecords(NarrowPath("book.xls"), id); }

    std::filesystem::path m_folder;
    Held<k4xls::IEngine> m_engine;
    Held<k4xls::IWorkbook> m_book;
    Held<k4xls::IWorksheet> m_sheet;
};
