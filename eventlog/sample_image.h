#pragma once
#include <cstdint>
#include <vector>

namespace k4 {

// A log image as the unit would send it (header words big-endian) that
// holds every kind of record the decoders know, for the simulator, the
// demo and the tests.
std::vector<std::uint8_t> SampleLogImage();

// A synthetic image of `recordCount` 21-byte records cycling through the
// record kinds, for load tests and benchmarks (capped to fit 40960 bytes).
std::vector<std::uint8_t> SyntheticLogImage(int recordCount);

} // namespace k4
