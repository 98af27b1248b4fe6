#include "watch/device_watch.h"

#include <utility>

#include "common/texts.h"
#include "platform/path_rules.h"

namespace k4 {

std::optional<std::string> JoinMainProgramFile(std::string_view mainAppPath)
{
    std::string file(mainAppPath);
    file += kMainProgramFileName;
    file += ExecutableSuffix();
    if (file.size() > kConfigStringMax)
        return std::nullopt;
    return file;
}

DeviceWatch::DeviceWatch(BridgeLibrary& bridges, ProgramStarter& starter, TitleLookup titleExists, DeviceIds ids,
                         std::optional<std::string> mainProgramFile)
    : m_bridges(bridges), m_starter(starter), m_titleExists(std::move(titleExists)), m_ids(ids),
      m_mainProgramFile(std::move(mainProgramFile))
{}

bool DeviceWatch::AnyBridgeMatches()
{
    std::uint32_t count = 0;
    m_bridges.GetNumDevices(count);
    for (std::uint32_t index = 0; index < count; ++index) {
        Identifiers listed;
        BridgeHandle handle = kNoBridge;
        if (m_bridges.GetListedIds(index, listed.vid, listed.pid)) {
            m_lastRead[index] = listed;
        } else if (m_bridges.Open(index, handle) == 0) {
            Identifiers read;
            m_bridges.GetPid(handle, read.pid);
            m_bridges.GetVid(handle, read.vid);
            m_bridges.Close(handle);
            m_lastRead[index] = read;
        }
        const auto last = m_lastRead.find(index);
        if (last != m_lastRead.end() && last->second.vid == m_ids.vid && last->second.pid == m_ids.pid)
            return true;
    }
    // Bridges beyond the count are gone; a new bridge at their index must
    // not inherit their identifiers.
    m_lastRead.erase(m_lastRead.lower_bound(count), m_lastRead.end());
    return false;
}

void DeviceWatch::Poll()
{
    const bool matches = AnyBridgeMatches();
    if (m_seen) {
        m_seen = matches;
        return;
    }
    if (!matches)
        return;
    // The seen flag is set whatever happens to the start: a failed start or
    // an open download window waits for the next arrival.
    m_seen = true;
    if (m_titleExists && m_titleExists(text::kDownloadWindowTitle))
        return;
    if (m_mainProgramFile)
        m_starter.Start(*m_mainProgramFile);
}

void DeviceWatch::Run(const std::atomic<bool>& watching, BridgeChanges& changes, const AfterPoll& afterPoll)
{
    using Clock = std::chrono::steady_clock;
    while (watching) {
        Poll();
        const std::optional<Clock::time_point> again = afterPoll ? afterPoll() : std::nullopt;
        if (changes.WaitUntil(again.value_or(Clock::time_point::max())) == BridgeChanges::Wake::Stopped)
            return;
        // The poll comes one interval after the change that woke it: an
        // unplug shorter than that is never seen, and changes meanwhile
        // (the system tells of one plug in several steps) make one poll.
        const Clock::time_point due = Clock::now() + kWatchInterval;
        while (Clock::now() < due)
            if (changes.WaitUntil(due) == BridgeChanges::Wake::Stopped)
                return;
    }
}

} // namespace k4
