#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "eventlog/csv_writer.h"
#include "eventlog/event_codes.h"
#include "record_builder.h"

namespace k4 {
namespace {

constexpr const char* kHeader =
    "Event,Day,Hour,Minute,Condition,Fault,Parameter Value,Measure,L1,L2,L3,Measure,L1,L2,L3";

// The table's CSV as lines, the header first.
std::vector<std::string> Lines(const test::TableBuilder& b)
{
    const std::string csv = RenderCsv(b.Length(), b.Table());
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = csv.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(csv.substr(start, end - start));
    EXPECT_EQ(start, csv.size()) << "text after the last line end";
    return lines;
}

// Under a decimal-comma locale, as a desktop front end may set the C
// locale to the user's: the columns must not change.
TEST(CsvRender, RecordsTheSampleDoesNotHave)
{
    const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    using B = test::TableBuilder;
    const struct {
        const char* what;
        B table;
        std::vector<std::string> lines; // after the header
    } cases[] = {
        {"one empty record", B().Empty(), {"0,No Data,,,,,,,,,,,,,"}},
        // 24/160 = 0.15 exactly in decimal, 0.150000006 as a float: prints 0.2.
        {"tenths of amps round through single precision",
         B().Measurement(EVT_SWITCH_ON, 0, 2, {3680, 3680, 3680}, {24, 0, 8}), // any scale but 1
         {"0,0d,0h,0.0m,Switch On,,,Volt,230,230,230,Amp,0.2,0.0,0.1,"}},
        // Only line one's high byte marks a group; currents have no underrange.
        {"markers replace their group only",
         B().Measurement(EVT_TRIP_OVERLOAD, 0, 1, {3680, 3696, 3664}, {0xFF00, 1, 2})
             .Measurement(EVT_TRIP_UNDERVOLT, 0, 1, {0xFE00, 1, 2}, {0xFE00, 16, 32})
             .Measurement(EVT_SWITCH_OFF, 0, 1, {0xFD00, 0xFF00, 0}, {16, 0xFF00, 0}),
         {"0,0d,0h,0.0m,Tripped,Overload,,Volt,230,231,229,Amp,Overrange,,,",
          "1,0d,0h,0.0m,Tripped,Undervolt,,Volt,Underrange,,,Amp,4064,1,2,",
          "2,0d,0h,0.0m,Switch Off,,,Volt,4048,4080,0,Amp,1,4080,0,"}},
        {"parameter values",
         B().Parameter(EVT_MOTOR_CHANGE, 0, 1, 9)       // index past the rated-voltage list
             .Parameter(EVT_PROTECTION_CHANGE, 0, 1, 2) // rendered although unnamed for this code
             .Parameter(EVT_PROTECTION_CHANGE, 0, 8, 0x80)
             .Parameter(EVT_MOTOR_CHANGE, 0, 6, 255),
         {"0,0d,0h,0.0m,Motor Change Parameter 1,,,,,,,,,,", "1,0d,0h,0.0m,Protection Change Parameter 1,,230,,,,,,,,",
          "2,0d,0h,0.0m,Protection Change Parameter 8,,Bits 0000000,,,,,,,,",
          "3,0d,0h,0.0m,Motor Change Parameter 6,,255,,,,,,,,"}},
        {"unlisted codes keep their measurements; run times",
         B().Measurement(EVT_MOTOR_AMPS_NOT_SET, 14400 + 3 * 600 + 124, 1, {16, 32, 48}, {16, 16, 16})
             .Stamped(0xFE, 1)
             .Stamped(0xFE, 14399)
             .Stamped(0xFE, 0xFFFFFF),
         {"0,1d,3h,12.4m,,,,Volt,1,2,3,Amp,1,1,1,", "1,0d,0h,0.1m,,,,", "2,0d,23h,59.9m,,,,", "3,1165d,2h,1.5m,,,,"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> expected{kHeader};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(Lines(c.table), expected) << c.what;
    }
    EXPECT_TRUE(RenderCsv(0, B().Empty().Table()).empty()) << "zero table length";
    if (previous)
        std::setlocale(LC_NUMERIC, "C");
}

} // namespace
} // namespace k4
