#include "report/xls/workbook_globals.h"

#include "report/xls/record_ids.h"
#include "report/xls/sst_writer.h"
#include "report/xls/utf16_text.h"
#include "report/xls/workbook_model.h"

namespace k4xls {

namespace {

void WriteU16Record(BiffWriter& writer, std::uint16_t id, std::uint16_t value)
{
    const std::uint8_t data[2] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
    writer.Record(id, data, sizeof data);
}

void WriteWindow1(BiffWriter& writer)
{
    ByteBuffer& out = writer.Out();
    const std::size_t start = writer.Begin(rec::kWindow1);
    out.U16(0); // left, top (twips)
    out.U16(0);
    out.U16(0x4000); // width, height (twips)
    out.U16(0x2000);
    out.U16(0x0038); // scroll bars and sheet tabs shown
    out.U16(0);      // active sheet
    out.U16(0);      // first tab shown
    out.U16(1);      // selected sheets
    out.U16(0x0258); // tab bar width ratio
    writer.End(start);
}

// Returns the position of the offset field.
std::size_t WriteBoundSheet(BiffWriter& writer, std::u16string_view name)
{
    ByteBuffer& out = writer.Out();
    const bool oneByte = FitsInOneByte(name);
    const std::size_t start = writer.Begin(rec::kBoundSheet);
    const std::size_t offsetField = out.Size();
    out.U32(0);
    out.U8(0); // visible
    out.U8(0); // worksheet
    out.U8(static_cast<std::uint8_t>(name.size()));
    out.U8(oneByte ? 0 : 1);
    for (const char16_t c : name) {
        if (oneByte)
            out.U8(static_cast<std::uint8_t>(c));
        else
            out.U16(c);
    }
    writer.End(start);
    return offsetField;
}

} // namespace

void WriteBof(BiffWriter& writer, std::uint16_t type)
{
    ByteBuffer& out = writer.Out();
    const std::size_t start = writer.Begin(rec::kBof);
    out.U16(0x0600); // BIFF8
    out.U16(type);
    out.U16(0x0DBB); // build
    out.U16(0x07CC); // year
    out.U32(0);      // file history
    out.U32(6);      // lowest BIFF version able to read the file
    writer.End(start);
}

std::vector<std::size_t> WriteWorkbookGlobals(BiffWriter& writer, const WorkbookModel& book,
                                              const SharedStringPlan& strings, std::span<const DrawingSummary> drawings)
{
    WriteBof(writer, 0x0005);
    WriteU16Record(writer, rec::kCodePage, 1200); // UTF-16
    WriteWindow1(writer);
    WriteU16Record(writer, rec::kHideObj, 0);
    WriteU16Record(writer, rec::kDateMode, 0); // 1900 date system

    const CellFormats& formats = book.Formats();
    formats.Fonts().Write(writer);
    formats.Formats().Write(writer);
    formats.Xfs().Write(writer);
    formats.Colours().Write(writer);

    std::vector<std::size_t> offsetFields;
    for (const auto& sheet : book.Sheets())
        offsetFields.push_back(WriteBoundSheet(writer, sheet->Name()));

    const std::uint8_t country[4] = {1, 0, 1, 0}; // United States, both as defaults and system
    writer.Record(rec::kCountry, country, sizeof country);
    if (!drawings.empty())
        WriteDrawingGroup(writer, book.Pictures(), drawings);
    WriteSharedStrings(writer, book.Strings(), strings.order, strings.references);
    writer.Record(rec::kEof, nullptr, 0);
    return offsetFields;
}

} // namespace k4xls
