#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "common/message_sink.h"
#include "eventlog/log_image.h"
#include "link/bridge_library.h"
#include "link/serial_channel.h"

namespace k4 {

// Command codes (first body byte of a frame).
enum : std::uint8_t {
    CMD_FIRMWARE_VERSION = 0x02,
    CMD_DOWNLOAD = 0x0A,
    CMD_FILE_COUNT = 0x0C,
    CMD_ACK = 0xFD,
    CMD_NAK = 0xFE,
};

inline constexpr const char* kSendFailedMessage = "Failed to send command, please reconnect.";
inline constexpr const char* kTimeoutMessage = "Communications timeout has occured.";

inline constexpr std::size_t kFrameBufferSize = 512;
// Header and code byte: the shortest frame that carries a code.
inline constexpr std::uint16_t kMinFrameLength = 3;
// L of the longest frame whose checksum still fits the buffer.
inline constexpr std::uint16_t kMaxFrameLength = kFrameBufferSize - 2;
inline constexpr int kSilentReadLimit = 500;   // empty reads before a frame read gives up
inline constexpr int kBadFrameLimit = 5;       // bad frames in a row before a transfer gives up

// Link state shared by the worker and the user-interface thread.
struct LinkState {
    std::atomic<BridgeHandle> g_hDevice{kNoBridge};
    std::atomic<bool> g_bDevicePresent{false};
};

// The framed request/response link to the download unit over an open
// bridge: frame codec, command exchange and the three commands.
class DeviceLink {
public:
    DeviceLink(BridgeLibrary& bridges, SerialChannel& channel, MessageSink& messages);

    LinkState& State() { return m_state; }
    BridgeLibrary& Bridges() { return m_bridges; }

    // Applies the serial settings to the open bridge.
    void ConfigurePort();
    // Takes over a matched, open bridge: it becomes g_hDevice, its port is
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

    // Closes the bridge unless it is already closed; a bridge is closed once.
    // The device is no longer present afterwards.
    void CloseBridge();

    // Results of the last frame / exchange (read under m_csLink).
    std::uint32_t m_nBytesRead = 0;
    bool m_bChecksumOk = false;
    bool m_bTransferDone = false;
    std::uint16_t m_wFrameType = 0;
    std::uint16_t m_wImageLength = 0;
    std::array<std::uint8_t, kImageCapacity> m_image{};
    std::array<std::uint8_t, kFrameBufferSize> m_rxFrame{};
    std::array<std::uint8_t, kFrameBufferSize> m_txFrame{};
    std::recursive_mutex m_csLink;

private:
    void FinishFrame(std::uint16_t frameLength);
    void LoseDevice();
    void PrepareRequest(std::uint8_t code, std::uint16_t parameterCount);
    bool SendControl(std::uint8_t code);
    bool AppendFrameData();

    LinkState m_state;
    BridgeLibrary& m_bridges;
    SerialChannel& m_channel;
    MessageSink& m_messages;
};

} // namespace k4
