#pragma once
// Writes BIFF8 records (2-byte id, 2-byte length, data) into a buffer.

#include <cstddef>
#include <cstdint>

#include "report/xls/byte_buffer.h"

namespace k4xls {

// The largest data part a BIFF8 record may carry; longer data goes on in
// CONTINUE records.
inline constexpr std::size_t kMaxRecordData = 8224;

class BiffWriter {
public:
    explicit BiffWriter(ByteBuffer& out) : m_out(out) {}

    ByteBuffer& Out() { return m_out; }
    std::size_t Position() const { return m_out.Size(); }

    // Starts a record whose data the caller appends to Out(); End() fills in
    // the length. The data must stay within kMaxRecordData.
    std::size_t Begin(std::uint16_t id);
    void End(std::size_t recordStart);

    void Record(std::uint16_t id, const void* data, std::size_t size);
    // Data of any length: the first kMaxRecordData bytes under `id`, the rest
    // in CONTINUE records.
    void Continued(std::uint16_t id, const std::uint8_t* data, std::size_t size);

private:
    ByteBuffer& m_out;
};

} // namespace k4xls
