#pragma once
// A merged area, placed on the sheet by giving it content.

#include <cstdint>

#include "report/xls/ref_counted.h"
#include "report/xls/worksheet_model.h"
#include "report/xls/worksheet_object.h"

namespace k4xls {

class MergedAreaObject final : public RefCounted<IMergedArea> {
public:
    explicit MergedAreaObject(WorksheetObject* sheet) : m_sheet(sheet) {}

    Status SetFirstRow(std::int32_t row) override;
    Status SetFirstColumn(std::int32_t column) override;
    Status SetColumns(std::int32_t count) override;
    Status SetRows(std::int32_t count) override;
    Status SetText(const char16_t* text) override;
    Status SetFormula(const char16_t* formula) override;
    Status SetRichText(IRichText* text) override;

private:
    template <class Prepare>
    Status Place(Prepare&& prepare);

    RefPtr<WorksheetObject> m_sheet;
    std::int32_t m_firstRow = 1;
    std::int32_t m_firstColumn = 1;
    std::int32_t m_columns = 1;
    std::int32_t m_rows = 1;
};

} // namespace k4xls
