#include <cstdlib>

#include "platform/system_bridges.h"

namespace k4 {

std::unique_ptr<BridgeLibrary> MakeSystemBridgeLibrary()
{
    const char* simulated = std::getenv(kBridgeDirVariable);
    if (simulated != nullptr && *simulated != '\0')
        return MakeSimulatedBridgeLibrary(simulated);
    return MakeUsbSerialBridgeLibrary();
}

} // namespace k4
