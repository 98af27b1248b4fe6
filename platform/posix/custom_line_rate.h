#pragma once

namespace k4 {

// Sets a line rate that has no B-constant (128000 baud) for both directions
// through the Linux custom-rate interface, and reads it back. False when
// the device or the system refused it, or either direction did not take.
bool SetCustomLineRate(int fd, unsigned rate);

// The input and output rates that the device holds now.
bool ReadLineRates(int fd, unsigned& input, unsigned& output);

} // namespace k4
