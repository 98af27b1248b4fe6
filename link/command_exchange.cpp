#include <cstring>

#include "link/device_link.h"
#include "link/frame_words.h"
#include "common/texts.h"

namespace k4 {

namespace {

constexpr std::size_t kCodeOffset = 2;

} // namespace

void DeviceLink::PrepareRequest(std::uint8_t code, std::uint16_t parameterCount)
{
    StoreHostWord(&m_txFrame[0], parameterCount);
    m_txFrame[kCodeOffset] = code;
}

bool DeviceLink::SendControl(std::uint8_t code)
{
    PrepareRequest(code, 0);
    return WriteFrame();
}

// The data of a data frame are its body after the code byte. A frame whose
// data would not fit what is left of m_image is refused as a whole.
bool DeviceLink::AppendFrameData()
{
    const std::uint16_t frameLength = LoadHostWord(&m_rxFrame[0]);
    if (frameLength < kMinFrameLength) // ReadFrame never passes one as good
        return false;
    const std::size_t dataSize = frameLength - kMinFrameLength;
    if (dataSize > kImageCapacity - m_wImageLength)
        return false;
    std::memcpy(&m_image[m_wImageLength], &m_rxFrame[kMinFrameLength], dataSize);
    m_wImageLength = static_cast<std::uint16_t>(m_wImageLength + dataSize);
    return true;
}

// Ways out other than the device's own end frame, and why:
// - a bad or missing first frame: one NAK, then give up quietly; the caller
//   sees the transfer not done;
// - kBadFrameLimit bad frames in a row once data flows: the timeout message;
// - the run flag cleared (the program is closing): at once, in silence;
// - a data frame that would overflow m_image: the exchange ends at once,
//   unanswered, and the download counts as failed. A NAK would only make the
//   device send the same frame again, and storing part of it would hand the
//   writers a cut image as if it were whole.
void DeviceLink::Transact(bool process)
{
    std::lock_guard lock(m_csLink);
    m_wImageLength = 0;
    m_bTransferDone = false;
    m_bChecksumOk = false;
    m_nBytesRead = 0;
    if (!m_state.m_bDevicePresent || Stopped())
        return;

    if (!WriteFrame())
        return;

    bool continuing = false;
    int badFrames = 0;
    for (;;) {
        ReadFrame();
        // A stopped read is no bad frame: nothing is answered or shown.
        if (!process || Stopped())
            return;

        if (m_nBytesRead == 0 || !m_bChecksumOk) {
            ++badFrames;
            if (!SendControl(CMD_NAK)) {
                m_messages.ShowMessage(text::kSendFailedMessage);
                return;
            }
            if (badFrames >= kBadFrameLimit) {
                m_messages.ShowMessage(text::kTimeoutMessage);
                return;
            }
            if (!continuing)
                return;
            continue;
        }

        badFrames = 0;
        if (m_wFrameType == FRAME_END) {
            m_bTransferDone = true;
            return;
        }
        if (!AppendFrameData())
            return;
        if (m_wFrameType == FRAME_FIRST || m_wFrameType == FRAME_MORE)
            continuing = true;
        if (!SendControl(CMD_ACK)) {
            m_messages.ShowMessage(text::kSendFailedMessage);
            return;
        }
        // A type-3 frame ends the reply unless it closes a run of type-1/2 frames.
        if (!continuing)
            return;
    }
}

} // namespace k4
