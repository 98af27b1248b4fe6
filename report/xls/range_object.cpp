#include "report/xls/range_object.h"

namespace k4xls {

RangeObject::RangeObject(WorksheetObject* sheet, const CellArea& area)
    : m_sheet(sheet), m_area(area), m_style(new StyleObject(sheet, StyleSettings{}))
{}

Status RangeObject::GetStyle(IStyle** out)
{
    if (!out)
        return E_POINTER;
    return HandOut(m_style.Get(), out);
}

Status RangeObject::ApplyStyle()
{
    return Guarded([&] { return m_sheet->Model().ApplyStyleToArea(m_area, m_style->Settings()); });
}

} // namespace k4xls
