#pragma once
#include <string>

namespace k4 {

// Opens a serial device for reading and writing, as no controlling
// terminal, and takes an advisory lock on it so that a second opener of
// ours fails while the first holds it (TIOCEXCL would not stop root).
// The descriptor, or -1 when the device cannot be opened or is held.
int OpenDeviceExclusively(const std::string& path);

} // namespace k4
