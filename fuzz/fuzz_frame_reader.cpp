// A byte stream from the unit's side through the single-frame reader.
#include <cstdint>
#include <cstring>

#include "tests/link/fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    k4::test::FakeBridgeLibrary bridges;
    k4::test::FakeSerialChannel channel;
    k4::test::RecordingSink messages;
    k4::DeviceLink link(bridges, channel, messages);
    link.AdoptBridge(7);
    channel.QueueBytes(k4::test::Bytes(data, data + size));
    for (int frame = 0; frame < 64 && link.State().m_bDevicePresent && !channel.script.empty(); ++frame) {
        link.ReadFrame();
        if (link.BytesRead() > k4::kFrameBufferSize || link.FrameType() > 3)
            __builtin_trap();
        if (link.ChecksumOk()) {
            std::uint16_t length;
            std::memcpy(&length, link.ReceivedFrame().data(), 2);
            if (length < k4::kMinFrameLength || length > k4::kMaxFrameLength || link.BytesRead() != length + 2u)
                __builtin_trap();
        }
    }
    return 0;
}
