#include "tools/k4-sim/device_session.h"

#include <chrono>

namespace k4sim {

namespace {

using namespace std::chrono_literals;

constexpr auto kPollInterval = 100ms;
// A frame that stops halfway is dropped after this long, so that the next
// request is read from its first byte.
constexpr auto kPartialFrameTimeout = 1s;

} // namespace

DeviceSession::DeviceSession(DeviceLine& line, UnitSettings settings, std::vector<std::uint8_t> image, FrameLog* log)
    : m_line(line), m_settings(std::move(settings)), m_image(std::move(image)), m_log(log),
      m_corruptionsLeft(m_settings.faults.corruptFrame > 0 ? m_settings.faults.corruptCount : 0)
{
}

SessionEnd DeviceSession::Run(const std::atomic<bool>& stop)
{
    while (!m_end) {
        const std::optional<ReceivedFrame> request = NextFrame(stop);
        if (request && !m_silent)
            Answer(*request, stop);
    }
    return *m_end;
}

std::optional<ReceivedFrame> DeviceSession::NextFrame(const std::atomic<bool>& stop)
{
    auto quietSince = std::chrono::steady_clock::now();
    while (!m_end) {
        if (stop) {
            m_end = SessionEnd::Stopped;
            break;
        }
        std::uint8_t byte = 0;
        switch (m_line.Receive(byte, std::chrono::duration_cast<std::chrono::milliseconds>(kPollInterval))) {
        case LineRead::Gone:
            m_end = SessionEnd::LineGone;
            break;
        case LineRead::Timeout:
            if (m_assembler.Partial() && std::chrono::steady_clock::now() - quietSince > kPartialFrameTimeout)
                m_assembler.Reset();
            break;
        case LineRead::Byte:
            quietSince = std::chrono::steady_clock::now();
            if (std::optional<ReceivedFrame> frame = m_assembler.Push(byte)) {
                if (m_log)
                    m_log->Received(*frame);
                if (frame->checksumOk)
                    return frame;
            }
            break;
        }
    }
    return std::nullopt;
}

void DeviceSession::SendReply(std::vector<std::uint8_t> frame, const char* note)
{
    if (m_log)
        m_log->Sent(frame, note);
    if (!m_line.Send(frame))
        m_end = SessionEnd::LineGone;
    m_lastSent = std::move(frame);
}

void DeviceSession::Answer(const ReceivedFrame& request, const std::atomic<bool>& stop)
{
    switch (request.code) {
    case kCmdFirmwareVersion: {
        const std::string& text = m_settings.firmware;
        SendReply(BuildFrame(kTypeEnd, m_settings.status,
                             std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
        break;
    }
    case kCmdFileCount: {
        const std::uint8_t count[] = {m_settings.fileCount};
        SendReply(BuildFrame(kTypeEnd, m_settings.status, count));
        break;
    }
    case kCmdDownload:
        ServeDownload(stop);
        break;
    case kCmdNak:
        if (!m_lastSent.empty())
            SendReply(m_lastSent, "again");
        break;
    default: // a stray acknowledgement, or a code the unit does not know
        break;
    }
}

void DeviceSession::ServeDownload(const std::atomic<bool>& stop)
{
    const std::vector<std::vector<std::uint8_t>> reply = BuildDownloadReply(m_image, m_settings.dataPerFrame);
    for (std::size_t i = 0; i < reply.size() && !m_end; ++i) {
        const int number = static_cast<int>(i) + 1;
        SendDownloadFrame(number, reply[i]);
        if (!AfterFrame(number) || i + 1 == reply.size())
            return; // the end frame is not acknowledged
        for (;;) {
            const std::optional<ReceivedFrame> answer = NextFrame(stop);
            if (!answer || m_silent)
                return;
            if (answer->code == kCmdAck)
                break;
            if (answer->code == kCmdNak) {
                SendDownloadFrame(number, reply[i]);
                continue;
            }
            // The computer has given up on this download and asks anew.
            Answer(*answer, stop);
            return;
        }
    }
}

void DeviceSession::SendDownloadFrame(int number, const std::vector<std::uint8_t>& frame)
{
    const FaultPlan& faults = m_settings.faults;
    if (number == faults.dropFrame && !m_dropDone) {
        m_dropDone = true;
        m_lastSent = frame;
        if (m_log)
            m_log->Note("dropped a frame");
        return;
    }
    if (number == faults.corruptFrame && m_corruptionsLeft > 0) {
        --m_corruptionsLeft;
        std::vector<std::uint8_t> damaged = frame;
        // The last body byte: the header still frames it, the checksum fails.
        damaged[damaged.size() - 3] ^= 0x5A;
        if (m_log)
            m_log->Sent(damaged, "corrupted");
        if (!m_line.Send(damaged))
            m_end = SessionEnd::LineGone;
        m_lastSent = frame;
        return;
    }
    SendReply(frame);
}

// Applies the faults that follow a frame; false when the unit will not go on.
bool DeviceSession::AfterFrame(int number)
{
    const FaultPlan& faults = m_settings.faults;
    if (number == faults.unplugAfterFrame) {
        if (m_log)
            m_log->Note("unplugged");
        m_line.Unplug();
        m_end = SessionEnd::Unplugged;
        return false;
    }
    if (number == faults.silentAfterFrame) {
        if (m_log)
            m_log->Note("silent from now on");
        m_silent = true;
        return false;
    }
    return true;
}

} // namespace k4sim
