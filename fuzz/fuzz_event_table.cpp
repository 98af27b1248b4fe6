// The gathered log image, as hostile as the unit (or a damaged transfer)
// can make it, through the header conversion, the walk and the CSV writer.
#include <cstdint>
#include <memory>
#include <vector>

#include "eventlog/csv_writer.h"
#include "eventlog/event_record.h"
#include "eventlog/log_image.h"
#include "gathered_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    k4::fuzz::GatheredImage image;
    if (!k4::fuzz::GatherImage(data, size, image))
        return 0;
    const k4::EventTableArgs& args = image.args;
    const std::uint8_t* const first = image.bytes.get();
    k4::EventTableWalk walk(args.table, args.tableLength);
    k4::EventRecord record;
    while (walk.Next(record)) {
        if (record.bytes.data() < first || record.bytes.data() + record.bytes.size() > first + size)
            __builtin_trap();
    }
    (void)k4::RenderCsv(args.tableLength, args.table);
    return 0;
}
