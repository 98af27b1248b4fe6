#pragma once
#include <string>

namespace k4 {

// The folder that holds the running program file (UTF-8, no trailing
// separator), where the program's run-time companions live. Empty when the
// platform cannot tell.
std::string ProgramFolder();

} // namespace k4
