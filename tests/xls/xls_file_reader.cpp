#include "tests/xls/xls_file_reader.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace xlstest {

std::uint16_t U16(const Bytes& data, std::size_t at)
{
    return static_cast<std::uint16_t>(data.at(at) | (data.at(at + 1) << 8));
}

std::uint32_t U32(const Bytes& data, std::size_t at)
{
    return U16(data, at) | (static_cast<std::uint32_t>(U16(data, at + 2)) << 16);
}

double F64(const Bytes& data, std::size_t at)
{
    const std::uint64_t bits = U32(data, at) | (static_cast<std::uint64_t>(U32(data, at + 4)) << 32);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

Bytes ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

constexpr std::size_t kSector = 512;
constexpr std::uint32_t kEnd = 0xFFFFFFFE;

Bytes SectorChain(const Bytes& file, const std::vector<std::uint32_t>& fat, std::uint32_t first, std::string& problem)
{
    Bytes out;
    std::vector<bool> seen(fat.size());
    for (std::uint32_t s = first; s != kEnd;) {
        if (s >= fat.size() || seen[s] || (s + 2) * kSector > file.size()) {
            problem = "broken sector chain";
            return {};
        }
        seen[s] = true;
        out.insert(out.end(), file.begin() + static_cast<long>((s + 1) * kSector),
                   file.begin() + static_cast<long>((s + 2) * kSector));
        s = fat[s];
    }
    return out;
}

} // namespace

