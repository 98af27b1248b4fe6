#pragma once
#include <string>

namespace k4 {

// The user's documents folder and home folder (no trailing separator).
std::string DocumentsFolder();
std::string HomeFolder();

// Creates `path` and any missing parents; true when it exists afterwards.
bool EnsureFolder(const std::string& path);

} // namespace k4
