#pragma once
// Builds event tables record by record for the writer tests: 21-byte
// records laid out as the unit stores them (little-endian fields).
#include <array>
#include <cstdint>
#include <vector>

#include "eventlog/event_codes.h"

namespace k4test {

class EventTableBuilder {
public:
    static constexpr std::size_t kStride = 21;

    // A measurement record (codes below 0x2A). Raw units: sixteenths of a
    // volt; currents per `scaleFlag`.
    EventTableBuilder& Measurement(std::uint8_t code, std::uint32_t stamp,
                                   std::array<std::uint16_t, 3> volts = {3680, 3696, 3664},
                                   std::array<std::uint16_t, 3> amps = {200, 208, 192}, std::uint8_t scaleFlag = 1)
    {
        auto& r = NewRecord(code, stamp);
        r[1] = scaleFlag;
        for (int line = 0; line < 3; ++line) {
            Put16(r, 9 + 2 * line, volts[line]);
            Put16(r, 15 + 2 * line, amps[line]);
        }
        return *this;
    }

    EventTableBuilder& Parameter(std::uint8_t code, std::uint32_t stamp, std::uint8_t number, std::uint8_t value)
    {
        auto& r = NewRecord(code, stamp);
        r[9] = number;
        r[10] = value;
        return *this;
    }

    // A record with a code that carries no data (0x2C and above).
    EventTableBuilder& Plain(std::uint8_t code, std::uint32_t stamp)
    {
        NewRecord(code, stamp);
        return *this;
    }

    EventTableBuilder& Empty()
    {
        auto& r = NewRecord(k4::EVT_EMPTY, 0);
        // An empty slot's other bytes are whatever the unit left there.
        for (std::size_t i = 6; i < kStride; ++i)
            r[i] = 0xA5;
        return *this;
    }

    // Direct access for odd bytes (markers).
    std::uint8_t& Byte(std::size_t record, std::size_t offset) { return m_records[record][offset]; }

    std::vector<std::uint8_t> Table() const
    {
        std::vector<std::uint8_t> bytes;
        for (const auto& r : m_records)
            bytes.insert(bytes.end(), r.begin(), r.end());
        return bytes;
    }

    std::size_t Count() const { return m_records.size(); }

private:
    using Record = std::array<std::uint8_t, kStride>;

    Record& NewRecord(std::uint8_t code, std::uint32_t stamp)
    {
        Record r{};
        r[2] = kStride - 6;
        r[5] = code;
        r[6] = stamp & 0xFF;
        r[7] = stamp >> 8 & 0xFF;
        r[8] = stamp >> 16 & 0xFF;
        m_records.push_back(r);
        return m_records.back();
    }

    static void Put16(Record& r, std::size_t offset, std::uint16_t value)
    {
        r[offset] = value & 0xFF;
        r[offset + 1] = value >> 8;
    }

    std::vector<Record> m_records;
};

} // namespace k4test
