#pragma once
// A worksheet as the interface sees it. It holds a reference to its
// workbook, which owns the sheet's content.

#include "report/xls/ref_counted.h"
#include "report/xls/workbook_object.h"
#include "report/xls/worksheet_model.h"

namespace k4xls {

class WorksheetObject final : public RefCounted<IWorksheet> {
public:
    WorksheetObject(WorkbookObject* book, WorksheetModel& sheet) : m_book(book), m_sheet(sheet) {}

    Status SetText(std::int32_t row, std::int32_t column, const char16_t* text) override;
    Status SetInteger(std::int32_t row, std::int32_t column, std::int32_t value) override;
    Status SetNumber(std::int32_t row, std::int32_t column, double value) override;
    Status SetFormula(std::int32_t row, std::int32_t column, const char16_t* formula) override;
    Status NewStyle(IStyle** out) override;
    Status NewRichText(IRichText** out) override;
    Status NewMergedArea(IMergedArea** out) override;
    Status SetColumnWidth(std::int32_t column, double width) override;
    Status SetRowHeight(std::int32_t row, double height) override;
    Status SetColumnWidths(std::int32_t firstColumn, std::int32_t lastColumn, double width) override;
    Status GetRange(const char16_t* r1c1, IRange** out) override;
    Status SetSheetOption(std::int32_t option) override;
    Status InsertPicture(const char16_t* path, std::int32_t topRow, std::int32_t leftColumn, std::int32_t bottomRow,
                         std::int32_t rightColumn, std::int32_t offset1, std::int32_t offset2, std::int32_t offset3,
                         std::int32_t offset4) override;
    Status GetSheetSwitches(ISheetSwitches** out) override;
    Status GetSheetSettings(ISheetSettings** out) override;

    WorksheetModel& Model() { return m_sheet; }

private:
    template <class Prepare>
    Status WriteCell(std::int32_t row, std::int32_t column, Prepare&& prepare);

    RefPtr<WorkbookObject> m_book;
    WorksheetModel& m_sheet;
};

} // namespace k4xls
