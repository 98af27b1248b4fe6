// The rules of the event rows that the sample report does not reach (the
// sample's rows are held byte for byte by golden_sample): an empty first
// record, an empty record 510, a log longer than the report's 512 rows, and
// a process locale with a decimal comma.
#include <gtest/gtest.h>

#include <clocale>

#include "eventlog/event_codes.h"
#include "mock_xls_engine.h"
#include "tests/eventlog/record_builder.h"

namespace {

using Texts = std::vector<std::string>;

// Two logs longer than the report's 512 rows, one with an empty record 510.
TEST(EventRows, EdgesOfTheLogThatTheSampleDoesNotReach)
{
    for (const bool empty510 : {false, true}) {
        SCOPED_TRACE(empty510 ? "empty record 510" : "600 events");
        const bool decimalComma = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        k4::test::TableBuilder log;
        log.Empty();
        for (std::uint32_t i = 1; i < 600; ++i) {
            if (i == 510 && empty510)
                log.Empty();
            else
                log.Measurement(k4::EVT_SWITCH_ON, 100 * i + 25, 1, {3680, 3696, 3664}, {200, 208, 192});
        }
        const auto run = mockxls::RunWriter(log.Table());
        std::setlocale(LC_ALL, "C");
        ASSERT_TRUE(run->result);
        const auto shown = [&](int row, int first, int last) {
            Texts texts;
            for (int column = first; column <= last; ++column)
                texts.push_back(run->book.CellAt(row, column));
            return texts;
        };
        // Measured from zero after the empty first record, with a decimal point whatever the locale.
        EXPECT_EQ(shown(14, 5, 7), (Texts{"0d", "0h", "12.5m"})) << (decimalComma ? "" : "no decimal-comma locale");
        for (int row = 13; row <= 524; ++row)
            ASSERT_EQ(run->book.CellAt(row, 1), "int " + std::to_string(row - 13)) << "row " << row;
        EXPECT_EQ(run->book.cells.rbegin()->first.first, 524); // nothing after row 524
        // The empty record 510 ends the log: record 511 reads No Data too, without values or formulas.
        Texts noData(24, " ");
        noData[6] = "No Data";
        for (int row = 523; row <= 524; ++row) {
            if (empty510)
                EXPECT_EQ(shown(row, 2, 25), noData) << "row " << row;
            else
                EXPECT_EQ(shown(row, 16, 17), (Texts{"formula", "formula"})) << "row " << row;
        }
    }
}

} // namespace
