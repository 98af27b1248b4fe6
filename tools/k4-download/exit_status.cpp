#include "tools/k4-download/exit_status.h"

namespace k4dl {

int ExitStatusFor(k4::PassOutcome outcome)
{
    switch (outcome) {
    case k4::PassOutcome::Saved: return 0;
    case k4::PassOutcome::NotConnected: return 2;
    case k4::PassOutcome::DeviceEmpty: return 3;
    default: return 1;
    }
}

} // namespace k4dl
