#include "platform/path_rules.h"

namespace k4 {

char PathSeparator()
{
    return '\\';
}

bool IsPathSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::string_view ExecutableSuffix()
{
    return ".exe";
}

bool IsFullPath(std::string_view name)
{
    // "D:report" and "D:\out\report" name their drive; "\\server\share\r"
    // names its server. Anything else, a bare "\out" included, belongs in
    // the data folder.
    if (name.size() >= 2 && name[1] == ':')
        return true;
    return name.size() >= 3 && IsPathSeparator(name[0]) && IsPathSeparator(name[1]) && !IsPathSeparator(name[2]);
}

std::string ExpandFullPath(std::string_view name, const std::string&)
{
    // Windows has no "~" shorthand: a full path is used as typed.
    return std::string(name);
}

} // namespace k4
