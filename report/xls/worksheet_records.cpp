#include "report/xls/worksheet_records.h"

#include <algorithm>
#include <numeric>

#include "report/xls/cell_records.h"
#include "report/xls/record_ids.h"
#include "report/xls/sheet_calculator.h"
#include "report/xls/workbook_globals.h"
#include "report/xls/worksheet_model.h"

namespace k4xls {

namespace {

constexpr std::uint16_t kWsBoolDefault = 0x04C1;
constexpr std::uint16_t kWsBoolFitToPage = 0x0100;
constexpr std::uint16_t kWindow2Default = 0x00B6; // grid, headers, zeros, default grid colour, outline symbols
constexpr std::uint16_t kWindow2Active = 0x0600;  // selected and shown
constexpr std::uint16_t kWindow2Frozen = 0x0108;  // frozen panes without a split
constexpr std::size_t kMergedAreasPerRecord = 1026;
constexpr std::uint16_t kPaperUsLetter = 1;

void U16Record(BiffWriter& writer, std::uint16_t id, std::uint16_t value)
{
    const std::uint8_t data[2] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
    writer.Record(id, data, sizeof data);
}

void WriteCalculationSettings(BiffWriter& writer)
{
    U16Record(writer, rec::kCalcMode, 1); // automatic
    U16Record(writer, rec::kCalcCount, 100);
    U16Record(writer, rec::kRefMode, 1); // A1 display
    U16Record(writer, rec::kIteration, 0);
    const std::size_t start = writer.Begin(rec::kDelta);
    writer.Out().F64(0.001);
    writer.End(start);
    U16Record(writer, rec::kSaveRecalc, 1);
}

void WritePageSetup(BiffWriter& writer, const SheetView& view)
{
    U16Record(writer, rec::kPrintHeaders, 0);
    U16Record(writer, rec::kPrintGridlines, 0);
    U16Record(writer, rec::kGridSet, 1);
    const std::uint8_t guts[8] = {};
    writer.Record(rec::kGuts, guts, sizeof guts);
    const std::uint8_t defaultRowHeight[4] = {0x00, 0x00, 0xFF, 0x00};
    writer.Record(rec::kDefaultRowHeight, defaultRowHeight, sizeof defaultRowHeight);
    U16Record(writer, rec::kWsBool, kWsBoolDefault | (view.fitToPageWidth ? kWsBoolFitToPage : 0));
    U16Record(writer, rec::kHCenter, view.centreHorizontally ? 1 : 0);
    U16Record(writer, rec::kVCenter, 0);

    ByteBuffer& out = writer.Out();
    const std::size_t start = writer.Begin(rec::kSetup);
    out.U16(kPaperUsLetter);
    out.U16(100);                         // scale per cent, when not fitting
    out.U16(1);                           // first page number
    out.U16(1);                           // fit to one page wide...
    out.U16(view.fitToPageWidth ? 0 : 1); // ...and as many pages high as needed
    out.U16(view.landscape ? 0x0000 : 0x0002);
    out.U16(600); // print resolution
    out.U16(600);
    out.F64(0.5); // header and footer margins (inches)
    out.F64(0.5);
    out.U16(1); // copies
    writer.End(start);
}

void WriteColumnWidths(BiffWriter& writer, const WorksheetModel& sheet)
{
    U16Record(writer, rec::kDefColWidth, 8);
    const auto& widths = sheet.ColumnWidths();
    for (std::size_t first = 0; first < widths.size();) {
        std::size_t last = first;
        while (last + 1 < widths.size() && widths[last + 1] == widths[first])
            ++last;
        if (widths[first] >= 0) {
            ByteBuffer& out = writer.Out();
            const std::size_t start = writer.Begin(rec::kColInfo);
            out.U16(static_cast<std::uint16_t>(first));
            out.U16(static_cast<std::uint16_t>(last));
            out.U16(static_cast<std::uint16_t>(widths[first]));
            out.U16(XfTable::kDefaultCellXf);
            out.U16(widths[first] == 0 ? 0x0003 : 0x0002); // user-set width, hidden at 0
            out.U16(0);
            writer.End(start);
        }
        first = last + 1;
    }
}

void WriteDimensions(BiffWriter& writer, const CellStore& cells)
{
    std::uint32_t firstRow = 0, lastRow = 0;
    std::uint16_t firstColumn = CellStore::kColumns, lastColumn = 0;
    bool any = false;
    const auto& rows = cells.Rows();
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].cells.empty())
            continue;
        if (!any)
            firstRow = static_cast<std::uint32_t>(row);
        any = true;
        lastRow = static_cast<std::uint32_t>(row);
        firstColumn = std::min(firstColumn, rows[row].cells.front().column);
        lastColumn = std::max(lastColumn, rows[row].cells.back().column);
    }
    ByteBuffer& out = writer.Out();
    const std::size_t start = writer.Begin(rec::kDimensions);
    out.U32(any ? firstRow : 0);
    out.U32(any ? lastRow + 1 : 0);
    out.U16(any ? firstColumn : 0);
    out.U16(any ? static_cast<std::uint16_t>(lastColumn + 1) : 0);
    out.U16(0);
    writer.End(start);
}

