// The gathered log image, as hostile as the unit (or a damaged transfer)
// can make it, through the header conversion, the walk and the CSV writer.
#include <cstdint>
#include <memory>
#include <vector>

#include "eventlog/csv_writer.h"
#include "eventlog/event_record.h"
#include "eventlog/log_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > k4::kImageCapacity)
        return 0;
    // An exact-size heap copy, so that any read past the gathered bytes trips the sanitizer.
    std::unique_ptr<std::uint8_t[]> image(new std::uint8_t[size]);
    std::copy(data, data + size, image.get());
    k4::EventTableArgs args;
    if (!k4::PrepareImageForWriters({image.get(), size}, args))
        return 0;
    k4::EventTableWalk walk(args.table, args.tableLength);
    k4::EventRecord record;
    while (walk.Next(record)) {
        if (record.bytes.data() < image.get() || record.bytes.data() + record.bytes.size() > image.get() + size)
            __builtin_trap();
    }
    (void)k4::RenderCsv(args.tableLength, args.table);
    return 0;
}
