#pragma once
// A workbook with one sheet, made through the component's own Start(), in
// a folder of its own that is removed afterwards; and a small reader of the
// records it writes, independent of the component's code.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "report/xls/k4xls.h"
#include "tests/xls/com_holder.h"

extern "C" k4xls::IEngine* Start();

namespace xlstest {

using Bytes = std::vector<std::uint8_t>;

inline std::uint32_t U32(const Bytes& data, std::size_t at)
{
    return data.at(at) | data.at(at + 1) << 8 | data.at(at + 2) << 16 |
           static_cast<std::uint32_t>(data.at(at + 3)) << 24;
}

struct Record {
    std::uint16_t id;
    Bytes data;
};

// All records up to the zero padding after the last one.
inline std::vector<Record> Records(const Bytes& stream)
{
    std::vector<Record> records;
    for (std::size_t at = 0; at + 4 <= stream.size() && (stream[at] | stream[at + 1]) != 0;) {
        const std::size_t end = at + 4 + (stream[at + 2] | stream[at + 3] << 8);
        if (end > stream.size())
            break;
        records.push_back(
            Record{static_cast<std::uint16_t>(stream[at] | stream[at + 1] << 8),
                   Bytes(stream.begin() + static_cast<long>(at + 4), stream.begin() + static_cast<long>(end))});
        at = end;
    }
    return records;
}

} // namespace xlstest

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

    // Records with this id in the closed workbook's file. The Workbook stream is found
    // through the header and its directory entry; its sectors follow each other.
    std::size_t Written(std::uint16_t id) const
    {
        std::ifstream in(NarrowPath("book.xls"), std::ios::binary);
        const xlstest::Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const std::size_t entry = (xlstest::U32(file, 48) + 1) * 512 + 128;
        const auto start = file.begin() + static_cast<long>((xlstest::U32(file, entry + 116) + 1) * 512);
        std::size_t count = 0;
        for (const auto& r : xlstest::Records(xlstest::Bytes(start, start + xlstest::U32(file, entry + 120))))
            count += r.id == id;
        return count;
    }

    std::filesystem::path m_folder;
    Held<k4xls::IEngine> m_engine;
    Held<k4xls::IWorkbook> m_book;
    Held<k4xls::IWorksheet> m_sheet;
};
