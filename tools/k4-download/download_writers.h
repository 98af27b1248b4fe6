#pragma once
#include <cstdio>
#include <string>

#include "link/download_worker.h"

namespace k4dl {

// The pass's two writers; with `keepImagePath` the raw image as the unit
// sent it is saved there too, before the files are written.
k4::LogWriters MakeLogWriters(k4::DeviceLink& link, std::string keepImagePath, std::FILE* out);

} // namespace k4dl
