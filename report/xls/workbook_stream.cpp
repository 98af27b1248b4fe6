#include "report/xls/workbook_stream.h"

#include <vector>

#include "report/xls/shared_string_plan.h"
#include "report/xls/workbook_globals.h"
#include "report/xls/workbook_model.h"
#include "report/xls/worksheet_records.h"

namespace k4xls {

namespace {

// Sheets with pictures get drawings 1, 2, ... in sheet order.
std::vector<std::uint32_t> AssignDrawingIds(const WorkbookModel& book, std::vector<DrawingSummary>& drawings)
{
    std::vector<std::uint32_t> ids;
    for (const auto& sheet : book.Sheets()) {
        std::uint32_t id = 0;
        if (!sheet->Pictures().empty()) {
            id = static_cast<std::uint32_t>(drawings.size() + 1);
            drawings.push_back(DrawingSummary{id, static_cast<std::uint32_t>(sheet->Pictures().size())});
        }
        ids.push_back(id);
    }
    return ids;
}

std::size_t EstimatedSize(const WorkbookModel& book)
{
    std::size_t size = 16384;
    for (const auto& picture : book.Pictures().All())
        size += picture.png.size() + 64;
    for (const auto& sheet : book.Sheets()) {
        for (const RowData& row : sheet->Cells().Rows())
            size += 20 + row.cells.size() * 16;
        size += sheet->Formulas().Count() * 24 + sheet->Formulas().Bytes();
    }
    return size;
}

} // namespace

ByteBuffer BuildWorkbookStream(const WorkbookModel& book, double now)
{
    ByteBuffer stream;
    stream.Reserve(EstimatedSize(book));
    BiffWriter writer(stream);

    const SharedStringPlan strings = SharedStringPlan::For(book.Sheets(), book.Strings().Count());
    std::vector<DrawingSummary> drawings;
    const std::vector<std::uint32_t> drawingIds = AssignDrawingIds(book, drawings);

    const std::vector<std::size_t> offsetFields = WriteWorkbookGlobals(writer, book, strings, drawings);
    for (std::size_t i = 0; i < book.Sheets().size(); ++i) {
        stream.PatchU32(offsetFields[i], static_cast<std::uint32_t>(stream.Size()));
        const WorksheetContext context{book.Strings(), strings.indexOf, drawingIds[i], i == 0, now};
        WriteWorksheet(writer, *book.Sheets()[i], context);
    }
    return stream;
}

} // namespace k4xls
