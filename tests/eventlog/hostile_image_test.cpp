// Images that lie: random bytes, cut-off transfers and headers pointing
// anywhere. Run under the sanitizers, any read outside the gathered bytes
// fails the test run.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "eventlog/csv_writer.h"
#include "eventlog/event_record.h"
#include "eventlog/log_image.h"
#include "eventlog/sample_image.h"

namespace k4 {
namespace {

// Walks like the writers do, on a heap copy of exactly the gathered length
// so that the sanitizer sees its end: every record stays inside the image,
// and the CSV has a header line plus one line per record walked (nothing
// at all for a zero table length).
void Exercise(const std::vector<std::uint8_t>& gathered)
{
    auto image = std::make_unique<std::uint8_t[]>(gathered.size());
    std::copy(gathered.begin(), gathered.end(), image.get());
    const std::span<std::uint8_t> span(image.get(), gathered.size());
    EventTableArgs args;
    if (!PrepareImageForWriters(span, args))
        return;
    EventTableWalk walk(args.table, args.tableLength);
    int count = 0;
    for (EventRecord r; walk.Next(r); ++count) {
        EXPECT_GE(r.bytes.data(), span.data());
        EXPECT_LE(r.bytes.data() + r.bytes.size(), span.data() + span.size());
        EXPECT_EQ(r.index, count);
    }
    const std::string csv = RenderCsv(args.tableLength, args.table);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), args.tableLength > 0 ? count + 1 : 0);
}

TEST(HostileImages, RandomBytes)
{
    std::mt19937 rng(20261206);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t size = round % 50 == 0 ? 1 + rng() % kImageCapacity : 1 + rng() % 600;
        std::vector<std::uint8_t> image(size);
        for (auto& b : image)
            b = static_cast<std::uint8_t>(rng());
        image[0] |= 1;
        Exercise(image);
    }
}

TEST(HostileImages, MutatedAndCutOffSampleLogs)
{
    std::mt19937 rng(42);
    const std::vector<std::uint8_t> sample = SampleLogImage();
    for (int round = 0; round < 5000; ++round) {
        std::vector<std::uint8_t> image = sample;
        const int flips = 1 + static_cast<int>(rng() % 6);
        for (int i = 0; i < flips; ++i) {
            // Favour the fields that steer the walk: header words, stride, codes.
            static constexpr std::size_t kHot[] = {6, 7, 8, 9, 32 + 2, 32 + 5, 32 + 21 + 5, 32 + 10, 32 + 16};
            const std::size_t at = rng() % 2 ? kHot[rng() % std::size(kHot)] : rng() % image.size();
            image[at] = static_cast<std::uint8_t>(rng());
        }
        image.resize(1 + rng() % image.size());
        image[0] |= 1;
        Exercise(image);
    }
}

TEST(HostileImages, HeaderPointingEverywhere)
{
    for (std::uint32_t offset : {0u, 1u, 9u, 31u, 32u, 33u, 600u, 40959u, 40960u, 65535u})
        for (std::uint32_t length : {0u, 1u, 6u, 21u, 22u, 651u, 40960u, 65535u}) {
            std::vector<std::uint8_t> image = SampleLogImage();
            image[6] = static_cast<std::uint8_t>(offset >> 8);
            image[7] = static_cast<std::uint8_t>(offset);
            image[8] = static_cast<std::uint8_t>(length >> 8);
            image[9] = static_cast<std::uint8_t>(length);
            Exercise(image);
        }
}

} // namespace
} // namespace k4
