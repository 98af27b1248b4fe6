#include <gtest/gtest.h>

#include <vector>

#include "eventlog/event_record.h"
#include "record_builder.h"

namespace k4 {
namespace {

std::vector<EventRecord> WalkAll(std::span<const std::uint8_t> table, std::uint16_t length)
{
    std::vector<EventRecord> records;
    EventTableWalk walk(table, length);
    EventRecord r;
    while (walk.Next(r))
        records.push_back(r);
    return records;
}

TEST(TableWalk, IndexCountsEmptySlots)
{
    test::TableBuilder b;
    b.Empty().Stamped(EVT_DEFAULTS_RESTORED, 5).Empty();
    const auto records = WalkAll(b.Table(), b.Length());
    ASSERT_EQ(records.size(), 3u);
    EXPECT_TRUE(records[0].IsEmpty());
    EXPECT_EQ(records[1].index, 1);
    EXPECT_EQ(records[1].runTime, 5u);
    EXPECT_EQ(records[2].index, 2);
    EXPECT_TRUE(records[2].IsEmpty());
}

TEST(TableWalk, StrideComesFromTheFirstRecordOnly)
{
    test::TableBuilder b(11);
    b.Parameter(EVT_PROTECTION_CHANGE, 1, 13, 40).Parameter(EVT_MOTOR_CHANGE, 2, 0, 50);
    std::vector<std::uint8_t> table = b.Table();
    table[11 + 2] = 200; // a later record's size byte is not consulted
    const auto records = WalkAll(table, static_cast<std::uint16_t>(table.size()));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].paramValue, 50);
}

TEST(TableWalk, APartialLastRecordStartingInsideTheTableIsHandled)
{
    test::TableBuilder b;
    for (int i = 0; i < 4; ++i)
        b.Stamped(EVT_DEFAULTS_RESTORED, static_cast<std::uint32_t>(i));
    // The table claims 3 strides + 1 byte; the gathered image holds the rest.
    const auto records = WalkAll(b.Table(), 3 * 21 + 1);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[3].runTime, 3u);
}

TEST(TableWalk, ZeroLengthYieldsNothing)
{
    test::TableBuilder b;
    b.Empty();
    EXPECT_TRUE(WalkAll(b.Table(), 0).empty());
}

TEST(TableWalk, ARecordCutShortByTheEndOfTheImageEndsTheWalk)
{
    test::TableBuilder b;
    b.Measurement(EVT_SWITCH_ON, 1, 1, {1, 2, 3}, {4, 5, 6}).Measurement(EVT_SWITCH_OFF, 2, 1, {1, 2, 3}, {4, 5, 6});
    std::vector<std::uint8_t> table = b.Table();
    table.resize(21 + 20); // the second measurement lacks its last byte
    const auto records = WalkAll(table, 42);
    ASSERT_EQ(records.size(), 1u);

    // A short record whose code needs few bytes still fits.
    table.resize(21 + 11);
    table[21 + 5] = EVT_MOTOR_CHANGE;
    EXPECT_EQ(WalkAll(table, 42).size(), 2u);
}

TEST(TableWalk, AStrideTooShortForTheCodeEndsTheWalk)
{
    test::TableBuilder b(11);
    b.Parameter(EVT_PROTECTION_CHANGE, 1, 13, 40).Stamped(EVT_SWITCH_ON, 2).Stamped(EVT_SWITCH_ON, 3);
    std::vector<std::uint8_t> table = b.Table();
    table.resize(table.size() + 64, 0); // plenty of bytes after, but not the record's own
    const auto records = WalkAll(table, 33);
    ASSERT_EQ(records.size(), 1u);
}

TEST(TableWalk, TableLongerThanTheImageStopsAtTheImage)
{
    test::TableBuilder b;
    b.Empty().Empty();
    const auto records = WalkAll(b.Table(), 0xFFFF);
    EXPECT_EQ(records.size(), 2u);
    EXPECT_TRUE(WalkAll({}, 100).empty());
}

} // namespace
} // namespace k4
