#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_sink.h"
#include "eventlog/log_image.h"
#include "link/protocol.h"
#include "platform/bridge_library.h"
#include "platform/serial_channel.h"

namespace k4 {

// Link state shared by the worker and the user-interface thread.
struct LinkState {
    std::atomic<BridgeHandle> m_hDevice{kNoBridge};
    std::atomic<bool> m_bDevicePresent{false};
};

// The framed request/response link to the download unit over an open
// bridge: frame codec, command exchange and the three commands.
class DeviceLink {
public:
    // With the run flag `bRun`, every exchange gives up between two reads once the flag
    // is cleared: a closed program must not wait out the unit's silence.
    DeviceLink(BridgeLibrary& bridges, SerialChannel& channel, MessageSink& messages,
               const std::atomic<bool>* bRun = nullptr);

    LinkState& State() { return m_state; }
    BridgeLibrary& Bridges() { return m_bridges; }

    // Applies the serial settings to the open bridge; false when the port
    // refused them.
    bool ConfigurePort();
    // Takes over a matched, open bridge: it becomes m_hDevice, its port is
    // configured, and only then is the device marked present, so a query
    // from another thread never talks to an unconfigured port.
    void AdoptBridge(BridgeHandle handle);
    // Completes the request in m_txFrame (code at 2, n parameters from 3,
    // n in the header slot) and writes it.
    bool WriteFrame();
    // Reads one frame into m_rxFrame; results in m_nBytesRead,
    // m_bChecksumOk, m_wFrameType.
    void ReadFrame();
    static std::uint16_t FrameChecksum(const std::uint8_t* start, std::uint16_t count);

    // Sends the request placed in m_txFrame and reads the reply (one frame,
    // or with `process` the acknowledged multi-frame transfer into m_image).
    void Transact(bool process);

    bool GetFirmwareVersion(std::string& text);
    bool GetFileCount(std::uint8_t& count);
    // Runs the download command and, when the transfer ended well, copies the
    // gathered bytes to `image`. Holds m_csLink throughout, so a concurrent
    // query cannot disturb the image in between.
    bool DownloadImage(std::vector<std::uint8_t>& image);

    // The run flag has been cleared: the exchange under way has been given
    // up without a word, and no further one starts.
    bool Stopped() const { return m_bRun != nullptr && !*m_bRun; }

    // Closes the bridge unless it is already closed; a bridge is closed once.
    // The device is no longer present afterwards.
    void CloseBridge();

    // Results of the last frame / exchange; read them under m_csLink when
    // another thread may run an exchange.
    std::uint32_t BytesRead() const { return m_nBytesRead; }
    bool ChecksumOk() const { return m_bChecksumOk; }
    bool TransferDone() const { return m_bTransferDone; }
    std::uint16_t FrameType() const { return m_wFrameType; }
    std::uint16_t ImageLength() const { return m_wImageLength; }
    // The gathered image, m_wImageLength bytes.
    std::span<const std::uint8_t> Image() const { return std::span(m_image).first(m_wImageLength); }
    // The received frame buffer (header and checksum in host order once read).
    std::span<const std::uint8_t, kFrameBufferSize> ReceivedFrame() const { return m_rxFrame; }
    // The request buffer: a caller places code and parameters from byte 2.
    std::span<std::uint8_t, kFrameBufferSize> RequestFrame() { return m_txFrame; }

    // Serialises exchanges: the worker's and the About box's query.
    std::recursive_mutex m_csLink;

private:
    static constexpr std::string_view kLineSettingsRefusedNote =
        "the serial port refused the unit's line settings (128000 baud, 8N1); the pass goes on at the port's "
        "own rate";

    void FinishFrame(std::uint16_t frameLength);
    void LoseDevice();
    void PrepareRequest(std::uint8_t code, std::uint16_t parameterCount);
    bool SendControl(std::uint8_t code);
    bool AppendFrameData();

    std::uint32_t m_nBytesRead = 0;
    bool m_bChecksumOk = false;
    bool m_bTransferDone = false;
    std::uint16_t m_wFrameType = 0;
    std::uint16_t m_wImageLength = 0;
    std::array<std::uint8_t, kImageCapacity> m_image{};
    std::array<std::uint8_t, kFrameBufferSize> m_rxFrame{};
    std::array<std::uint8_t, kFrameBufferSize> m_txFrame{};
    bool m_bLineSettingsRefused = false; // said once per link

    LinkState m_state;
    BridgeLibrary& m_bridges;
    SerialChannel& m_channel;
    MessageSink& m_messages;
    const std::atomic<bool>* m_bRun;
};

} // namespace k4
