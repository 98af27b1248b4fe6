#pragma once
#include <string>
#include <string_view>

namespace k4 {

// The separator this platform writes between path components.
char PathSeparator();
// Every character that separates components here ('/' and '\' on Windows).
bool IsPathSeparator(char c);

// True when a typed name stands for itself rather than for a name inside the
// default folder: a drive letter and colon or a network path on Windows; a
// leading "/" (or "~/", the home folder) elsewhere.
bool IsFullPath(std::string_view name);

// What the system's program files end with: ".exe" on Windows, nothing
// elsewhere.
std::string_view ExecutableSuffix();

// A full path as the system opens it: "~/" becomes `homeFolder`; any other
// name is returned unchanged.
std::string ExpandFullPath(std::string_view name, const std::string& homeFolder);

} // namespace k4
