#pragma once
// A small reader of the records the component writes, independent of its
// code. What the records mean is left to the independent reader checks.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace xlstest {

using Bytes = std::vector<std::uint8_t>;

inline std::uint16_t U16(const Bytes& data, std::size_t at)
{
    return static_cast<std::uint16_t>(data.at(at) | (data.at(at + 1) << 8));
}

inline std::uint32_t U32(const Bytes& data, std::size_t at)
{
    return U16(data, at) | (static_cast<std::uint32_t>(U16(data, at + 2)) << 16);
}

struct Record {
    std::uint16_t id;
    Bytes data;
};

// All records up to the zero padding after the last one.
inline std::vector<Record> Records(const Bytes& stream)
{
    std::vector<Record> records;
    for (std::size_t at = 0; at + 4 <= stream.size() && U16(stream, at) != 0;) {
        const std::size_t end = at + 4 + U16(stream, at + 2);
        if (end > stream.size())
            break;
        records.push_back(Record{U16(stream, at), Bytes(stream.begin() + static_cast<long>(at + 4),
                                                        stream.begin() + static_cast<long>(end))});
        at = end;
    }
    return records;
}

// How many records with this id a written file holds. Its "Workbook" stream
// is found through the header and its directory entry; the stream's sectors
// follow each other (the compound file tests check the FAT chain).
inline std::size_t CountRecords(const std::string& path, std::uint16_t id)
{
    std::ifstream in(path, std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t entry = (U32(file, 48) + 1) * 512 + 128;
    const auto start = file.begin() + static_cast<long>((U32(file, entry + 116) + 1) * 512);
    std::size_t count = 0;
    for (const Record& r : Records(Bytes(start, start + U32(file, entry + 120))))
        count += r.id == id;
    return count;
}

} // namespace xlstest
