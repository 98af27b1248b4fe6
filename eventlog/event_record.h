#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "eventlog/event_codes.h"

namespace k4 {

enum class VoltageMarker : std::uint8_t { None, Overrange, Underrange };

// Field positions inside one record (little-endian fields).
inline constexpr std::size_t kRecScaleFlag = 1;
inline constexpr std::size_t kRecStrideByte = 2;
inline constexpr std::size_t kRecEventCode = 5;
inline constexpr std::size_t kRecRunTime = 6;
inline constexpr std::size_t kRecVolts = 9;
inline constexpr std::size_t kRecVoltMarker = 10;
inline constexpr std::size_t kRecAmps = 15;
inline constexpr std::size_t kRecAmpMarker = 16;
inline constexpr std::size_t kRecParamNumber = 9;
inline constexpr std::size_t kRecParamValue = 10;

inline constexpr std::uint8_t kMarkerOverrange = 0xFF;
inline constexpr std::uint8_t kMarkerUnderrange = 0xFE;

// Bytes a record must have for the fields its code calls for.
std::size_t RecordBytesNeeded(std::uint8_t eventCode);

// The decoded view of one record of the event table.
struct EventRecord {
    int index = 0; // position in the table, empty slots counted
    std::uint8_t code = EVT_EMPTY;
    std::uint32_t runTime = 0; // tenths of a minute
    std::uint8_t scaleFlag = 0;
    VoltageMarker voltMarker = VoltageMarker::None;
    std::uint16_t volts[3] = {}; // sixteenths of a volt
    bool ampsOverrange = false;
    std::uint16_t amps[3] = {}; // scaled by scaleFlag
    std::uint8_t paramNumber = 0;
    std::uint8_t paramValue = 0;
    std::span<const std::uint8_t> bytes; // the record inside the image

    bool IsEmpty() const { return code == EVT_EMPTY; }
};

// Decodes the record at the start of `bytes`; `bytes` must hold
// RecordBytesNeeded(code) bytes (the walk guarantees it).
EventRecord DecodeRecord(std::span<const std::uint8_t> bytes, int index);

// Walks the event table: the stride comes from byte 2 of the first record,
// records follow while their start is below `tableLength`. `table` runs
// from the first record to the end of the gathered image; a record whose
// fields do not all lie within its own stride and within `table` ends the
// walk, so nothing outside the gathered bytes is ever read.
class EventTableWalk {
public:
    EventTableWalk(std::span<const std::uint8_t> table, std::uint16_t tableLength);

    std::size_t Stride() const { return m_stride; }

    // Fills `record` with the next record; false at the end of the table.
    bool Next(EventRecord& record);

private:
    std::span<const std::uint8_t> m_table;
    std::size_t m_tableLength;
    std::size_t m_stride = 0;
    std::size_t m_offset = 0;
    int m_index = 0;
};

} // namespace k4
