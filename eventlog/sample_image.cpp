#include "eventlog/sample_image.h"

#include <algorithm>
#include <array>

#include "eventlog/event_codes.h"
#include "eventlog/log_image.h"

namespace k4 {

namespace {

constexpr std::size_t kStride = 21;
constexpr std::uint16_t kTableOffset = 32;

using Record = std::array<std::uint8_t, kStride>;

struct Lines {
    std::uint16_t l1, l2, l3;
};

void PutLe16(Record& r, std::size_t at, std::uint16_t v)
{
    r[at] = static_cast<std::uint8_t>(v);
    r[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

Record Blank(std::uint8_t code, std::uint32_t stamp)
{
    Record r{};
    r[2] = kStride - 6;
    r[5] = code;
    r[6] = static_cast<std::uint8_t>(stamp);
    r[7] = static_cast<std::uint8_t>(stamp >> 8);
    r[8] = static_cast<std::uint8_t>(stamp >> 16);
    return r;
}

Record Measurement(std::uint8_t code, std::uint32_t stamp, std::uint8_t scale, Lines volts, Lines amps)
{
    Record r = Blank(code, stamp);
    r[1] = scale;
    PutLe16(r, 9, volts.l1);
    PutLe16(r, 11, volts.l2);
    PutLe16(r, 13, volts.l3);
    PutLe16(r, 15, amps.l1);
    PutLe16(r, 17, amps.l2);
    PutLe16(r, 19, amps.l3);
    return r;
}

Record ParameterChange(std::uint8_t code, std::uint32_t stamp, std::uint8_t number, std::uint8_t value)
{
    Record r = Blank(code, stamp);
    r[9] = number;
    r[10] = value;
    return r;
}

Record Empty()
{
    Record r{};
    r.fill(0xFF);
    r[2] = kStride - 6;
    return r;
}

// Sixteenths of a volt or an ampere from whole units.
constexpr std::uint16_t Sixteenths(int whole)
{
    return static_cast<std::uint16_t>(whole * 16);
}
// Sixteenths of a tenth of an ampere from tenths.
constexpr std::uint16_t Tenths(int tenths)
{
    return static_cast<std::uint16_t>(tenths * 16);
}

constexpr Lines kMains{Sixteenths(230), Sixteenths(231), Sixteenths(229)};
constexpr std::uint8_t kWhole = 1;
constexpr std::uint8_t kTenthsScale = 0;

std::vector<Record> SampleRecords()
{
    return {
        // A trip on underload, the layout's worked example.
        {0x00, 0x01, 0x0F, 0x00, 0x00, 0x19, 0x7D, 0x02, 0x00, 0x60, 0x0E,
         0x70, 0x0E, 0x50, 0x0E, 0xC8, 0x00, 0xD0, 0x00, 0xC0, 0x00},
        Measurement(EVT_TRIP_OVERLOAD, 630, kTenthsScale, kMains, {Tenths(425), Tenths(431), 24}),
        Measurement(EVT_POWER_UP_DELAY, 625, kWhole, {0xFF12, 0x1234, 0}, {0, 0, 0}),
        Empty(),
        Measurement(EVT_SWITCH_ON, 28800, kTenthsScale, {Sixteenths(460), Sixteenths(459), Sixteenths(461)},
                    {Tenths(42), Tenths(43), Tenths(41)}),
        ParameterChange(EVT_PROTECTION_CHANGE, 1801, 7, 0x41),
        ParameterChange(EVT_MOTOR_CHANGE, 1802, 1, 6),
        Blank(EVT_DEFAULTS_RESTORED, 1803),
        Blank(0x2E, 1804),
        Measurement(EVT_TRIP_UNBALANCE, 2400, kWhole, kMains, {Sixteenths(9), Sixteenths(10), Sixteenths(11)}),
        Measurement(EVT_TRIP_OVERHEAT, 2400, kWhole, kMains, {Sixteenths(10), Sixteenths(10), Sixteenths(10)}),
        Measurement(EVT_TRIP_OVERVOLT, 2300, kWhole, {0xFD10, Sixteenths(262), Sixteenths(264)},
                    {Sixteenths(12), Sixteenths(12), Sixteenths(12)}),
        Measurement(EVT_TRIP_UNDERVOLT, 3000, kWhole, {0xFE10, 0x0010, 0x0010},
                    {Sixteenths(1), Sixteenths(1), Sixteenths(1)}),
        Measurement(EVT_TRIP_FALSE_START, 3600, kWhole, kMains, {0xFF00, 0x0000, 0x0000}),
        Measurement(EVT_MOTOR_AMPS_NOT_SET, 4200, kTenthsScale, kMains, {0xFE01, 0x0123, 0x0050}),
        Measurement(EVT_SWITCH_OFF, 14400 + 600 + 125, kWhole, {3672, 3671, 3680}, {200, 0, 8}),
        Measurement(EVT_TIMED_RESET, 14400 * 2, kTenthsScale, kMains, {0, 0, 0}),
        Measurement(EVT_MANUAL_RESET, 14400 * 3 + 1, kWhole, kMains, {Sixteenths(20), Sixteenths(21), Sixteenths(19)}),
        Measurement(0x21, 14400 * 3 + 2, kWhole, kMains, {Sixteenths(5), Sixteenths(5), Sixteenths(5)}),
        Empty(),
        ParameterChange(EVT_PROTECTION_CHANGE, 14400 * 3 + 100, 1, 2),
        ParameterChange(EVT_PROTECTION_CHANGE, 14400 * 3 + 101, 8, 0x80),
        ParameterChange(EVT_PROTECTION_CHANGE, 14400 * 3 + 102, 13, 50),
        ParameterChange(EVT_PROTECTION_CHANGE, 14400 * 3 + 103, 30, 7),
        ParameterChange(EVT_MOTOR_CHANGE, 14400 * 3 + 104, 1, 9),
        ParameterChange(EVT_MOTOR_CHANGE, 14400 * 3 + 105, 6, 12),
        ParameterChange(EVT_MOTOR_CHANGE, 14400 * 3 + 106, 0, 60),
        ParameterChange(EVT_MOTOR_CHANGE, 14400 * 3 + 107, 5, 4),
        Blank(EVT_TOTAL_RUN_TIME, 16777215),
        Blank(0x30, 100),
        Measurement(EVT_TRIP_UNDERLOAD, 90, kTenthsScale, kMains, {Tenths(15), Tenths(15), Tenths(16)}),
    };
}

std::vector<std::uint8_t> ImageOf(const std::vector<Record>& records)
{
    const std::size_t tableLength = records.size() * kStride;
    std::vector<std::uint8_t> image(kTableOffset + tableLength, 0);
    image[kImageFlagOffset] = 1;
    image[kTableOffsetField] = static_cast<std::uint8_t>(kTableOffset >> 8);
    image[kTableOffsetField + 1] = static_cast<std::uint8_t>(kTableOffset);
    image[kTableLengthField] = static_cast<std::uint8_t>(tableLength >> 8);
    image[kTableLengthField + 1] = static_cast<std::uint8_t>(tableLength);
    image[kHeaderWord26Field] = 0x12;
    image[kHeaderWord26Field + 1] = 0x34;
    for (std::size_t i = 0; i < records.size(); ++i)
        std::copy(records[i].begin(), records[i].end(), image.begin() + kTableOffset + i * kStride);
    return image;
}

} // namespace

std::vector<std::uint8_t> SampleLogImage()
{
    return ImageOf(SampleRecords());
}

std::vector<std::uint8_t> SyntheticLogImage(int recordCount)
{
    const int capacity = static_cast<int>((kImageCapacity - kTableOffset) / kStride);
    recordCount = std::clamp(recordCount, 0, capacity);
    const std::vector<Record> kinds = SampleRecords();
    std::vector<Record> records;
    records.reserve(recordCount);
    std::uint32_t stamp = 0;
    for (int i = 0; i < recordCount; ++i) {
        Record r = kinds[i % kinds.size()];
        if (r[5] != EVT_EMPTY) {
            // Keep run time growing so every row has an elapsed time.
            stamp += 37 + i % 11;
            r[6] = static_cast<std::uint8_t>(stamp);
            r[7] = static_cast<std::uint8_t>(stamp >> 8);
            r[8] = static_cast<std::uint8_t>(stamp >> 16);
        }
        records.push_back(r);
    }
    return ImageOf(records);
}

} // namespace k4
