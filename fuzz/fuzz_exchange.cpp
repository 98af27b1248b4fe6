// The whole request/response exchange against a scripted unit: the three
// commands, with frames, silences and failures chosen by the fuzzer.
#include <cstdint>
#include <string>
#include <vector>

#include "device_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    k4::fuzz::ByteSource in(data, size);
    const std::uint8_t command = in.Take();

    k4::test::FakeBridgeLibrary bridges;
    k4::test::FakeSerialChannel channel;
    k4::test::RecordingSink messages;
    k4::DeviceLink link(bridges, channel, messages);
    link.AdoptBridge(7);
    if (command & 0x80)
        channel.failingWrite = command & 7;
    k4::fuzz::ScriptDevice(in, channel);

    switch (command % 3) {
    case 0: {
        std::vector<std::uint8_t> image;
        if (link.DownloadImage(image) && image.size() > k4::kImageCapacity)
            __builtin_trap();
        break;
    }
    case 1: {
        std::uint8_t count = 0;
        link.GetFileCount(count);
        break;
    }
    case 2: {
        std::string text = "unchanged";
        if (link.GetFirmwareVersion(text) && text.size() > 5)
            __builtin_trap();
        break;
    }
    }
    if (link.ImageLength() > k4::kImageCapacity || bridges.closes[7] > 1)
        __builtin_trap();
    return 0;
}