void WriteWindowSettings(BiffWriter& writer, const SheetView& view, bool activeSheet)
{
    const bool frozen = view.frozenRows > 0 || view.frozenColumns > 0;
    ByteBuffer& out = writer.Out();
    std::size_t start = writer.Begin(rec::kWindow2);
    out.U16(kWindow2Default | (activeSheet ? kWindow2Active : 0) | (frozen ? kWindow2Frozen : 0));
    out.U16(0);    // top row shown
    out.U16(0);    // left column shown
    out.U32(0x40); // grid colour: the system's
    out.U16(0);    // page break preview zoom: default
    out.U16(view.zoom == 100 ? 0 : view.zoom);
    out.U32(0);
    writer.End(start);

    if (view.zoom != 100) {
        const std::uint16_t divisor = static_cast<std::uint16_t>(std::gcd(view.zoom, std::uint16_t{100}));
        start = writer.Begin(rec::kScl);
        out.U16(static_cast<std::uint16_t>(view.zoom / divisor));
        out.U16(static_cast<std::uint16_t>(100 / divisor));
        writer.End(start);
    }

    // Panes: 3 top left, 1 top right, 2 bottom left, 0 bottom right.
    std::uint8_t activePane = 3;
    if (frozen) {
        activePane = view.frozenRows && view.frozenColumns ? 0 : (view.frozenRows ? 2 : 1);
        start = writer.Begin(rec::kPane);
        out.U16(view.frozenColumns);
        out.U16(static_cast<std::uint16_t>(view.frozenRows));
        out.U16(static_cast<std::uint16_t>(view.frozenRows));
        out.U16(view.frozenColumns);
        out.U8(activePane);
        out.U8(0);
        writer.End(start);
    }

    // The cursor on the first cell of the active pane.
    start = writer.Begin(rec::kSelection);
    out.U8(activePane);
    out.U16(static_cast<std::uint16_t>(view.frozenRows));
    out.U16(view.frozenColumns);
    out.U16(0);
    out.U16(1);
    out.U16(static_cast<std::uint16_t>(view.frozenRows));
    out.U16(static_cast<std::uint16_t>(view.frozenRows));
    out.U8(static_cast<std::uint8_t>(view.frozenColumns));
    out.U8(static_cast<std::uint8_t>(view.frozenColumns));
    writer.End(start);
}

void WriteMergedAreas(BiffWriter& writer, const std::vector<CellArea>& areas)
{
    for (std::size_t first = 0; first < areas.size(); first += kMergedAreasPerRecord) {
        const std::size_t count = std::min(kMergedAreasPerRecord, areas.size() - first);
        ByteBuffer& out = writer.Out();
        const std::size_t start = writer.Begin(rec::kMergedCells);
        out.U16(static_cast<std::uint16_t>(count));
        for (std::size_t i = first; i < first + count; ++i) {
            out.U16(static_cast<std::uint16_t>(areas[i].firstRow));
            out.U16(static_cast<std::uint16_t>(areas[i].lastRow));
            out.U16(areas[i].firstColumn);
            out.U16(areas[i].lastColumn);
        }
        writer.End(start);
    }
}

} // namespace

void WriteWorksheet(BiffWriter& writer, const WorksheetModel& sheet, const WorksheetContext& context)
{
    WriteBof(writer, 0x0010);
    WriteCalculationSettings(writer);
    WritePageSetup(writer, sheet.View());
    WriteColumnWidths(writer, sheet);
    WriteDimensions(writer, sheet.Cells());

    SheetCalculator calculator(sheet.Cells(), sheet.Formulas(), context.strings, context.now);
    WriteCellTable(writer, sheet.Cells(), sheet.Formulas(), context.sstIndex, calculator);

    if (context.drawingId != 0)
        WriteSheetDrawing(writer, context.drawingId, sheet.Pictures());
    WriteWindowSettings(writer, sheet.View(), context.activeSheet);
    WriteMergedAreas(writer, sheet.MergedAreas());
    writer.Record(rec::kEof, nullptr, 0);
}

} // namespace k4xls
