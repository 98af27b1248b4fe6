#pragma once
#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

#include "tests/link/fakes.h"

namespace k4::test {

// A link over fakes, its bridge adopted as after a match.
class LinkTest : public testing::Test {
protected:
    static constexpr BridgeHandle kHandle = 42;

    void SetUp() override { link.AdoptBridge(kHandle); }

    int Sent(const Bytes& frame) const
    {
        return static_cast<int>(std::count(channel.writes.begin(), channel.writes.end(), frame));
    }
    std::uint16_t RxWord(std::size_t offset) const
    {
        std::uint16_t word;
        std::memcpy(&word, &link.m_rxFrame[offset], sizeof word);
        return word;
    }
    void PlaceRequest(std::uint8_t code, std::uint16_t parameterCount = 0)
    {
        std::memcpy(&link.m_txFrame[0], &parameterCount, sizeof parameterCount);
        link.m_txFrame[2] = code;
    }

    FakeBridgeLibrary bridges;
    FakeSerialChannel channel;
    RecordingSink messages;
    DeviceLink link{bridges, channel, messages};
};

} // namespace k4::test
