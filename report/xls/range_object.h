#pragma once
// A rectangle of cells named by R1C1 text, with a style of its own.

#include "report/xls/cell_area.h"
#include "report/xls/ref_counted.h"
#include "report/xls/style_object.h"
#include "report/xls/worksheet_object.h"

namespace k4xls {

class RangeObject final : public RefCounted<IRange> {
public:
    RangeObject(WorksheetObject* sheet, const CellArea& area);

    Status GetStyle(IStyle** out) override;
    Status ApplyStyle() override;

private:
    RefPtr<WorksheetObject> m_sheet;
    CellArea m_area;
    RefPtr<StyleObject> m_style;
};

} // namespace k4xls
