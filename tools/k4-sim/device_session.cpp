#include "tools/k4-sim/device_session.h"

#include <chrono>

namespace k4sim {

namespace {

using namespace std::chrono_literals;

constexpr auto kPollInterval = 100ms;
// A frame that stops halfway is dropped after this long, so that the next
// request is read from its first byte.
constexpr auto kPartialFrameTimeout = 1s;
// How long an unplug waits for the computer to read what was sent before it.
constexpr auto kDeliveryLimit = 2000ms;

// The header of `frame`, its type kept, announcing `length` instead; the
// frame's other bytes are left out. Anything after such a header would be
// read by the computer as further frames, each drawing a negative
// acknowledgement of its own that the unit would answer with one more copy
// of the frame: the protocol has no sequence numbers to tell copies apart.
std::vector<std::uint8_t> HeaderAnnouncing(const std::vector<std::uint8_t>& frame, std::uint16_t length)
{
    return {static_cast<std::uint8_t>((frame[0] & 0xC0) | ((length >> 8) & 0x3F)),
            static_cast<std::uint8_t>(length & 0xFF)};
}

} // namespace

DeviceSession::DeviceSession(DeviceLine& line, UnitSettings settings, std::vector<std::uint8_t> image, FrameLog* log)
    : m_line(line), m_settings(std::move(settings)), m_image(std::move(image)), m_log(log)
{}

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
            LogPendingInput();
            m_end = SessionEnd::Stopped;
            break;
        }
        std::uint8_t byte = 0;
        switch (m_line.Receive(byte, std::chrono::duration_cast<std::chrono::milliseconds>(kPollInterval))) {
        case LineRead::Gone: m_end = SessionEnd::LineGone; break;
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

void DeviceSession::LogPendingInput()
{
    // What the computer wrote just before it ended may still sit in the line
    // when we are told to stop; the frame log must show it all the same.
    std::uint8_t byte = 0;
    while (m_line.Receive(byte, std::chrono::milliseconds(0)) == LineRead::Byte)
        if (std::optional<ReceivedFrame> frame = m_assembler.Push(byte); frame && m_log)
            m_log->Received(*frame);
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
    if (m_settings.faults.unplugOnCommand != 0 && request.code == m_settings.faults.unplugOnCommand) {
        UnplugNow();
        return;
    }
    if (m_settings.faults.silentOnCommand != 0 && request.code == m_settings.faults.silentOnCommand) {
        if (m_log)
            m_log->Note("silent from now on");
        m_silent = true;
        return;
    }
    switch (request.code) {
    case k4::CMD_FIRMWARE_VERSION: {
        const std::string& text = m_settings.firmware;
        SendReply(BuildFrame(k4::FRAME_END, m_settings.status,
                             std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
        break;
    }
    case k4::CMD_FILE_COUNT: {
        const std::uint8_t count[] = {m_settings.fileCount};
        SendReply(BuildFrame(k4::FRAME_END, m_settings.status, count));
        break;
    }
    case k4::CMD_DOWNLOAD: ServeDownload(stop); break;
    case k4::CMD_NAK:
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
    ++m_downloadsServed;
    for (std::size_t i = 0; i < reply.size() && !m_end; ++i) {
        const int number = static_cast<int>(i) + 1;
        int attempt = 0;
        SendDownloadFrame(number, attempt, reply[i]);
        if (!AfterFrame(number) || i + 1 == reply.size())
            return; // the end frame is not acknowledged
        for (;;) {
            const std::optional<ReceivedFrame> answer = NextFrame(stop);
            if (!answer || m_silent)
                return;
            if (answer->code == k4::CMD_ACK)
                break;
            if (answer->code == k4::CMD_NAK) {
                SendDownloadFrame(number, ++attempt, reply[i]);
                continue;
            }
            // The computer has given up on this download and asks anew.
            Answer(*answer, stop);
            return;
        }
    }
}

// The faults are one-offs of the first download served, and hit the first
// transmission of their frame (a corruption the first corruptCount ones):
// a negative acknowledgement brings the frame back as it should be.
void DeviceSession::SendDownloadFrame(int number, int attempt, const std::vector<std::uint8_t>& frame)
{
    const FaultPlan& faults = m_settings.faults;
    const bool faultsDue = m_downloadsServed == 1;
    const bool first = faultsDue && attempt == 0;
    if (first && number == faults.dropFrame) {
        m_lastSent = frame;
        if (m_log)
            m_log->Note("dropped a frame");
        return;
    }
    if (faultsDue && number == faults.corruptFrame && attempt < faults.corruptCount) {
        std::vector<std::uint8_t> damaged = frame;
        // The last body byte: the header still frames it, the checksum fails.
        damaged[damaged.size() - 3] ^= 0x5A;
        SendDamaged(std::move(damaged), frame, "corrupted");
        return;
    }
    if (first && number == faults.silentMidFrame) {
        const auto half = frame.begin() + static_cast<std::ptrdiff_t>(frame.size() / 2);
        SendDamaged(std::vector<std::uint8_t>(frame.begin(), half), frame, "stopped halfway");
        return;
    }
    if (first && number == faults.oversizeFrame) {
        SendDamaged(HeaderAnnouncing(frame, kMaxFrameLength + 1), frame, "oversize header");
        return;
    }
    if (first && number == faults.shortFrame) {
        SendDamaged(HeaderAnnouncing(frame, kMinFrameLength - 1), frame, "short header");
        return;
    }
    SendReply(frame);
}

// Sends `damaged` in place of `frame`; a negative acknowledgement asks for
// `frame` itself.
void DeviceSession::SendDamaged(std::vector<std::uint8_t> damaged, const std::vector<std::uint8_t>& frame,
                                const char* note)
{
    if (m_log)
        m_log->Sent(damaged, note);
    if (!m_line.Send(damaged))
        m_end = SessionEnd::LineGone;
    m_lastSent = frame;
}

// Applies the faults that follow a frame; false when the unit will not go on.
bool DeviceSession::AfterFrame(int number)
{
    const FaultPlan& faults = m_settings.faults;
    if (number == faults.unplugAfterFrame) {
        UnplugNow();
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

// A hang-up throws away what the computer has not read yet: the frames sent
// before the unplug reach it first, as they would down a real cable.
void DeviceSession::UnplugNow()
{
    m_line.AwaitTaken(kDeliveryLimit);
    if (m_log)
        m_log->Note("unplugged");
    m_line.Unplug();
    m_end = SessionEnd::Unplugged;
}

} // namespace k4sim
