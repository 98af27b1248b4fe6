// The rules of the event rows, checked on the cells the mock engine saw.
// How the rows look is checked on the real component's file by
// check_report_layout.py.
#include <gtest/gtest.h>

#include <clocale>

#include "eventlog/event_codes.h"
#include "mock_xls_engine.h"
#include "tests/eventlog/record_builder.h"

namespace {

using Texts = std::vector<std::string>;

constexpr std::uint8_t kWholeAmps = 1;
constexpr std::uint8_t kTenthAmps = 0;

struct Log : k4::test::TableBuilder {
    // An ordinary measurement.
    void Event(std::uint32_t stamp, std::uint8_t code = k4::EVT_SWITCH_ON)
    {
        Measurement(code, stamp, kWholeAmps, {3680, 3696, 3664}, {200, 208, 192});
    }
};

class EventRows : public ::testing::Test {
protected:
    void Write(const Log& log)
    {
        m_run = mockxls::RunWriter(log.Table());
        ASSERT_TRUE(m_run->result);
    }

    std::string Shown(int row, int column) const { return m_run->book.CellAt(row, column); }
    Texts Shown(int row, int first, int last) const
    {
        Texts shown;
        for (int column = first; column <= last; ++column)
            shown.push_back(Shown(row, column));
        return shown;
    }

    std::unique_ptr<mockxls::Run> m_run;
};

TEST_F(EventRows, ElapsedRunTimeIsMeasuredFromTheLastEventRow)
{
    Log log;
    log.Event(1000); // row 13, the first record: never an elapsed time
    log.Event(1000); // same stamp
    log.Event(900);  // lower stamp
    log.Empty();     // row 16: does not move the previous stamp
    log.Event(900 + 14400);
    log.Event(900 + 14400 + 125);
    Write(log);
    for (int row : {13, 14, 15})
        EXPECT_EQ(Shown(row, 5, 7), Texts(3, "")) << "row " << row;
    EXPECT_EQ(Shown(16, 5, 7), Texts(3, " "));
    EXPECT_EQ(Shown(17, 5, 7), (Texts{"1d", "0h", "0.0m"}));
    EXPECT_EQ(Shown(17, 2, 4), (Texts{"1d", "1h", "30.0m"})); // the accumulated time beside it
    EXPECT_EQ(Shown(18, 5, 7), (Texts{"0d", "0h", "12.5m"}));
}

TEST_F(EventRows, EventAfterAnEmptyFirstRecordIsMeasuredFromZero)
{
    Log log;
    log.Empty();
    log.Event(100);
    Write(log);
    EXPECT_EQ(Shown(14, 5, 7), (Texts{"0d", "0h", "10.0m"}));
}

TEST_F(EventRows, MinutesKeepTheDecimalPointWhateverTheLocale)
{
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma";
    Log log;
    log.Event(125);
    Write(log);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(Shown(13, 4), "12.5m");
}

TEST_F(EventRows, OnlyRecords0To511AreShownInRows13To524)
{
    Log log;
    for (int i = 0; i < 600; ++i)
        log.Event(10u * i);
    Write(log);
    for (int row = 13; row <= 524; ++row)
        ASSERT_EQ(Shown(row, 1), "int " + std::to_string(row - 13)) << "row " << row;
    EXPECT_EQ(Shown(524, 17), "formula");
    EXPECT_EQ(m_run->book.cells.rbegin()->first.first, 524);
}

TEST_F(EventRows, EmptyRecord510EndsTheLogSoRecord511ReadsNoDataToo)
{
    Log log;
    for (int i = 0; i < 510; ++i)
        log.Event(10u * i);
    log.Empty();
    log.Event(9000, k4::EVT_TRIP_OVERLOAD);
    log.Event(9100);
    Write(log);
    EXPECT_EQ(Shown(522, 8), "Switch On");
    for (int row : {523, 524}) {
        EXPECT_EQ(Shown(row, 1), "int " + std::to_string(row - 13));
        EXPECT_EQ(Shown(row, 2, 7), Texts(6, " ")) << "row " << row;
        EXPECT_EQ(Shown(row, 8), "No Data");
        EXPECT_EQ(Shown(row, 9, 25), Texts(17, " ")) << "row " << row << ": no values, no formulas";
    }
    EXPECT_EQ(Shown(525, 1), "(none)");
}

TEST_F(EventRows, CurrentsFollowTheScaleFlagAndMarkersReplaceValues)
{
    struct Case {
        std::uint8_t scale;
        std::vector<std::uint16_t> volts, amps; // sixteenths on the wire
        Texts shown;                            // columns J to O
    };
    const Case cases[] = {
        // Whole units, halves going up.
        {kWholeAmps, {3672, 3671, 3680}, {200, 0, 16}, {"int 230", "int 229", "int 230", "int 13", "int 0", "int 1"}},
        // Any other flag: tenth-ampere units as real numbers.
        {kTenthAmps,
         {3680, 3680, 3680},
         {200, 0, 16},
         {"int 230", "int 230", "int 230", "num 1.25", "num 0", "num 0.1"}},
        {kWholeAmps, {0xFF00, 3680, 3680}, {160, 160, 160}, {"Overrange", "", "", "int 10", "int 10", "int 10"}},
        {kWholeAmps, {0xFE00, 3680, 3680}, {0xFF00, 160, 160}, {"Underrange", "", "", "Overrange", "", ""}},
    };
    Log log;
    for (const Case& c : cases)
        log.Measurement(k4::EVT_SWITCH_ON, 5, c.scale, {c.volts[0], c.volts[1], c.volts[2]},
                        {c.amps[0], c.amps[1], c.amps[2]});
    Write(log);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        EXPECT_EQ(Shown(13 + i, 10, 15), cases[i].shown) << "case " << i;
}

TEST_F(EventRows, ParameterRowsShowTheNameAndTheNewValue)
{
    struct Case {
        std::uint8_t code, number, value;
        std::string condition, newValue; // columns H and R
        Texts flags;                     // columns S to Y
    };
    const Texts none(7, "");
    const Case cases[] = {
        {k4::EVT_PROTECTION_CHANGE,
         7,
         0x41,
         "Trip Enable Flags",
         "Bits 1000001",
         {"On", "Off", "Off", "Off", "Off", "Off", "On"}},
        {k4::EVT_PROTECTION_CHANGE, 8, 0x80, "Auto Restart Flags", "Bits 0000000", Texts(7, "Off")}, // bit 7 hidden
        {k4::EVT_PROTECTION_CHANGE, 1, 3, "", "380", none},            // rated voltage, no name under this code
        {k4::EVT_MOTOR_CHANGE, 1, 9, "Motor Rated Voltage", "", none}, // index past the list
        {k4::EVT_MOTOR_CHANGE, 6, 12, "", "12", none},                 // unnamed parameter
        {k4::EVT_MOTOR_CHANGE, 3, 200, "Motor Amps - tens digit", "200", none},
    };
    Log log;
    for (const Case& c : cases)
        log.Parameter(c.code, 5, c.number, c.value);
    Write(log);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const int row = 13 + i;
        EXPECT_EQ(Shown(row, 8), cases[i].condition) << "case " << i;
        EXPECT_EQ(Shown(row, 18), cases[i].newValue) << "case " << i;
        EXPECT_EQ(Shown(row, 19, 25), cases[i].flags) << "case " << i;
        EXPECT_EQ(Shown(row, 10, 15), Texts(6, "")) << "case " << i << ": no measurements";
    }
}

TEST_F(EventRows, UnlistedCodeShowsOneSpaceInConditionAndFaultAndKeepsItsFormulas)
{
    Log log;
    log.Stamped(0x30, 5);
    Write(log);
    EXPECT_EQ(Shown(13, 8, 9), (Texts{" ", " "}));
    EXPECT_EQ(Shown(13, 10, 15), Texts(6, ""));
    EXPECT_EQ(Shown(13, 16, 17), (Texts{"formula", "formula"}));
}

} // namespace
