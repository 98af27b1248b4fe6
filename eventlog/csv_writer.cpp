#include "eventlog/csv_writer.h"

#include <charconv>

#include "eventlog/event_decoding.h"
#include "eventlog/event_record.h"
#include "platform/atomic_file.h"
#include "common/texts.h"

namespace k4 {

namespace {

constexpr std::string_view kHeaderLine =
    "Event,Day,Hour,Minute,Condition,Fault,Parameter Value,Measure,L1,L2,L3,Measure,L1,L2,L3";
// The file is the same whichever platform wrote it.
constexpr std::string_view kLineEnd = "\r\n";

// Numbers go through to_chars so that the user's locale never turns a
// decimal point into a comma inside a comma-delimited file.
void AppendInt(std::string& line, long long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    line.append(buffer, result.ptr);
}

void AppendIntComma(std::string& line, long long value)
{
    AppendInt(line, value);
    line += ',';
}

void AppendTenthsAmps(std::string& line, std::uint16_t raw)
{
    // Computed in double, kept as a float, printed from the widened float:
    // 24 / 160 = 0.15 becomes 0.150000006 and prints as 0.2.
    const float amps = static_cast<float>(raw / 160.0);
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(amps), std::chars_format::fixed, 1);
    line.append(buffer, result.ptr);
    line += ',';
}

void AppendRunTime(std::string& line, std::uint32_t stamp)
{
    const RunTime time = DecodeRunTime(stamp);
    AppendInt(line, time.days);
    line += "d,";
    AppendInt(line, time.hours);
    line += "h,";
    AppendInt(line, time.minutes);
    line += '.';
    AppendInt(line, time.tenths);
    line += "m,";
}

void AppendMeasurements(std::string& line, const EventRecord& record)
{
    line += "Volt,";
    if (record.voltMarker == VoltageMarker::Overrange)
        line += "Overrange,,,";
    else if (record.voltMarker == VoltageMarker::Underrange)
        line += "Underrange,,,";
    else
        for (std::uint16_t raw : record.volts)
            AppendIntComma(line, VoltsFromRaw(raw));

    line += "Amp,";
    if (record.ampsOverrange)
        line += "Overrange,,,";
    else if (record.scaleFlag == kWholeAmpsScale)
        for (std::uint16_t raw : record.amps)
            AppendIntComma(line, WholeAmpsFromRaw(raw));
    else
        for (std::uint16_t raw : record.amps)
            AppendTenthsAmps(line, raw);
}

void AppendParameterChange(std::string& line, const EventRecord& record)
{
    line += "Parameter ";
    AppendInt(line, record.paramNumber);
    line += ",,";
    if (record.paramNumber == kParamRatedVoltage) {
        if (auto text = RatedVoltageText(record.paramValue))
            line += *text;
    } else if (IsFlagParameter(record.paramNumber)) {
        line += FlagBitsText(record.paramValue);
    } else {
        AppendInt(line, record.paramValue);
    }
    line += ",,,,,,,,";
}

void AppendRecordLine(std::string& out, const EventRecord& record)
{
    AppendIntComma(out, record.index);
    if (record.IsEmpty()) {
        out += "No Data,,,,,,,,,,,,,";
    } else {
        AppendRunTime(out, record.runTime);
        out += CsvConditionPiece(record.code);
        if (IsMeasurementCode(record.code))
            AppendMeasurements(out, record);
        else if (IsParameterChangeCode(record.code))
            AppendParameterChange(out, record);
    }
    out += kLineEnd;
}

} // namespace

std::string RenderCsv(std::uint16_t tableLength, std::span<const std::uint8_t> table)
{
    std::string out;
    if (tableLength == 0)
        return out;
    out.reserve(128 + tableLength * 4);
    out += kHeaderLine;
    out += kLineEnd;
    EventTableWalk walk(table, tableLength);
    EventRecord record;
    while (walk.Next(record))
        AppendRecordLine(out, record);
    return out;
}

bool WriteCsvFile(std::uint16_t /*tableOffset*/, std::uint16_t tableLength, std::span<const std::uint8_t> table,
                  std::string basePath, MessageSink& messages)
{
    if (tableLength == 0)
        return false;
    const std::string contents = RenderCsv(tableLength, table);
    AtomicFile file;
    if (!file.Open(basePath + ".csv") || !file.Write(contents) || !file.Commit()) {
        messages.ShowMessage(text::kCsvCreateFailedMessage);
        return false;
    }
    return true;
}

} // namespace k4
