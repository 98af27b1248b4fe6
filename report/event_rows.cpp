#include "report/event_rows.h"

#include <charconv>
#include <string>

#include "eventlog/event_codes.h"
#include "eventlog/event_decoding.h"
#include "eventlog/event_record.h"
#include "report/report_layout.h"
#include "report/row_formulas.h"

namespace k4 {

namespace {

// An empty record at this index marks the end of the unit's log: the next
// record is stale and is shown as empty too.
constexpr int kEndMarkerIndex = 510;

using namespace layout;

// "%2.1f" without the C library, whose decimal point follows the process
// locale: a desktop toolkit may have set one that writes "12,5".
std::string MinutesText(const RunTime& time)
{
    char text[32];
    const double minutes = time.minutes + time.tenths / 10.0;
    const auto end = std::to_chars(text, text + sizeof text, minutes, std::chars_format::fixed, 1).ptr;
    return std::string(text, end) + "m";
}

// Days, hours and minutes in three cells from `firstColumn`.
void WriteRunTime(ReportSheet& sheet, int row, int firstColumn, std::uint32_t stamp)
{
    const RunTime time = DecodeRunTime(stamp);
    sheet.Text(row, firstColumn, std::to_string(time.days) + "d");
    sheet.Text(row, firstColumn + 1, std::to_string(time.hours) + "h");
    sheet.Text(row, firstColumn + 2, MinutesText(time));
}

bool HasTripColouredFault(std::uint8_t code)
{
    return code >= EVT_TRIP_UNDERLOAD && code <= EVT_MOTOR_AMPS_NOT_SET;
}

void WriteConditionAndFault(ReportSheet& sheet, const ReportStyles& s, const EventRecord& record, int row)
{
    if (IsParameterChangeCode(record.code)) {
        sheet.Apply(s.parameterStyle);
        if (record.code == EVT_PROTECTION_CHANGE && record.paramNumber == kParamTripEnableFlags)
            sheet.Apply(s.tripFlagsStyle);
        if (const auto name = ParameterName(record.code, record.paramNumber))
            sheet.Text(row, kConditionColumn, *name);
        return;
    }
    const ConditionTexts texts = ReportConditionTexts(record.code);
    if (texts.hasCondition)
        sheet.Text(row, kConditionColumn, texts.condition);
    if (texts.hasFault) {
        if (HasTripColouredFault(record.code))
            sheet.Apply(s.tripStyle);
        sheet.Text(row, kFaultColumn, texts.fault);
    }
}

void WriteVoltages(ReportSheet& sheet, const EventRecord& record, int row)
{
    switch (record.voltMarker) {
    case VoltageMarker::Underrange: sheet.Text(row, kFirstVoltageColumn, "Underrange"); return;
    case VoltageMarker::Overrange: sheet.Text(row, kFirstVoltageColumn, "Overrange"); return;
    case VoltageMarker::None: break;
    }
    for (int line = 0; line < 3; ++line)
        sheet.Integer(row, kFirstVoltageColumn + line, VoltsFromRaw(record.volts[line]));
}

void WriteCurrents(ReportSheet& sheet, const ReportStyles& s, const EventRecord& record, int row)
{
    if (record.ampsOverrange) {
        sheet.Text(row, kFirstCurrentColumn, "Overrange");
        return;
    }
    if (record.scaleFlag == kWholeAmpsScale) {
        for (int line = 0; line < 3; ++line)
            sheet.Integer(row, kFirstCurrentColumn + line, WholeAmpsFromRaw(record.amps[line]));
        return;
    }
    // Tenth-ampere units: a real number, shown with one decimal.
    sheet.Apply(s.decimalStyle);
    for (int line = 0; line < 3; ++line)
        sheet.Number(row, kFirstCurrentColumn + line, AmpsFromRaw(record.amps[line], record.scaleFlag));
}

void WriteParameterValue(ReportSheet& sheet, const EventRecord& record, int row)
{
    const std::uint8_t value = record.paramValue;
    if (record.paramNumber == kParamRatedVoltage) {
        if (const auto rated = RatedVoltageText(value))
            sheet.Text(row, kParameterValueColumn, *rated);
    } else if (IsFlagParameter(record.paramNumber)) {
        for (int bit = 6; bit >= 0; --bit)
            sheet.Text(row, kFirstFlagColumn + (6 - bit), (value >> bit) & 1 ? "On" : "Off");
        sheet.Text(row, kParameterValueColumn, FlagBitsText(value));
    } else {
        sheet.Text(row, kParameterValueColumn, std::to_string(value));
    }
}

void WriteEventRow(ReportSheet& sheet, const ReportStyles& s, const EventRecord& record, int row,
                   std::uint32_t& previousStamp)
{
    // Every cell of the row gets the boxed style, including those left blank.
    sheet.Apply(s.cellStyle);
    for (int column = 1; column <= kLastColumn; ++column)
        sheet.Text(row, column, "");

    sheet.Apply(s.cellStyle);
    sheet.Integer(row, kIndexColumn, record.index);
    WriteRunTime(sheet, row, kAccumulatedColumn, record.runTime);
    // The run time can only grow; an equal or lower stamp (or the first
    // record) leaves the elapsed time blank.
    if (record.index > 0 && record.runTime > previousStamp)
        WriteRunTime(sheet, row, kElapsedColumn, record.runTime - previousStamp);
    previousStamp = record.runTime;

    sheet.Apply(s.cellLeftStyle);
    WriteConditionAndFault(sheet, s, record, row);

    sheet.Apply(s.cellStyle);
    if (IsMeasurementCode(record.code)) {
        WriteVoltages(sheet, record, row);
        WriteCurrents(sheet, s, record, row);
    } else if (IsParameterChangeCode(record.code)) {
        WriteParameterValue(sheet, record, row);
    }
}

void WriteBlanks(ReportSheet& sheet, int row, int firstColumn, int lastColumn)
{
    for (int column = firstColumn; column <= lastColumn; ++column)
        sheet.Text(row, column, " ");
}

void WriteEmptyRow(ReportSheet& sheet, const ReportStyles& s, int row, int index)
{
    sheet.Apply(s.cellStyle);
    WriteBlanks(sheet, row, kElapsedColumn, kElapsedColumn + 2);
    sheet.Integer(row, kIndexColumn, index);
    WriteBlanks(sheet, row, kAccumulatedColumn, kAccumulatedColumn + 2);
    sheet.Text(row, kConditionColumn, "No Data");
    WriteBlanks(sheet, row, kFaultColumn, kFirstCurrentColumn + 2);
    WriteBlanks(sheet, row, kParameterValueColumn, kLastColumn);
    WriteBlanks(sheet, row, kPercentOfMaxAmpsColumn, kCurrentUnbalanceColumn);
    sheet.Apply(s.cellStyle);
}

} // namespace

void WriteEventRows(ReportSheet& sheet, const ReportStyles& styles, const HeaderLayout& layout,
                    std::span<const std::uint8_t> table, std::uint16_t tableLength)
{
    const MaxAmpsCell maxAmps{layout.maxAmpsRow, layout.maxAmpsColumn};
    EventTableWalk walk(table, tableLength);
    std::uint32_t previousStamp = 0; // empty rows leave it alone
    bool endMarker = false;
    EventRecord record;
    while (walk.Next(record)) {
        if (record.index == kEndMarkerIndex && record.IsEmpty())
            endMarker = true;
        else if (record.index > kLastShownRecordIndex)
            break; // nothing after this is shown
        const int row = layout.firstEventRow + record.index;
        if (record.IsEmpty() || endMarker) {
            WriteEmptyRow(sheet, styles, row, record.index);
        } else {
            WriteEventRow(sheet, styles, record, row, previousStamp);
            WriteRowFormulas(sheet, styles, row, maxAmps);
        }
    }
}

} // namespace k4
