// Windows answers for every top-level window itself, ours and others':
// nothing needs claiming.
#include "platform/window_titles.h"

#include <windows.h>

#include <string>

namespace k4 {

struct WindowTitleClaim::Impl {};

WindowTitleClaim::WindowTitleClaim(std::string_view) {}

WindowTitleClaim::~WindowTitleClaim() = default;

bool WindowTitleExists(std::string_view title)
{
    const std::string text(title);
    return FindWindowA(nullptr, text.c_str()) != nullptr;
}

} // namespace k4
