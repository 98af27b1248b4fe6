#pragma once
// The system's reason for a failure that the user sees only as a fixed
// message ("Device Not Connected", "Lost communication ..."): kept for the
// diagnostic output, standard error.
#include <string>

namespace k4 {

// Writes "k4: <what>: <reason>" to standard error, once per process for
// each distinct line: the search retries a refused open every second.
void NoteSystemReason(const std::string& what, const std::string& reason);

// The text of the calling thread's last system error (errno, or on Windows
// GetLastError()), taken before anything else can change it.
std::string LastSystemError();

} // namespace k4
