#pragma once
#include <windows.h>

#include <string>

namespace k4 {

// Opens a port (or any file) for reading and writing with no sharing, so
// that a second opener fails while the first holds it. INVALID_HANDLE_VALUE
// when it cannot be opened, is held, or its name is too long.
HANDLE OpenPortExclusively(const std::string& path);

// "COM5" as the name CreateFileW opens for every port number ("\\.\COM5");
// any other name unchanged.
std::string PortDevicePath(const std::string& name);

} // namespace k4
