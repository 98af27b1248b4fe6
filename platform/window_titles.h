#pragma once
// The titles of our own programs' top-level windows in this user's session:
// the main program refuses to start beside a window titled like another
// instance's message box, and the launcher does not start the main program
// while a window titled "Pumpvisor Data Download" exists.
//
// On Windows the system's own top-level windows answer (FindWindowA) and a
// claim does nothing. Elsewhere (X11 and Wayland alike) every window of ours
// claims its title while it is shown; a claim is released when it is
// destroyed or its process dies, however it dies.
#include <memory>
#include <string_view>

namespace k4 {

class WindowTitleClaim {
public:
    explicit WindowTitleClaim(std::string_view title);
    ~WindowTitleClaim();
    WindowTitleClaim(const WindowTitleClaim&) = delete;
    WindowTitleClaim& operator=(const WindowTitleClaim&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// True when a top-level window with exactly this title is shown now.
bool WindowTitleExists(std::string_view title);

} // namespace k4
