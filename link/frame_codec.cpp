#include "link/device_link.h"
#include "link/frame_words.h"

namespace k4 {

namespace {

constexpr unsigned kTypeShift = 14;
constexpr std::uint16_t kLengthMask = 0x3FFF;
constexpr std::uint16_t kHeaderSize = 2;

bool CanHoldFrame(std::uint16_t frameLength)
{
    return frameLength >= kMinFrameLength && frameLength <= kMaxFrameLength;
}

} // namespace

std::uint16_t DeviceLink::FrameChecksum(const std::uint8_t* start, std::uint16_t count)
{
    return FrameChecksumOf(std::span(start, count));
}

bool DeviceLink::WriteFrame()
{
    std::lock_guard lock(m_csLink);
    m_bChecksumOk = false;

    const std::uint16_t parameterCount = LoadHostWord(&m_txFrame[0]);
    if (parameterCount > kMaxFrameLength - kMinFrameLength)
        return false; // the checksum would land outside the buffer
    const auto frameLength = static_cast<std::uint16_t>(parameterCount + kMinFrameLength);

    // The sum does not depend on byte order, so the host-order header will do.
    StoreHostWord(&m_txFrame[0], frameLength);
    StoreBigEndianWord(&m_txFrame[frameLength], FrameChecksum(m_txFrame.data(), frameLength));
    StoreBigEndianWord(&m_txFrame[0], frameLength);

    // After a read failure closed the bridge there is nothing to write to.
    const BridgeHandle handle = m_state.m_hDevice;
    if (handle == kNoBridge)
        return false;
    return m_channel.Write(handle, m_txFrame.data(), frameLength + 2u);
}

// Reads byte by byte and finds the end by counting against the header's
// length; a frame has no delimiter.
//
// A header whose length is below kMinFrameLength announces no code byte, and
// one above kMaxFrameLength would not fit the buffer. Either way the read stops
// at once, right after the header, with m_nBytesRead the two bytes read so far
// and m_bChecksumOk 0: the exchange counts it as a bad frame and NAKs it, and
// nothing is ever stored past the buffer.
void DeviceLink::ReadFrame()
{
    std::lock_guard lock(m_csLink);
    m_bChecksumOk = false;
    if (!m_state.m_bDevicePresent)
        return;

    std::uint16_t byteCount = 0;
    int emptyReads = 0;
    bool headerDecoded = false;
    std::uint16_t frameLength = 0;

    for (;;) {
        const ReadResult result = m_channel.ReadByte(m_state.m_hDevice, m_rxFrame[byteCount]);
        if (result == ReadResult::Failed) {
            LoseDevice();
            return;
        }
        if (result == ReadResult::Byte) {
            m_nBytesRead = 1;
            emptyReads = 0;
            ++byteCount;
        } else {
            m_nBytesRead = 0;
            ++emptyReads;
        }

        if (byteCount >= kHeaderSize) {
            if (!headerDecoded) {
                const std::uint16_t header = LoadBigEndianWord(&m_rxFrame[0]);
                m_wFrameType = static_cast<std::uint16_t>(header >> kTypeShift);
                frameLength = header & kLengthMask;
                headerDecoded = true;
                if (!CanHoldFrame(frameLength)) {
                    m_nBytesRead = byteCount;
                    return;
                }
            } else if (byteCount == frameLength + 2u) {
                FinishFrame(frameLength);
                return;
            }
        }
        if (emptyReads >= kSilentReadLimit || Stopped())
            return;
    }
}

void DeviceLink::FinishFrame(std::uint16_t frameLength)
{
    m_nBytesRead = frameLength + 2u;
    const std::uint16_t received = LoadBigEndianWord(&m_rxFrame[frameLength]);
    StoreHostWord(&m_rxFrame[frameLength], received);
    // Over the header as it arrived, type bits included: that is what the
    // device summed.
    const std::uint16_t computed = FrameChecksum(m_rxFrame.data(), frameLength);
    StoreHostWord(&m_rxFrame[0], frameLength);
    m_bChecksumOk = computed == received;
}

} // namespace k4
