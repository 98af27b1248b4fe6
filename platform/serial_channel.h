#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/bridge_library.h"

namespace k4 {

enum class ReadResult {
    Byte,   // one byte delivered
    Empty,  // nothing arrived within about 100 ms
    Failed, // the channel is gone (hang-up, end of file, I/O error)
};

// The serial operations on an open bridge's handle.
class SerialChannel {
public:
    virtual ~SerialChannel() = default;
    // 128000 baud, 8 data bits, no parity, one stop bit, no flow control,
    // DTR and RTS on; single-byte reads give up after about 100 ms.
    // False when the port refused the settings (a driver without the
    // 128000 baud rate, for one); the port may still work at another rate.
    virtual bool Configure(BridgeHandle handle) = 0;
    virtual ReadResult ReadByte(BridgeHandle handle, std::uint8_t& byte) = 0;
    // Writes all bytes; false when the system write failed.
    virtual bool Write(BridgeHandle handle, const std::uint8_t* data, std::size_t size) = 0;
};

} // namespace k4
