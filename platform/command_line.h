#pragma once
#include <string>
#include <vector>

namespace k4 {

// The program's arguments after its own name, as UTF-8. On Windows they are
// taken from the system's wide command line, not from `argv`: the C
// run-time's narrow copy is in the ANSI code page and has already lost every
// character that the code page lacks.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

} // namespace k4
