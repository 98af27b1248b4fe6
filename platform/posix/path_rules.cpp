#include "platform/path_rules.h"

namespace k4 {

char PathSeparator()
{
    return '/';
}

bool IsPathSeparator(char c)
{
    return c == '/';
}

std::string_view ExecutableSuffix()
{
    return {};
}

bool IsFullPath(std::string_view name)
{
    return name.starts_with('/') || name.starts_with("~/");
}

std::string ExpandFullPath(std::string_view name, const std::string& homeFolder)
{
    if (name.starts_with("~/"))
        return homeFolder + std::string(name.substr(1));
    return std::string(name);
}

} // namespace k4
