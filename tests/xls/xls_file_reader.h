#pragma once
// A small independent reader of the files the component writes, for
// checking what ended up in them: compound file, records, shared strings,
// cells and XFs.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace xlstest {

using Bytes = std::vector<std::uint8_t>;

std::uint16_t U16(const Bytes& data, std::size_t at);
std::uint32_t U32(const Bytes& data, std::size_t at);
double F64(const Bytes& data, std::size_t at);

Bytes ReadFileBytes(const std::string& path);

// The "Workbook" stream, read through the header, the FAT (and DIFAT) and
// the directory. Empty, with `problem` set, when they do not agree.
Bytes WorkbookStream(const Bytes& file, std::string& problem);

struct Record {
    std::uint16_t id;
    Bytes data;
    std::size_t offset; // of the record header in the stream
};

// All records up to the padding after the last EOF.
std::vector<Record> Records(const Bytes& stream);

struct SstString {
    std::u16string text;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> runs; // position, font
};
// The SST record at `index` and the CONTINUE records after it, decoded.
std::vector<SstString> DecodeSst(const std::vector<Record>& records, std::size_t index);

struct CellRecord {
    std::uint16_t type; // record id; MULBLANK entries come out as BLANK
    std::uint16_t xf;
    double number = 0;          // NUMBER, RK
    std::uint32_t sstIndex = 0; // LABELSST
    Bytes data;                 // the whole record
};

struct Workbook {
    std::vector<Record> records;
    std::vector<SstString> strings;
    std::vector<Bytes> xfs;
    std::vector<std::uint32_t> palette; // colour indexes 8 to 63, as 0xRRGGBB
    std::map<std::pair<int, int>, CellRecord> cells; // first sheet, 0-based (row, column)

    const CellRecord* Cell(int row, int column) const;
    std::u16string Text(int row, int column) const;
    // Records of the first sheet with this id.
    std::vector<const Record*> SheetRecords(std::uint16_t id) const;
    std::vector<const Record*> GlobalRecords(std::uint16_t id) const;
    std::size_t firstSheetRecord = 0;
};

// Reads a whole file; problems are reported through `problem`.
Workbook LoadWorkbook(const std::string& path, std::string& problem);

} // namespace xlstest
