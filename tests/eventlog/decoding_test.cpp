#include <gtest/gtest.h>

#include "eventlog/event_codes.h"
#include "eventlog/event_decoding.h"
#include "eventlog/event_record.h"
#include "eventlog/log_image.h"

namespace k4 {
namespace {

TEST(Decoding, RunTimeSplitsIntoDaysHoursMinutesTenths)
{
    struct Case {
        std::uint32_t stamp;
        RunTime expected;
    } cases[] = {
        {0, {0, 0, 0, 0}},     {637, {0, 1, 3, 7}},         {14399, {0, 23, 59, 9}},
        {14400, {1, 0, 0, 0}}, {16777215, {1165, 2, 1, 5}},
    };
    for (const Case& c : cases) {
        const RunTime t = DecodeRunTime(c.stamp);
        EXPECT_EQ(t.days, c.expected.days) << c.stamp;
        EXPECT_EQ(t.hours, c.expected.hours) << c.stamp;
        EXPECT_EQ(t.minutes, c.expected.minutes) << c.stamp;
        EXPECT_EQ(t.tenths, c.expected.tenths) << c.stamp;
    }
}

TEST(Decoding, VoltsAndWholeAmpsRoundHalvesUp)
{
    EXPECT_EQ(VoltsFromRaw(3672), 230);
    EXPECT_EQ(VoltsFromRaw(3671), 229);
    EXPECT_EQ(VoltsFromRaw(0xFFFF), 4096); // no overflow in the rounding
    EXPECT_EQ(AmpsFromRaw(200, 1), 13.0);
    EXPECT_DOUBLE_EQ(AmpsFromRaw(200, 0), 1.25);
    EXPECT_DOUBLE_EQ(AmpsFromRaw(200, 2), 1.25);
}

TEST(Decoding, ParameterValueTexts)
{
    EXPECT_EQ(RatedVoltageText(0), "200");
    EXPECT_EQ(RatedVoltageText(8), "575");
    EXPECT_FALSE(RatedVoltageText(9).has_value());
    EXPECT_EQ(FlagBitsText(0x41), "Bits 1000001");
    EXPECT_EQ(FlagBitsText(0x80), "Bits 0000000");
}

TEST(Decoding, ParameterNamesDependOnTheChangeCode)
{
    EXPECT_EQ(ParameterName(EVT_MOTOR_CHANGE, 5), "Motor Amps - tenths digit");
    EXPECT_FALSE(ParameterName(EVT_MOTOR_CHANGE, 6).has_value());
    EXPECT_FALSE(ParameterName(EVT_PROTECTION_CHANGE, 1).has_value());
    EXPECT_EQ(ParameterName(EVT_PROTECTION_CHANGE, 7), "Trip Enable Flags");
    EXPECT_EQ(ParameterName(EVT_PROTECTION_CHANGE, 25), "Timeout for False Starts");
    EXPECT_FALSE(ParameterName(EVT_PROTECTION_CHANGE, 26).has_value());
    EXPECT_FALSE(ParameterName(0x2C, 7).has_value());
}

TEST(Decoding, TheWorkedExampleRecord)
{
    const std::uint8_t bytes[] = {0x00, 0x01, 0x0F, 0x00, 0x00, 0x19, 0x7D, 0x02, 0x00, 0x60, 0x0E,
                                  0x70, 0x0E, 0x50, 0x0E, 0xC8, 0x00, 0xD0, 0x00, 0xC0, 0x00};
    const EventRecord r = DecodeRecord(bytes, 0);
    EXPECT_EQ(r.code, EVT_TRIP_UNDERLOAD);
    EXPECT_EQ(r.runTime, 637u);
    EXPECT_EQ(r.scaleFlag, 1);
    EXPECT_EQ(r.voltMarker, VoltageMarker::None);
    EXPECT_EQ(VoltsFromRaw(r.volts[0]), 230);
    EXPECT_EQ(VoltsFromRaw(r.volts[1]), 231);
    EXPECT_EQ(VoltsFromRaw(r.volts[2]), 229);
    EXPECT_EQ(WholeAmpsFromRaw(r.amps[0]), 13);
    EXPECT_EQ(WholeAmpsFromRaw(r.amps[2]), 12);
}

TEST(Decoding, MarkersLiveInTheHighByteOfLineOne)
{
    std::uint8_t bytes[21] = {0, 1, 15, 0, 0, EVT_SWITCH_ON};
    bytes[10] = 0xFF;
    EXPECT_EQ(DecodeRecord(bytes, 0).voltMarker, VoltageMarker::Overrange);
    bytes[10] = 0xFE;
    EXPECT_EQ(DecodeRecord(bytes, 0).voltMarker, VoltageMarker::Underrange);
    bytes[10] = 0xFD;
    EXPECT_EQ(DecodeRecord(bytes, 0).voltMarker, VoltageMarker::None);
    bytes[16] = 0xFE; // no underrange for currents
    EXPECT_FALSE(DecodeRecord(bytes, 0).ampsOverrange);
    bytes[16] = 0xFF;
    EXPECT_TRUE(DecodeRecord(bytes, 0).ampsOverrange);
    bytes[12] = 0xFF; // only line one's high byte marks the group
    bytes[10] = 0x00;
    EXPECT_EQ(DecodeRecord(bytes, 0).voltMarker, VoltageMarker::None);
}

TEST(ImagePreparation, HeaderWordsReachTheWritersInHostOrder)
{
    std::vector<std::uint8_t> image(64, 0);
    image[0] = 1;
    image[6] = 0x00;
    image[7] = 0x20;
    image[8] = 0x00;
    image[9] = 0x15;
    image[26] = 0x12;
    image[27] = 0x34;
    EventTableArgs args;
    ASSERT_TRUE(PrepareImageForWriters(image, args));
    EXPECT_EQ(args.tableOffset, 32);
    EXPECT_EQ(args.tableLength, 21);
    EXPECT_EQ(args.table.data(), image.data() + 32);
    EXPECT_EQ(args.table.size(), 32u);
    EXPECT_EQ(image[26], 0x34); // converted in place too, though nobody reads it
}

TEST(ImagePreparation, RefusesAnEmptyImageOrAZeroFirstByte)
{
    EventTableArgs args;
    std::vector<std::uint8_t> none;
    EXPECT_FALSE(PrepareImageForWriters(none, args));
    std::vector<std::uint8_t> zero(64, 0);
    EXPECT_FALSE(PrepareImageForWriters(zero, args));
}

TEST(ImagePreparation, ShortImagesAndOffsetsPastTheEndGiveAnEmptyTable)
{
    std::vector<std::uint8_t> tiny = {1, 0, 0, 0, 0, 0, 0x00};
    EventTableArgs args;
    ASSERT_TRUE(PrepareImageForWriters(tiny, args));
    EXPECT_EQ(args.tableLength, 0);
    EXPECT_TRUE(args.table.empty());

    std::vector<std::uint8_t> image(40, 0);
    image[0] = 1;
    image[6] = 0x01; // table at 256, past the 40 gathered bytes
    image[9] = 21;
    ASSERT_TRUE(PrepareImageForWriters(image, args));
    EXPECT_TRUE(args.table.empty());
}

} // namespace
} // namespace k4
