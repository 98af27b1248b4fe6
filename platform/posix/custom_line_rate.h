#pragma once

namespace k4 {

// Sets a line rate that has no B-constant (128000 baud) through the Linux
// custom-rate interface. False when the device or the system refuses it.
bool SetCustomLineRate(int fd, unsigned rate);

} // namespace k4
