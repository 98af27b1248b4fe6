#include "report/xls/sst_writer.h"

#include <algorithm>
#include <vector>

#include "report/xls/record_ids.h"
#include "report/xls/utf16_text.h"

namespace k4xls {

namespace {

struct Bucket {
    std::uint32_t streamOffset;
    std::uint16_t offsetInRecord;
};

// Keeps track of the room left in the current SST or CONTINUE record and
// opens the next CONTINUE record when asked.
class SstRecords {
public:
    explicit SstRecords(BiffWriter& writer) : m_writer(writer), m_start(writer.Begin(rec::kSst)) {}

    ByteBuffer& Out() { return m_writer.Out(); }
    std::size_t Room() const { return kMaxRecordData - (m_writer.Position() - m_start - 4); }
    std::size_t OffsetInRecord() const { return m_writer.Position() - m_start; }
    void Next()
    {
        m_writer.End(m_start);
        m_start = m_writer.Begin(rec::kContinue);
    }
    void Finish() { m_writer.End(m_start); }

private:
    BiffWriter& m_writer;
    std::size_t m_start;
};

void WriteCharacters(SstRecords& records, std::u16string_view text, bool oneByte)
{
    const std::size_t width = oneByte ? 1 : 2;
    std::size_t done = 0;
    while (done < text.size()) {
        std::size_t fits = std::min(text.size() - done, records.Room() / width);
        if (fits == 0) {
            // A string going on in the next record restates its character
            // width there in a one-byte flag.
            records.Next();
            records.Out().U8(oneByte ? 0 : 1);
            continue;
        }
        for (; fits > 0; --fits, ++done) {
            if (oneByte)
                records.Out().U8(static_cast<std::uint8_t>(text[done]));
            else
                records.Out().U16(text[done]);
        }
    }
}

void WriteString(SstRecords& records, std::u16string_view text, std::span<const RichRun> runs)
{
    const bool oneByte = FitsInOneByte(text);
    const bool rich = !runs.empty();
    std::uint8_t flags = oneByte ? 0x00 : 0x01;
    if (rich)
        flags |= 0x08;
    records.Out().U16(static_cast<std::uint16_t>(text.size()));
    records.Out().U8(flags);
    if (rich)
        records.Out().U16(static_cast<std::uint16_t>(runs.size()));
    WriteCharacters(records, text, oneByte);
    for (const RichRun& run : runs) {
        if (records.Room() < 4)
            records.Next(); // runs are never split, and take no flag byte
        records.Out().U16(run.position);
        records.Out().U16(run.font);
    }
}

std::size_t StringsPerBucket(std::size_t count)
{
    return std::max<std::size_t>(8, (count + 127) / 128);
}

void WriteExtSst(BiffWriter& writer, std::size_t perBucket, const std::vector<Bucket>& buckets)
{
    const std::size_t start = writer.Begin(rec::kExtSst);
    writer.Out().U16(static_cast<std::uint16_t>(perBucket));
    for (const Bucket& bucket : buckets) {
        writer.Out().U32(bucket.streamOffset);
        writer.Out().U16(bucket.offsetInRecord);
        writer.Out().U16(0);
    }
    writer.End(start);
}

} // namespace

void WriteSharedStrings(BiffWriter& writer, const StringTable& strings, std::span<const std::uint32_t> order,
                        std::uint32_t totalReferences)
{
    const std::size_t perBucket = StringsPerBucket(order.size());
    std::vector<Bucket> buckets;
    buckets.reserve(order.size() / perBucket + 1);

    SstRecords records(writer);
    records.Out().U32(totalReferences);
    records.Out().U32(static_cast<std::uint32_t>(order.size()));
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::uint32_t id = order[i];
        const bool rich = !strings.Runs(id).empty();
        // A string's header and first character stay together.
        const std::size_t headerSize = rich ? 5 : 3;
        const std::size_t firstChar = strings.Text(id).empty() ? 0 : (FitsInOneByte(strings.Text(id)) ? 1 : 2);
        if (records.Room() < headerSize + firstChar)
            records.Next();
        if (i % perBucket == 0)
            buckets.push_back(Bucket{static_cast<std::uint32_t>(writer.Position()),
                                     static_cast<std::uint16_t>(records.OffsetInRecord())});
        WriteString(records, strings.Text(id), strings.Runs(id));
    }
    records.Finish();
    WriteExtSst(writer, perBucket, buckets);
}

} // namespace k4xls
