#include "report/xls/cell_records.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "report/xls/record_ids.h"
#include "report/xls/utf16_text.h"

namespace k4xls {

namespace {

constexpr std::uint32_t kRowsPerBlock = 32;
constexpr std::uint16_t kDefaultRowHeight = 0x00FF;
constexpr std::uint32_t kRowFlagsAlwaysSet = 0x0100;
constexpr std::uint32_t kRowCustomHeight = 0x0040;
constexpr std::uint32_t kRowDefaultXf = std::uint32_t{XfTable::kDefaultCellXf} << 16;
// Recalculate whenever the file is opened: the cached result is ours.
constexpr std::uint16_t kFormulaAlwaysCalculate = 0x0001;

void CellHeader(ByteBuffer& out, std::uint32_t row, const Cell& cell)
{
    out.U16(static_cast<std::uint16_t>(row));
    out.U16(cell.column);
    out.U16(cell.xf);
}

void WriteRow(BiffWriter& writer, std::uint32_t index, const RowData& row)
{
    ByteBuffer& out = writer.Out();
    const std::size_t start = writer.Begin(rec::kRow);
    out.U16(static_cast<std::uint16_t>(index));
    out.U16(row.cells.empty() ? 0 : row.cells.front().column);
    out.U16(row.cells.empty() ? 0 : static_cast<std::uint16_t>(row.cells.back().column + 1));
    out.U16(row.heightTwips ? row.heightTwips : kDefaultRowHeight);
    out.U32(0);
    out.U32(kRowFlagsAlwaysSet | kRowDefaultXf | (row.heightTwips ? kRowCustomHeight : 0));
    writer.End(start);
}

// Blank cells side by side in one row go in one MULBLANK record.
std::size_t WriteBlanks(BiffWriter& writer, std::uint32_t row, std::span<const Cell> cells, std::size_t first)
{
    std::size_t end = first + 1;
    while (end < cells.size() && cells[end].kind == CellKind::Blank && cells[end].column == cells[end - 1].column + 1)
        ++end;
    ByteBuffer& out = writer.Out();
    if (end - first == 1) {
        const std::size_t start = writer.Begin(rec::kBlank);
        CellHeader(out, row, cells[first]);
        writer.End(start);
        return end;
    }
    const std::size_t start = writer.Begin(rec::kMulBlank);
    out.U16(static_cast<std::uint16_t>(row));
    out.U16(cells[first].column);
    for (std::size_t i = first; i < end; ++i)
        out.U16(cells[i].xf);
    out.U16(cells[end - 1].column);
    writer.End(start);
    return end;
}

void WriteNumber(BiffWriter& writer, std::uint32_t row, const Cell& cell)
{
    ByteBuffer& out = writer.Out();
    std::uint32_t rk = 0;
    const bool compact = EncodeRk(cell.number, rk);
    const std::size_t start = writer.Begin(compact ? rec::kRk : rec::kNumber);
    CellHeader(out, row, cell);
    if (compact)
        out.U32(rk);
    else
        out.F64(cell.number);
    writer.End(start);
}

void WriteLabel(BiffWriter& writer, std::uint32_t row, const Cell& cell, std::span<const std::uint32_t> sstIndex)
{
    const std::size_t start = writer.Begin(rec::kLabelSst);
    CellHeader(writer.Out(), row, cell);
    writer.Out().U32(sstIndex[cell.ref]);
    writer.End(start);
}

// The 8-byte result field of a FORMULA record. Results other than numbers
// are marked by 0xFFFF in the top two bytes.
void WriteCachedResult(ByteBuffer& out, const FormulaValue& result, bool textFollows)
{
    using Kind = FormulaValue::Kind;
    if (result.kind == Kind::Number) {
        out.F64(result.number);
        return;
    }
    std::uint8_t field[8] = {0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    switch (result.kind) {
    case Kind::Boolean:
        field[0] = 1;
        field[2] = result.number != 0 ? 1 : 0;
        break;
    case Kind::Error:
        field[0] = 2;
        field[2] = result.error;
        break;
    default:
        field[0] = textFollows ? 0 : 3; // 3: an empty text
        break;
    }
    out.Append(field, sizeof field);
}

// The text of a text result, in the STRING record after the formula.
bool FitsStringRecord(std::u16string_view text)
{
    const std::size_t width = FitsInOneByte(text) ? 1 : 2;
    return !text.empty() && 3 + text.size() * width <= kMaxRecordData;
}

void WriteStringRecord(BiffWriter& writer, std::u16string_view text)
{
    constexpr std::uint16_t kString = 0x0207;
    ByteBuffer& out = writer.Out();
    const bool oneByte = FitsInOneByte(text);
    const std::size_t start = writer.Begin(kString);
    out.U16(static_cast<std::uint16_t>(text.size()));
    out.U8(oneByte ? 0 : 1);
    for (const char16_t c : text) {
        if (oneByte)
            out.U8(static_cast<std::uint8_t>(c));
        else
            out.U16(c);
    }
    writer.End(start);
}

void WriteFormula(BiffWriter& writer, std::uint32_t row, const Cell& cell, const FormulaStore& formulas,
                  SheetCalculator& calculator)
{
    const FormulaValue result = calculator.ResultOf(cell.ref);
    // A text result longer than one STRING record holds is cached as empty;
    // readers that recalculate show the real one.
    const bool textFollows = result.kind == FormulaValue::Kind::Text && FitsStringRecord(result.text);
    const std::span<const std::uint8_t> tokens = formulas.TokensOf(cell.ref);

    ByteBuffer& out = writer.Out();
    const std::size_t start = writer.Begin(rec::kFormula);
    CellHeader(out, row, cell);
    WriteCachedResult(out, result, textFollows);
    out.U16(kFormulaAlwaysCalculate);
    out.U32(0);
    out.U16(static_cast<std::uint16_t>(tokens.size()));
    out.Append(tokens.data(), tokens.size());
    writer.End(start);
    if (textFollows)
        WriteStringRecord(writer, result.text);
}

void WriteRowCells(BiffWriter& writer, std::uint32_t row, std::span<const Cell> cells, const FormulaStore& formulas,
                   std::span<const std::uint32_t> sstIndex, SheetCalculator& calculator)
{
    for (std::size_t i = 0; i < cells.size();) {
        const Cell& cell = cells[i];
        switch (cell.kind) {
        case CellKind::Blank: i = WriteBlanks(writer, row, cells, i); continue;
        case CellKind::Number: WriteNumber(writer, row, cell); break;
        case CellKind::Text: WriteLabel(writer, row, cell, sstIndex); break;
        case CellKind::Formula: WriteFormula(writer, row, cell, formulas, calculator); break;
        }
        ++i;
    }
}

} // namespace

bool EncodeRk(double number, std::uint32_t& rk)
{
    constexpr double kLimit = 1 << 29; // 30-bit signed integers
    const bool negativeZero = number == 0 && std::signbit(number);
    if (number == std::floor(number) && number >= -kLimit && number < kLimit && !negativeZero) {
        rk = (static_cast<std::uint32_t>(static_cast<std::int32_t>(number)) << 2) | 0x2;
        return true;
    }
    // Doubles whose low 34 bits are zero keep their upper 30 bits.
    std::uint64_t bits;
    std::memcpy(&bits, &number, sizeof bits);
    if ((bits & 0x3FFFFFFFFull) == 0) {
        rk = static_cast<std::uint32_t>(bits >> 32);
        return true;
    }
    return false;
}

void WriteCellTable(BiffWriter& writer, const CellStore& cells, const FormulaStore& formulas,
                    std::span<const std::uint32_t> sstIndex, SheetCalculator& calculator)
{
    const std::vector<RowData>& rows = cells.Rows();
    for (std::size_t block = 0; block < rows.size(); block += kRowsPerBlock) {
        const std::size_t end = std::min<std::size_t>(block + kRowsPerBlock, rows.size());
        for (std::size_t row = block; row < end; ++row)
            if (!rows[row].cells.empty() || rows[row].heightTwips)
                WriteRow(writer, static_cast<std::uint32_t>(row), rows[row]);
        for (std::size_t row = block; row < end; ++row)
            WriteRowCells(writer, static_cast<std::uint32_t>(row), rows[row].cells, formulas, sstIndex, calculator);
    }
}

} // namespace k4xls
