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
std::vector<std::string> Walk(std::span<const std::uint8_t> table, std::uint16_t length)
{
    std::vector<std::string> records;
    EventTableWalk walk(table, length);
    for (EventRecord r; walk.Next(r);)
        records.push_back(std::to_string(r.index) + ":" + (r.IsEmpty() ? "-" : std::to_string(r.runTime)));
    return records;
}

TEST(TableWalk, WhereTheWalkEnds)
{
    const auto stamped = [](int count) {
        test::TableBuilder b;
        for (int i = 0; i < count; ++i)
            b.Stamped(EVT_DEFAULTS_RESTORED, static_cast<std::uint32_t>(i + 1));
        return b;
    };
    const auto measurements = test::TableBuilder()
                                  .Measurement(EVT_SWITCH_ON, 1, 1, {1, 2, 3}, {4, 5, 6})
                                  .Measurement(EVT_SWITCH_OFF, 2, 1, {1, 2, 3}, {4, 5, 6});
    const auto elevens =
        test::TableBuilder(11).Parameter(EVT_PROTECTION_CHANGE, 1, 13, 40).Stamped(EVT_MOTOR_CHANGE, 2);
    const struct {
        const char* what;
        Table table;
        std::uint16_t length;
        std::vector<std::string> records;
    } cases[] = {
        {"empty slots count",
         test::TableBuilder().Empty().Stamped(EVT_SWITCH_ON, 5).Empty().Table(),
         63,
         {"0:-", "1:5", "2:-"}},
        {"stride from the first record only", Changed(elevens, [](Table& t) { t[11 + 2] = 200; }), 22, {"0:1", "1:2"}},
        // The table claims 3 strides + 1 byte; the gathered image holds the rest.
        {"partial last record", stamped(4).Table(), 3 * 21 + 1, {"0:1", "1:2", "2:3", "3:4"}},
        {"zero length", stamped(1).Table(), 0, {}},
        {"measurement cut short by the image's end",
         Changed(measurements, [](Table& t) { t.resize(41); }),
         42,
         {"0:1"}},
        // A short record whose code needs few bytes still fits.
        {"parameter change in the same bytes",
         Changed(measurements,
                 [](Table& t) {
                     t.resize(21 + 11);
                     t[21 + 5] = EVT_MOTOR_CHANGE;
                 }),
         42,
         {"0:1", "1:2"}},
        // Plenty of bytes after, but not the record's own.
        {"stride too short for the code",
         Changed(test::TableBuilder(11).Parameter(EVT_PROTECTION_CHANGE, 1, 13, 40).Stamped(EVT_SWITCH_ON, 2),
                 [](Table& t) { t.resize(t.size() + 64); }),
         33,
         {"0:1"}},
        {"table longer than the image", stamped(2).Table(), 0xFFFF, {"0:1", "1:2"}},
        {"no image at all", {}, 100, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Walk(c.table, c.length), c.records) << c.what;
}

} // namespace
} // namespace k4
