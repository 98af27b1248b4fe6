#include "platform/shared/system_reason.h"

#include <cstdio>
#include <mutex>
#include <set>

namespace k4 {

void NoteSystemReason(const std::string& what, const std::string& reason)
{
    static std::mutex mutex;
    static std::set<std::string> said;
    const std::string line = what + ": " + reason;
    std::lock_guard lock(mutex);
    if (!said.insert(line).second)
        return;
    std::fprintf(stderr, "k4: %s\n", line.c_str());
    std::fflush(stderr);
}

} // namespace k4
