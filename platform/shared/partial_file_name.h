#pragma once
#include <string>

namespace k4 {

// A fresh name for a file being written beside its target, before it is
// renamed over it: hidden, and recognisable as ours if one is ever left by
// a crash (".k4-partial-" and eight random letters and digits).
std::string PartialFileName();

} // namespace k4
