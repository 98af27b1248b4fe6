#pragma once
// Turns fuzz input into what a misbehaving unit could do on the line:
// well-formed frames of any type and length, raw bytes, silences and a
// vanished device.
#include <cstdint>
#include <cstddef>

#include "tests/link/fakes.h"

namespace k4::fuzz {

class ByteSource {
public:
    ByteSource(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_pos >= m_size; }
    std::uint8_t Take() { return Empty() ? 0 : m_data[m_pos++]; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

inline void ScriptDevice(ByteSource& in, test::FakeSerialChannel& channel)
{
    while (!in.Empty()) {
        switch (in.Take() % 5) {
        case 0:
        case 1: { // a frame with a correct checksum, usually a data frame
            const unsigned type = in.Take() % 4;
            const std::size_t length = in.Take() | (in.Take() & 1) << 8;
            test::Bytes body(length);
            for (auto& b : body)
                b = in.Take();
            if (body.empty())
                body.push_back(0);
            channel.QueueBytes(test::DeviceFrame(type, body));
            break;
        }
        case 2: { // raw bytes: broken headers, lengths beyond the buffer
            const std::size_t count = in.Take() % 32;
            test::Bytes raw(count);
            for (auto& b : raw)
                b = in.Take();
            channel.QueueBytes(raw);
            break;
        }
        case 3: channel.QueueEmpty(in.Take() * 4); break;
        case 4:
            if (in.Take() == 0xA5)
                channel.QueueFailure();
            break;
        }
    }
}

} // namespace k4::fuzz
