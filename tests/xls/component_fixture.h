#pragma once
// A workbook with one sheet, made through the component's own Start(), in
// a folder of its own that is removed afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include <chrono>

#include "report/xls/k4xls.h"
#include "tests/xls/com_holder.h"
#include "tests/xls/xls_file_reader.h"

extern "C" k4xls::IEngine* Start();

class ComponentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = std::filesystem::temp_directory_path() /
                   ("k4xls-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                    std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        k4xls::IEngine* engine = Start();
        ASSERT_NE(engine, nullptr);
        engine->AddRef();
        *m_engine.Out() = engine;
        ASSERT_EQ(m_engine->NewWorkbook(Path(u"book.xls").c_str(), m_book.Out()), k4xls::S_OK);
        ASSERT_EQ(m_book->AddWorksheet(u"TQ K4", m_sheet.Out()), k4xls::S_OK);
    }
    void TearDown() override
    {
        m_sheet.Reset();
        m_book.Reset();
        m_engine.Reset();
        std::filesystem::remove_all(m_folder);
    }

    std::u16string Path(const std::u16string& name) const
    {
        const std::string folder = m_folder.string() + "/";
        return std::u16string(folder.begin(), folder.end()) + name;
    }
    std::string NarrowPath(const std::string& name) const { return m_folder.string() + "/" + name; }

    xlstest::Workbook CloseAndRead()
    {
        EXPECT_EQ(m_book->Close(), k4xls::S_OK);
        std::string problem;
        xlstest::Workbook book = xlstest::LoadWorkbook(NarrowPath("book.xls"), problem);
        EXPECT_EQ(problem, "");
        return book;
    }

    // A file that passes for a PNG picture: signature, IHDR, some bytes.
    std::string FakePng(const std::string& name, std::size_t size)
    {
        std::string bytes = std::string("\x89PNG\r\n\x1a\n", 8) + std::string("\0\0\0\x0dIHDR", 8);
        while (bytes.size() < size)
            bytes += static_cast<char>(bytes.size() * 31 % 251);
        std::ofstream(NarrowPath(name), std::ios::binary) << bytes;
        return NarrowPath(name);
    }

    k4xls::IStyle* NewStyle()
    {
        k4xls::IStyle* style = nullptr;
        EXPECT_EQ(m_sheet->NewStyle(&style), k4xls::S_OK);
        m_styles.emplace_back();
        *m_styles.back().Out() = style;
        return style;
    }

    std::filesystem::path m_folder;
    Held<k4xls::IEngine> m_engine;
    Held<k4xls::IWorkbook> m_book;
    Held<k4xls::IWorksheet> m_sheet;
    std::vector<Held<k4xls::IStyle>> m_styles;
};

inline std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }
