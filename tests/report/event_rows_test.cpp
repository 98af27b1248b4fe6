// The rules of the event rows, checked on the cells the mock engine saw.
#include <gtest/gtest.h>

#include <clocale>

#include "event_table_builder.h"
#include "mock_report_run.h"

namespace {

using namespace k4test;
using mockxls::Cell;
using mockxls::CellKind;

constexpr int kFirstRow = 13;

class EventRows : public ::testing::Test {
protected:
    void Write(const EventTableBuilder& builder)
    {
        m_run = RunWriter(builder.Table());
        ASSERT_TRUE(m_run->result);
    }

    const Cell& At(int row, int column) const
    {
        const Cell* cell = m_run->book.CellAt(row, column);
        if (cell == nullptr) {
            ADD_FAILURE() << "no cell at row " << row << " column " << column;
            static const Cell none;
            return none;
        }
        return *cell;
    }
    std::string Text(int row, int column) const { return At(row, column).text; }
    bool Blank(int row, int column) const
    {
        const Cell& cell = At(row, column);
        return cell.kind == CellKind::Text && cell.text.empty();
    }
    std::vector<std::string> Texts(int row, int first, int last) const
    {
        std::vector<std::string> texts;
        for (int column = first; column <= last; ++column)
            texts.push_back(Text(row, column));
        return texts;
    }
    using Strings = std::vector<std::string>;

    std::unique_ptr<MockRun> m_run;
};

TEST_F(EventRows, AccumulatedRunTimeAndIndex)
{
    EventTableBuilder b;
    b.Measurement(k4::EVT_SWITCH_ON, 637).Measurement(k4::EVT_SWITCH_OFF, 14400 + 125);
    Write(b);
    EXPECT_EQ(At(13, 1).kind, CellKind::Integer);
    EXPECT_EQ(At(13, 1).number, 0);
    EXPECT_EQ(Texts(13, 2, 4), (Strings{"0d", "1h", "3.7m"}));
    EXPECT_EQ(At(14, 1).number, 1);
    EXPECT_EQ(Texts(14, 2, 4), (Strings{"1d", "0h", "12.5m"}));
}

TEST_F(EventRows, ElapsedRunTimeIsMeasuredFromTheLastEventRow)
{
    EventTableBuilder b;
    b.Measurement(k4::EVT_SWITCH_ON, 1000)        // first: never an elapsed time
        .Measurement(k4::EVT_SWITCH_OFF, 1000)    // same stamp
        .Measurement(k4::EVT_SWITCH_ON, 900)      // lower stamp
        .Empty()                                  // does not move the previous stamp
        .Measurement(k4::EVT_SWITCH_OFF, 900 + 14400)
        .Measurement(k4::EVT_SWITCH_ON, 900 + 14400 + 125);
    Write(b);
    for (int row : {13, 14, 15})
        EXPECT_TRUE(Blank(row, 5) && Blank(row, 6) && Blank(row, 7)) << "row " << row;
    EXPECT_EQ(Texts(17, 5, 7), (Strings{"1d", "0h", "0.0m"}));
    EXPECT_EQ(Texts(18, 5, 7), (Strings{"0d", "0h", "12.5m"}));
}

TEST_F(EventRows, EventAfterAnEmptyFirstRecordIsMeasuredFromZero)
{
    EventTableBuilder b;
    b.Empty().Measurement(k4::EVT_SWITCH_ON, 100);
    Write(b);
    EXPECT_EQ(Text(13, 8), "No Data");
    EXPECT_EQ(Texts(14, 5, 7), (Strings{"0d", "0h", "10.0m"}));
}

TEST_F(EventRows, MinutesKeepTheDecimalPointWhateverTheLocale)
{
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr && std::setlocale(LC_ALL, "fr_FR.UTF-8") == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma installed";
    EventTableBuilder b;
    b.Measurement(k4::EVT_SWITCH_ON, 125);
    Write(b);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(Text(13, 4), "12.5m");
}

TEST_F(EventRows, EmptyRowsReadNoDataAndHaveNoFormulas)
{
    EventTableBuilder b;
    b.Measurement(k4::EVT_SWITCH_ON, 5).Empty();
    Write(b);
    EXPECT_EQ(At(14, 1).kind, CellKind::Integer);
    EXPECT_EQ(At(14, 1).number, 1);
    EXPECT_EQ(Text(14, 8), "No Data");
    for (int column = 2; column <= 25; ++column) {
        if (column == 8)
            continue;
        EXPECT_EQ(At(14, column).kind, CellKind::Text) << "column " << column;
        EXPECT_EQ(Text(14, column), " ") << "column " << column;
    }
    for (int column = 1; column <= 25; ++column)
        EXPECT_EQ(At(14, column).style, kCellStyle) << "column " << column;
}

TEST_F(EventRows, AtMost512RecordsAreShown)
{
    EventTableBuilder b;
    for (int i = 0; i < 600; ++i)
        b.Measurement(k4::EVT_SWITCH_ON, 10u * i);
    Write(b);
    for (int index : {0, 255, 511})
        EXPECT_EQ(At(kFirstRow + index, 1).number, index);
    EXPECT_EQ(m_run->book.cells.rbegin()->first.first, 524);
    EXPECT_EQ(At(524, 17).kind, CellKind::Formula);
}

TEST_F(EventRows, EmptyRecord510EndsTheLogSoRecord511ReadsNoData)
{
    EventTableBuilder b;
    for (int i = 0; i < 510; ++i)
        b.Measurement(k4::EVT_SWITCH_ON, 10u * i);
    b.Empty().Measurement(k4::EVT_TRIP_OVERLOAD, 9000).Measurement(k4::EVT_SWITCH_ON, 9100);
    Write(b);
    EXPECT_EQ(Text(522, 8), "Switch On");
    EXPECT_EQ(Text(523, 8), "No Data");
    EXPECT_EQ(Text(524, 8), "No Data");
    EXPECT_EQ(At(524, 1).number, 511);
    EXPECT_EQ(Text(524, 9), " ");
    EXPECT_EQ(m_run->book.CellAt(525, 1), nullptr);
}

TEST_F(EventRows, EmptyRecord510WithoutFollowersStillEndsCleanly)
{
    EventTableBuilder b;
    for (int i = 0; i < 510; ++i)
        b.Measurement(k4::EVT_SWITCH_ON, 10u * i);
    b.Empty();
    Write(b);
    EXPECT_EQ(Text(523, 8), "No Data");
    EXPECT_EQ(m_run->book.CellAt(524, 1), nullptr);
}

TEST_F(EventRows, TripsShowTheFaultInTripColours)
{
    EventTableBuilder b;
    b.Measurement(k4::EVT_TRIP_FALSE_START, 5).Measurement(k4::EVT_MOTOR_AMPS_NOT_SET, 6).Measurement(
        k4::EVT_POWER_UP_DELAY, 7);
    Write(b);
    EXPECT_EQ(Text(13, 8), "Tripped");
    EXPECT_EQ(At(13, 8).style, kCellLeftStyle);
    EXPECT_EQ(Text(13, 9), "False Start");
    EXPECT_EQ(At(13, 9).style, kTripStyle);
    EXPECT_EQ(Text(14, 8), "Motor Amps");
    EXPECT_EQ(Text(14, 9), "Not Set");
    EXPECT_EQ(At(14, 9).style, kTripStyle);
    EXPECT_EQ(Text(15, 8), "Power-up Delay");
    EXPECT_TRUE(Blank(15, 9));
    EXPECT_EQ(At(15, 9).style, kCellStyle);
}

TEST_F(EventRows, MeasurementsByScaleFlagAndMarkers)
{
    EventTableBuilder b;
    b.Measurement(k4::EVT_SWITCH_ON, 1, {3672, 3671, 3680}, {200, 0, 16}, 1)
        .Measurement(k4::EVT_SWITCH_ON, 2, {3680, 3680, 3680}, {200, 0, 16}, 0)
        .Measurement(k4::EVT_SWITCH_ON, 3, {0xFF00, 3680, 3680}, {160, 160, 160}, 1)
        .Measurement(k4::EVT_SWITCH_ON, 4, {0xFE00, 3680, 3680}, {0xFF00, 160, 160}, 1);
    Write(b);
    // Scale flag 1: whole amperes, halves going up.
    EXPECT_EQ(At(13, 10).number, 230);
    EXPECT_EQ(At(13, 11).number, 229);
    for (int column = 13; column <= 15; ++column) {
        EXPECT_EQ(At(13, column).kind, CellKind::Integer);
        EXPECT_EQ(At(13, column).style, kCellStyle);
    }
    EXPECT_EQ(At(13, 13).number, 13);
    EXPECT_EQ(At(13, 14).number, 0);
    EXPECT_EQ(At(13, 15).number, 1);
    // Other flags: tenth-ampere units as real numbers in the decimal style.
    for (int column = 13; column <= 15; ++column) {
        EXPECT_EQ(At(14, column).kind, CellKind::Number);
        EXPECT_EQ(At(14, column).style, kDecimalStyle);
    }
    EXPECT_DOUBLE_EQ(At(14, 13).number, 1.25);
    EXPECT_DOUBLE_EQ(At(14, 14).number, 0.0);
    EXPECT_DOUBLE_EQ(At(14, 15).number, 0.1);
    // Voltage overrange: one text, the other two blank, currents still there.
    EXPECT_EQ(Text(15, 10), "Overrange");
    EXPECT_TRUE(Blank(15, 11) && Blank(15, 12));
    EXPECT_EQ(At(15, 13).number, 10);
    // Underrange voltages and overrange currents.
    EXPECT_EQ(Text(16, 10), "Underrange");
    EXPECT_EQ(Text(16, 13), "Overrange");
    EXPECT_TRUE(Blank(16, 14) && Blank(16, 15));
}

TEST_F(EventRows, ParameterChanges)
{
    EventTableBuilder b;
    b.Parameter(k4::EVT_PROTECTION_CHANGE, 1, 1, 3)      // rated voltage, no name under this code
        .Parameter(k4::EVT_PROTECTION_CHANGE, 2, 7, 0x41) // trip enable flags
        .Parameter(k4::EVT_MOTOR_CHANGE, 3, 6, 12)        // unnamed motor parameter
        .Parameter(k4::EVT_PROTECTION_CHANGE, 4, 8, 0x80) // restart flags: bit 7 not shown
        .Parameter(k4::EVT_MOTOR_CHANGE, 5, 1, 9)         // rated voltage index out of the list
        .Parameter(k4::EVT_MOTOR_CHANGE, 6, 3, 200);
    Write(b);
    EXPECT_TRUE(Blank(13, 8));
    EXPECT_EQ(Text(13, 18), "380");

    EXPECT_EQ(Text(14, 8), "Trip Enable Flags");
    EXPECT_EQ(At(14, 8).style, kTripFlagsStyle);
    EXPECT_EQ(Texts(14, 19, 25), (Strings{"On", "Off", "Off", "Off", "Off", "Off", "On"}));
    EXPECT_EQ(Text(14, 18), "Bits 1000001");

    EXPECT_TRUE(Blank(15, 8));
    EXPECT_EQ(Text(15, 18), "12");

    EXPECT_EQ(Text(16, 8), "Auto Restart Flags");
    EXPECT_EQ(At(16, 8).style, kParameterStyle);
    EXPECT_EQ(Texts(16, 19, 25), (Strings{"Off", "Off", "Off", "Off", "Off", "Off", "Off"}));
    EXPECT_EQ(Text(16, 18), "Bits 0000000");

    EXPECT_EQ(Text(17, 8), "Motor Rated Voltage");
    EXPECT_TRUE(Blank(17, 18));

    EXPECT_EQ(Text(18, 8), "Motor Amps - tens digit");
    EXPECT_EQ(Text(18, 18), "200");
    for (int row = 13; row <= 18; ++row)
        for (int column = 10; column <= 15; ++column)
            EXPECT_TRUE(Blank(row, column)) << row << "," << column;
}

TEST_F(EventRows, UnknownCodesShowASpaceAndStillGetFormulas)
{
    EventTableBuilder b;
    b.Plain(0x30, 5).Plain(k4::EVT_DEFAULTS_RESTORED, 6);
    Write(b);
    EXPECT_EQ(Text(13, 8), " ");
    EXPECT_EQ(Text(13, 9), " ");
    EXPECT_EQ(At(13, 9).style, kCellLeftStyle);
    for (int column : {10, 11, 12, 13, 14, 15, 18, 19, 25})
        EXPECT_TRUE(Blank(13, column)) << "column " << column;
    EXPECT_EQ(At(13, 16).kind, CellKind::Formula);
    EXPECT_EQ(At(13, 16).style, kPercentStyle);
    EXPECT_EQ(At(13, 17).kind, CellKind::Formula);
    EXPECT_EQ(Text(14, 8), "Defaults Restored");
    EXPECT_TRUE(Blank(14, 9));
}

TEST_F(EventRows, RowFormulasReferToTheRowAndMaxAmps)
{
    EventTableBuilder b;
    for (int i = 0; i < 512; ++i)
        b.Measurement(k4::EVT_SWITCH_ON, 10u * i);
    Write(b);
    EXPECT_EQ(Text(13, 16), "=IF(MAX(R13C13:R13C15)>0.1*R7C9;MAX(R13C13:R13C15)/R7C9;0)");
    EXPECT_EQ(Text(13, 17),
              "=IF(MAX(R13C13:R13C15)>0.1*R7C9;MAX(ABS((AVERAGE(R13C13:R13C15)-R13C13)/AVERAGE(R13C13:R13C15));"
              "ABS((AVERAGE(R13C13:R13C15)-R13C14)/AVERAGE(R13C13:R13C15));ABS((AVERAGE(R13C13:R13C15)-R13C15)/"
              "AVERAGE(R13C13:R13C15)));0)");
    const std::string last = Text(524, 17);
    EXPECT_EQ(last.size(), 236u);
    EXPECT_EQ(last.substr(0, 32), "=IF(MAX(R524C13:R524C15)>0.1*R7C");
    EXPECT_NE(last.find("(AVERAGE(R524C13:R524C15)-R524C15)/AVERAGE(R524C13:R524C15)));0)"), std::string::npos);
}

TEST_F(EventRows, ATableEndingInsideARecordStopsBeforeIt)
{
    EventTableBuilder b;
    b.Measurement(k4::EVT_SWITCH_ON, 5).Measurement(k4::EVT_SWITCH_OFF, 6);
    auto table = b.Table();
    table.resize(table.size() - 4); // the gathered image ends inside the second record
    m_run = RunWriter(table, {}, "/r.xls", static_cast<std::uint16_t>(2 * EventTableBuilder::kStride));
    EXPECT_TRUE(m_run->result);
    EXPECT_EQ(Text(13, 8), "Switch On");
    EXPECT_EQ(m_run->book.CellAt(14, 1), nullptr);
}

} // namespace
