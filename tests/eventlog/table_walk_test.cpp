#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "eventlog/event_record.h"
#include "record_builder.h"

namespace k4 {
namespace {

using Table = std::vector<std::uint8_t>;

Table Changed(const test::TableBuilder& b, const std::function<void(Table&)>& change)
{
    Table table = b.Table();
    change(table);
    return table;
}

// Each record walked as "index:run time", or "index:-" for an empty slot.
std::string Walk(std::span<const std::uint8_t> table, std::uint16_t length)
{
    std::string records;
    EventTableWalk walk(table, length);
    for (EventRecord r; walk.Next(r);)
        records += std::to_string(r.index) + ":" + (r.IsEmpty() ? "-" : std::to_string(r.runTime)) + " ";
    return records;
}

TEST(TableWalk, WhereTheWalkEnds)
{
    using B = test::TableBuilder;
    const auto stamped = [](int count) {
        B b;
        for (int i = 0; i < count; ++i)
            b.Stamped(EVT_DEFAULTS_RESTORED, static_cast<std::uint32_t>(i + 1));
        return b.Table();
    };
    const B measurements = B().Measurement(EVT_SWITCH_ON, 1, 1, {1, 2, 3}, {4, 5, 6})
                               .Measurement(EVT_SWITCH_OFF, 2, 1, {1, 2, 3}, {4, 5, 6});
    const B elevens = B(11).Parameter(EVT_PROTECTION_CHANGE, 1, 13, 40).Stamped(EVT_MOTOR_CHANGE, 2);
    const B tooShort = B(11).Parameter(EVT_PROTECTION_CHANGE, 1, 13, 40).Stamped(EVT_SWITCH_ON, 2);
    const struct {
        Table table;
        std::uint16_t length;
        const char* records;
    } cases[] = {
        {B().Empty().Stamped(EVT_SWITCH_ON, 5).Empty().Table(), 63, "0:- 1:5 2:- "}, // empty slots count
        {Changed(elevens, [](Table& t) { t[11 + 2] = 200; }), 22, "0:1 1:2 "}, // stride from the first record only
        // The table claims 3 strides + 1 byte; the gathered image holds the rest.
        {stamped(4), 3 * 21 + 1, "0:1 1:2 2:3 3:4 "},
        {stamped(3), 2 * 21, "0:1 1:2 "}, // the claimed length ends the walk
        {stamped(1), 0, ""},
        {Changed(measurements, [](Table& t) { t.resize(41); }), 42, "0:1 "}, // cut short by the image's end
        // A short record whose code needs few bytes still fits.
        {Changed(measurements, [](Table& t) { t.resize(32), t[26] = EVT_MOTOR_CHANGE; }), 42, "0:1 1:2 "},
        // Plenty of bytes after, but not the record's own.
        {Changed(tooShort, [](Table& t) { t.resize(t.size() + 64); }), 33, "0:1 "},
        {stamped(2), 0xFFFF, "0:1 1:2 "}, // a table longer than the image
        {{}, 100, ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Walk(cases[i].table, cases[i].length), cases[i].records) << "row " << i;
}

} // namespace
} // namespace k4
