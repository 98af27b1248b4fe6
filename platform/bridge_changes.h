#pragma once
#include <chrono>
#include <memory>
#include <string>

namespace k4 {

// Wakes the device watch when the bridges may have changed, so that an idle
// launcher sleeps instead of listing the bridges ten times a second: the
// system's own device events, or the changes of the folder of simulated
// bridges.
class BridgeChanges {
public:
    using Clock = std::chrono::steady_clock;
    enum class Wake { Changed, TimedOut, Stopped };

    virtual ~BridgeChanges() = default;
    // Blocks until a change since the last Changed, until `deadline` or
    // until Stop, whichever comes first. After Stop every call returns
    // Stopped at once.
    virtual Wake WaitUntil(Clock::time_point deadline) = 0;
    // Wakes the waiter at once and for good; from any thread.
    virtual void Stop() = 0;
    // A change that the front end heard of itself (Windows sends device
    // events to a window); from any thread.
    virtual void Notify() = 0;
};

// The changes of MakeSystemBridgeLibrary()'s bridges: the folder named by
// K4_BRIDGE_DIR when it is set, otherwise the system's serial ports. Where
// the system offers no way to hear of them, a change is assumed every
// `fallbackInterval`, which is the old poll.
std::unique_ptr<BridgeChanges> MakeSystemBridgeChanges(std::chrono::milliseconds fallbackInterval);

// The changes of the "*.bridge" files in `folder`; nothing when the folder
// cannot be watched.
std::unique_ptr<BridgeChanges> MakeFolderBridgeChanges(const std::string& folder);

// Only Notify and Stop wake it, and a change is assumed every `interval`.
std::unique_ptr<BridgeChanges> MakeTickingBridgeChanges(std::chrono::milliseconds interval);

} // namespace k4
