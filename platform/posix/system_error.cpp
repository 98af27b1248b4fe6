#include <cerrno>
#include <cstring>

#include "platform/shared/system_reason.h"

namespace k4 {

std::string LastSystemError()
{
    return std::strerror(errno);
}

} // namespace k4
