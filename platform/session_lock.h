#pragma once
#include <memory>
#include <string_view>

namespace k4 {

// Held while a program runs so that a second copy in the same user session
// can tell and end: a locked file in the session's runtime folder on Linux,
// a named mutex in the session's own namespace on Windows. The system lets
// it go when the holder ends, however it ends.
class SessionLock {
public:
    virtual ~SessionLock() = default;
};

// The lock `name`, or nothing when another process of this session holds
// it. Where the lock cannot be made at all, the caller gets one all the
// same: a launcher that cannot tell runs rather than never.
std::unique_ptr<SessionLock> TakeSessionLock(std::string_view name);

} // namespace k4