Bytes WorkbookStream(const Bytes& file, std::string& problem)
{
    static const std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (file.size() < kSector || std::memcmp(file.data(), kSignature, 8) != 0) {
        problem = "no compound file signature";
        return {};
    }
    if ((file.size() - kSector) % kSector != 0) {
        problem = "file size is not the header plus whole sectors";
        return {};
    }
    const std::uint32_t fatCount = U32(file, 44);
    std::vector<std::uint32_t> fatSectors;
    for (std::uint32_t i = 0; i < fatCount && i < 109; ++i)
        fatSectors.push_back(U32(file, 76 + 4 * i));
    for (std::uint32_t difat = U32(file, 68); difat != kEnd && fatSectors.size() < fatCount;) {
        const std::size_t at = (difat + 1) * kSector;
        for (int i = 0; i < 127 && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(U32(file, at + 4 * static_cast<std::size_t>(i)));
        difat = U32(file, at + 508);
    }
    std::vector<std::uint32_t> fat;
    for (const std::uint32_t s : fatSectors)
        for (int i = 0; i < 128; ++i)
            fat.push_back(U32(file, (s + 1) * kSector + 4 * static_cast<std::size_t>(i)));

    const Bytes directory = SectorChain(file, fat, U32(file, 48), problem);
    for (std::size_t at = 0; at + 128 <= directory.size(); at += 128) {
        const std::u16string name = [&] {
            std::u16string n;
            for (std::size_t i = 0; i + 2 < U16(directory, at + 64); i += 2)
                n += static_cast<char16_t>(U16(directory, at + i));
            return n;
        }();
        if (directory[at + 66] == 2 && name == u"Workbook") {
            Bytes stream = SectorChain(file, fat, U32(directory, at + 116), problem);
            const std::uint32_t size = U32(directory, at + 120);
            if (stream.size() < size || stream.size() - size >= kSector) {
                problem = "stream size disagrees with its chain";
                return {};
            }
            stream.resize(size);
            return stream;
        }
    }
    problem = "no Workbook stream";
    return {};
}

std::vector<Record> Records(const Bytes& stream)
{
    std::vector<Record> records;
    for (std::size_t at = 0; at + 4 <= stream.size();) {
        const std::uint16_t id = U16(stream, at);
        const std::uint16_t length = U16(stream, at + 2);
        if (id == 0 && length == 0)
            break; // padding
        if (at + 4 + length > stream.size())
            break;
        records.push_back(Record{id, Bytes(stream.begin() + static_cast<long>(at + 4),
                                           stream.begin() + static_cast<long>(at + 4 + length)),
                                 at});
        at += 4 + length;
    }
    return records;
}

namespace {

// Reads across an SST record and its CONTINUE records.
class SstCursor {
public:
    SstCursor(const std::vector<Record>& records, std::size_t index) : m_records(records), m_index(index) {}

    bool AtRecordEnd() const { return m_pos >= m_records[m_index].data.size(); }
    bool NextRecord()
    {
        if (m_index + 1 >= m_records.size() || m_records[m_index + 1].id != 0x003C)
            return false;
        ++m_index;
        m_pos = 0;
        return true;
    }
    std::uint8_t U8() { return m_records[m_index].data.at(m_pos++); }
    std::uint16_t Word()
    {
        const std::uint16_t v = U16(m_records[m_index].data, m_pos);
        m_pos += 2;
        return v;
    }
    std::uint32_t DWord()
    {
        const std::uint32_t v = U32(m_records[m_index].data, m_pos);
        m_pos += 4;
        return v;
    }

private:
    const std::vector<Record>& m_records;
    std::size_t m_index;
    std::size_t m_pos = 0;
};

} // namespace

std::vector<SstString> DecodeSst(const std::vector<Record>& records, std::size_t index)
{
    SstCursor in(records, index);
    in.DWord();
    const std::uint32_t unique = in.DWord();
    std::vector<SstString> strings;
    for (std::uint32_t i = 0; i < unique; ++i) {
        if (in.AtRecordEnd() && !in.NextRecord())
            break;
        SstString s;
        const std::uint16_t length = in.Word();
        const std::uint8_t flags = in.U8();
        bool wide = flags & 0x01;
        const std::uint16_t runs = (flags & 0x08) ? in.Word() : 0;
        while (s.text.size() < length) {
            if (in.AtRecordEnd()) {
                if (!in.NextRecord())
                    return strings;
                wide = in.U8() & 0x01;
            }
            s.text += wide ? static_cast<char16_t>(in.Word()) : static_cast<char16_t>(in.U8());
        }
        for (std::uint16_t r = 0; r < runs; ++r) {
            if (in.AtRecordEnd() && !in.NextRecord())
                return strings;
            const std::uint16_t position = in.Word();
            s.runs.emplace_back(position, in.Word());
        }
        strings.push_back(std::move(s));
    }
    return strings;
}

const CellRecord* Workbook::Cell(int row, int column) const
{
    const auto found = cells.find({row, column});
    return found == cells.end() ? nullptr : &found->second;
}

std::u16string Workbook::Text(int row, int column) const
{
    const CellRecord* cell = Cell(row, column);
    if (!cell || cell->type != 0x00FD || cell->sstIndex >= strings.size())
        return u"<not a text cell>";
    return strings[cell->sstIndex].text;
}

std::vector<const Record*> Workbook::SheetRecords(std::uint16_t id) const
{
    std::vector<const Record*> found;
    for (std::size_t i = firstSheetRecord; i < records.size(); ++i) {
        if (records[i].id == id)
            found.push_back(&records[i]);
        if (records[i].id == 0x000A)
            break;
    }
    return found;
}

std::vector<const Record*> Workbook::GlobalRecords(std::uint16_t id) const
{
    std::vector<const Record*> found;
    for (std::size_t i = 0; i < firstSheetRecord && i < records.size(); ++i)
        if (records[i].id == id)
            found.push_back(&records[i]);
    return found;
}

namespace {

double DecodeRk(std::uint32_t rk)
{
    double value;
    if (rk & 0x2) {
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x1) ? value / 100 : value;
}

void ReadCells(Workbook& book)
{
    for (std::size_t i = book.firstSheetRecord; i < book.records.size(); ++i) {
        const Record& r = book.records[i];
        if (r.id == 0x000A)
            break;
        const Bytes& d = r.data;
        auto put = [&](CellRecord cell) { book.cells[{U16(d, 0), U16(d, 2)}] = std::move(cell); };
        switch (r.id) {
        case 0x0201: // BLANK
            put(CellRecord{r.id, U16(d, 4), 0, 0, d});
            break;
        case 0x00BE: // MULBLANK
            for (std::size_t c = U16(d, 2), k = 0; c <= U16(d, d.size() - 2); ++c, ++k)
                book.cells[{U16(d, 0), static_cast<int>(c)}] = CellRecord{0x0201, U16(d, 4 + 2 * k), 0, 0, d};
            break;
        case 0x0203: // NUMBER
            put(CellRecord{r.id, U16(d, 4), F64(d, 6), 0, d});
            break;
        case 0x027E: // RK
            put(CellRecord{r.id, U16(d, 4), DecodeRk(U32(d, 6)), 0, d});
            break;
        case 0x00FD: // LABELSST
            put(CellRecord{r.id, U16(d, 4), 0, U32(d, 6), d});
            break;
        case 0x0006: // FORMULA
            put(CellRecord{r.id, U16(d, 4), F64(d, 6), 0, d});
            break;
        default:
            break;
        }
    }
}

} // namespace

Workbook LoadWorkbook(const std::string& path, std::string& problem)
{
    Workbook book;
    const Bytes stream = WorkbookStream(ReadFileBytes(path), problem);
    book.records = Records(stream);
    for (std::size_t i = 0; i < book.records.size(); ++i) {
        const Record& r = book.records[i];
        if (r.id == 0x00FC)
            book.strings = DecodeSst(book.records, i);
        if (r.id == 0x00E0)
            book.xfs.push_back(r.data);
        if (r.id == 0x0092)
            for (std::size_t k = 0; k < U16(r.data, 0); ++k)
                book.palette.push_back((r.data[2 + 4 * k] << 16) | (r.data[3 + 4 * k] << 8) | r.data[4 + 4 * k]);
        if (r.id == 0x0809 && i > 0 && book.firstSheetRecord == 0) {
            book.firstSheetRecord = i;
            break;
        }
    }
    ReadCells(book);
    return book;
}

} // namespace xlstest
