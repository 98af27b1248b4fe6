#include "report/xls/biff_writer.h"

#include <algorithm>
#include <cassert>

#include "report/xls/record_ids.h"

namespace k4xls {

std::size_t BiffWriter::Begin(std::uint16_t id)
{
    const std::size_t start = m_out.Size();
    m_out.U16(id);
    m_out.U16(0);
    return start;
}

void BiffWriter::End(std::size_t recordStart)
{
    const std::size_t length = m_out.Size() - recordStart - 4;
    assert(length <= kMaxRecordData);
    m_out.PatchU16(recordStart + 2, static_cast<std::uint16_t>(length));
}

void BiffWriter::Record(std::uint16_t id, const void* data, std::size_t size)
{
    assert(size <= kMaxRecordData);
    m_out.U16(id);
    m_out.U16(static_cast<std::uint16_t>(size));
    m_out.Append(data, size);
}

void BiffWriter::Continued(std::uint16_t id, const std::uint8_t* data, std::size_t size)
{
    std::size_t done = 0;
    do {
        const std::size_t chunk = std::min(size - done, kMaxRecordData);
        Record(done == 0 ? id : rec::kContinue, data + done, chunk);
        done += chunk;
    } while (done < size);
}

} // namespace k4xls
