#pragma once
#include "link/download_worker.h"

namespace k4dl {

// 0 after "Save Successful", 2 when the search ended at "Device Not
// Connected", 3 after "Device Empty", 1 for every other end.
int ExitStatusFor(k4::PassOutcome outcome);

} // namespace k4dl
