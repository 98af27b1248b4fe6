#pragma once
#include <memory>
#include <string>

#include "platform/bridge_library.h"

namespace k4 {

// The bridge maker's library file, looked for in the program folder.
inline constexpr const char* kManufacturingLibraryName = "CP210xManufacturing.dll";

// The five operations bound by ordinal from the library at `path`: 1 count,
// 3 open, 14 vendor id, 15 product id, 4 close. Nothing when the library
// does not load or lacks any of the five.
std::unique_ptr<BridgeLibrary> MakeManufacturingBridgeLibrary(const std::string& path);

} // namespace k4
