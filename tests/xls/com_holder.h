#pragma once
// Test-side holder for the component's reference-counted objects, and a
// small reader of the records it writes, independent of the component's code.
#include <cstdint>
#include <vector>

template <class T>
class Held {
public:
    Held() = default;
    ~Held() { Reset(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

    // For out-parameters: the held object is released first.
    T** Out()
    {
        Reset();
        return &m_object;
    }
    T* operator->() const { return m_object; }
    T* Get() const { return m_object; }
    void Reset()
    {
        if (m_object)
            m_object->Release();
        m_object = nullptr;
    }

private:
    T* m_object = nullptr;
};

namespace xlstest {

using Bytes = std::vector<std::uint8_t>;

inline std::uint32_t U32(const Bytes& data, std::size_t at)
{
    return data.at(at) | data.at(at + 1) << 8 | data.at(at + 2) << 16 |
           static_cast<std::uint32_t>(data.at(at + 3)) << 24;
}

struct Record {
    std::uint16_t id;
    Bytes data;
};

// All records up to the zero padding after the last one.
inline std::vector<Record> Records(const Bytes& stream)
{
    std::vector<Record> records;
    for (std::size_t at = 0; at + 4 <= stream.size() && (stream[at] | stream[at + 1]) != 0;) {
        const std::size_t end = at + 4 + (stream[at + 2] | stream[at + 3] << 8);
        if (end > stream.size())
            break;
        records.push_back(
            Record{static_cast<std::uint16_t>(stream[at] | stream[at + 1] << 8),
                   Bytes(stream.begin() + static_cast<long>(at + 4), stream.begin() + static_cast<long>(end))});
        at = end;
    }
    return records;
}

} // namespace xlstest
