#include "platform/command_line.h"

namespace k4 {

std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    if (argc < 1)
        return {};
    return std::vector<std::string>(argv + 1, argv + argc);
}

} // namespace k4
