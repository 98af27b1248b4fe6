#include <algorithm>

#include "link/device_link.h"
#include "link/frame_words.h"

namespace k4 {

namespace {

constexpr std::size_t kStatusOffset = 2;
constexpr std::size_t kReplyDataOffset = 3;
constexpr std::size_t kFirmwareTextMax = 5;
constexpr std::uint8_t kFirmwareVersionSelector = 1;
constexpr std::uint8_t kStatusSuccess = 0;

} // namespace

// The text is read from the reply's body only: a short reply must not
// lend its checksum or stale buffer bytes to the version.
bool DeviceLink::GetFirmwareVersion(std::string& text)
{
    std::lock_guard lock(m_csLink);
    PrepareRequest(CMD_FIRMWARE_VERSION, 1);
    m_txFrame[kReplyDataOffset] = kFirmwareVersionSelector;
    if (!m_state.m_bDevicePresent)
        return false;

    Transact(false);
    if (!m_bChecksumOk || m_rxFrame[kStatusOffset] != kStatusSuccess)
        return false;

    const std::size_t frameLength = LoadHostWord(&m_rxFrame[0]);
    const std::size_t available = frameLength > kReplyDataOffset ? frameLength - kReplyDataOffset : 0;
    const auto first = m_rxFrame.begin() + kReplyDataOffset;
    const auto last = first + std::min(available, kFirmwareTextMax);
    text.assign(first, std::find(first, last, std::uint8_t{0}));
    return true;
}

// A good reply without a count byte is a failure, not a count read from its
// checksum.
bool DeviceLink::GetFileCount(std::uint8_t& count)
{
    std::lock_guard lock(m_csLink);
    PrepareRequest(CMD_FILE_COUNT, 0);
    if (!m_state.m_bDevicePresent)
        return false;

    Transact(false);
    const bool hasCount = LoadHostWord(&m_rxFrame[0]) > kReplyDataOffset;
    if (m_bChecksumOk && hasCount && m_rxFrame[kStatusOffset] == kStatusSuccess) {
        count = m_rxFrame[kReplyDataOffset];
        return true;
    }
    count = 0;
    return false;
}

bool DeviceLink::DownloadImage(std::vector<std::uint8_t>& image)
{
    std::lock_guard lock(m_csLink);
    PrepareRequest(CMD_DOWNLOAD, 0);
    if (!m_state.m_bDevicePresent)
        return false;

    Transact(true);
    if (!m_bTransferDone)
        return false;
    image.assign(m_image.begin(), m_image.begin() + m_wImageLength);
    return true;
}

} // namespace k4
