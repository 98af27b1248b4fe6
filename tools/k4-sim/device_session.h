#pragma once
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/k4-sim/device_frames.h"
#include "tools/k4-sim/device_line.h"
#include "tools/k4-sim/frame_log.h"

namespace k4sim {

// Faults to inject into the download reply. Frames count from 1 over the
// whole reply, the closing type-0 frame included; 0 injects nothing.
struct FaultPlan {
    int corruptFrame = 0;
    int corruptCount = 1;   // transmissions of that frame in a row that go out corrupted
    int dropFrame = 0;      // its first transmission is left out
    int silentMidFrame = 0; // its first transmission stops halfway
    int oversizeFrame = 0;  // its first transmission is a bare header announcing L = 511
    int shortFrame = 0;     // its first transmission is a bare header announcing L = 2
    int silentAfterFrame = 0;
    int unplugAfterFrame = 0;
    int unplugOnCommand = 0; // unplug when a request with this code arrives, unanswered
    int silentOnCommand = 0; // answer nothing from a request with this code on
};

struct UnitSettings {
    std::string firmware = "V2.10";
    std::uint8_t fileCount = 1;
    std::uint8_t status = 0; // of the firmware and file-count replies
    std::size_t dataPerFrame = 256;
    FaultPlan faults;
};

enum class SessionEnd {
    Stopped,   // asked to stop
    Unplugged, // by the fault plan
    LineGone,
};

// The download unit's side of the protocol: answers the firmware, file
// count and download commands; every data frame waits for the computer's
// acknowledgement and goes out again on a negative one.
class DeviceSession {
public:
    DeviceSession(DeviceLine& line, UnitSettings settings, std::vector<std::uint8_t> image, FrameLog* log);

    SessionEnd Run(const std::atomic<bool>& stop);

private:
    void LogPendingInput();
    std::optional<ReceivedFrame> NextFrame(const std::atomic<bool>& stop);
    void Answer(const ReceivedFrame& request, const std::atomic<bool>& stop);
    void SendReply(std::vector<std::uint8_t> frame, const char* note = "");
    void ServeDownload(const std::atomic<bool>& stop);
    void SendDownloadFrame(int number, int attempt, const std::vector<std::uint8_t>& frame);
    void SendDamaged(std::vector<std::uint8_t> damaged, const std::vector<std::uint8_t>& frame, const char* note);
    bool AfterFrame(int number);
    void UnplugNow();

    DeviceLine& m_line;
    UnitSettings m_settings;
    std::vector<std::uint8_t> m_image;
    FrameLog* m_log;
    FrameAssembler m_assembler;
    std::vector<std::uint8_t> m_lastSent; // what a negative acknowledgement asks for again
    std::optional<SessionEnd> m_end;
    bool m_silent = false;
    int m_downloadsServed = 0;
};

} // namespace k4sim
