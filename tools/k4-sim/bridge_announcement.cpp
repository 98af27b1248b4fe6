#include "tools/k4-sim/bridge_announcement.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace k4sim {

bool BridgeAnnouncement::Announce(const std::string& folder, const std::string& name, const k4::BridgeFile& bridge,
                                  std::string& error)
{
    const std::string target = folder + "/" + name + std::string(k4::kBridgeFileSuffix);
    // Hidden, so that the bridge list does not count it while it is written.
    const std::string temporary = folder + "/." + name + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << k4::FormatBridgeFile(bridge);
        if (!out.flush()) {
            error = "cannot write " + temporary;
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        error = "cannot create " + target + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    m_path = target;
    return true;
}

void BridgeAnnouncement::Withdraw()
{
    if (m_path.empty())
        return;
    std::remove(m_path.c_str());
    m_path.clear();
}

} // namespace k4sim
