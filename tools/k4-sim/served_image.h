#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/k4-sim/sim_options.h"

namespace k4sim {

// The log image the simulated unit holds: an image file, a synthetic one,
// or the built-in sample. False with `error` set when the file is unusable.
bool LoadServedImage(const SimOptions& options, std::vector<std::uint8_t>& image, std::string& error);

} // namespace k4sim
