#pragma once
#include <string>

#include "platform/bridge_file.h"

namespace k4sim {

// The simulator's "*.bridge" file: while it exists, the bridge is plugged in.
class BridgeAnnouncement {
public:
    BridgeAnnouncement() = default;
    ~BridgeAnnouncement() { Withdraw(); }
    BridgeAnnouncement(const BridgeAnnouncement&) = delete;
    BridgeAnnouncement& operator=(const BridgeAnnouncement&) = delete;

    // Writes `folder`/`name`.bridge in one step (a reader never sees half a
    // line). False with `error` set when it cannot be written.
    bool Announce(const std::string& folder, const std::string& name, const k4::BridgeFile& bridge, std::string& error);
    void Withdraw();
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace k4sim
