#include "eventlog/event_record.h"

#include <algorithm>

namespace k4 {

namespace {

std::uint16_t Le16(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

std::uint32_t Le24(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return bytes[offset] | bytes[offset + 1] << 8 | static_cast<std::uint32_t>(bytes[offset + 2]) << 16;
}

constexpr std::size_t kEmptyRecordBytes = kRecEventCode + 1;
constexpr std::size_t kStampedRecordBytes = kRecRunTime + 3;
constexpr std::size_t kParameterRecordBytes = kRecParamValue + 1;
constexpr std::size_t kMeasurementRecordBytes = kRecAmps + 6;

} // namespace

std::size_t RecordBytesNeeded(std::uint8_t eventCode)
{
    if (eventCode == EVT_EMPTY)
        return kEmptyRecordBytes;
    if (IsMeasurementCode(eventCode))
        return kMeasurementRecordBytes;
    if (IsParameterChangeCode(eventCode))
        return kParameterRecordBytes;
    return kStampedRecordBytes;
}

EventRecord DecodeRecord(std::span<const std::uint8_t> bytes, int index)
{
    EventRecord record;
    record.index = index;
    record.code = bytes[kRecEventCode];
    record.bytes = bytes.first(RecordBytesNeeded(record.code));
    if (record.IsEmpty())
        return record;

    record.runTime = Le24(bytes, kRecRunTime);
    record.scaleFlag = bytes[kRecScaleFlag];
    if (IsMeasurementCode(record.code)) {
        const std::uint8_t voltMarker = bytes[kRecVoltMarker];
        record.voltMarker = voltMarker == kMarkerOverrange    ? VoltageMarker::Overrange
                            : voltMarker == kMarkerUnderrange ? VoltageMarker::Underrange
                                                              : VoltageMarker::None;
        record.ampsOverrange = bytes[kRecAmpMarker] == kMarkerOverrange;
        for (std::size_t line = 0; line < 3; ++line) {
            record.volts[line] = Le16(bytes, kRecVolts + 2 * line);
            record.amps[line] = Le16(bytes, kRecAmps + 2 * line);
        }
    } else if (IsParameterChangeCode(record.code)) {
        record.paramNumber = bytes[kRecParamNumber];
        record.paramValue = bytes[kRecParamValue];
    }
    return record;
}

EventTableWalk::EventTableWalk(std::span<const std::uint8_t> table, std::uint16_t tableLength)
    : m_table(table), m_tableLength(tableLength)
{
    if (m_tableLength > 0 && m_table.size() > kRecStrideByte)
        m_stride = m_table[kRecStrideByte] + 6u;
}

bool EventTableWalk::Next(EventRecord& record)
{
    if (m_stride == 0 || m_offset >= m_tableLength || m_offset >= m_table.size())
        return false;
    // A record is read from its own bytes only: the part of its stride that
    // was actually gathered. One whose code calls for more ends the walk,
    // for both writers alike.
    const std::span<const std::uint8_t> own = m_table.subspan(m_offset, std::min(m_stride, m_table.size() - m_offset));
    if (own.size() <= kRecEventCode || own.size() < RecordBytesNeeded(own[kRecEventCode])) {
        m_stride = 0; // stays at the end
        return false;
    }
    record = DecodeRecord(own, m_index);
    ++m_index;
    m_offset += m_stride;
    return true;
}

} // namespace k4
