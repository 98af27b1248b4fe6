#include "report/xls/merged_area_object.h"

#include "report/xls/interface_arguments.h"
#include "report/xls/rich_text_object.h"
#include "report/xls/utf16_text.h"

namespace k4xls {

Status MergedAreaObject::SetFirstRow(std::int32_t row)
{
    if (!IsRow(row))
        return E_INVALIDARG;
    m_firstRow = row;
    return S_OK;
}

Status MergedAreaObject::SetFirstColumn(std::int32_t column)
{
    if (!IsColumn(column))
        return E_INVALIDARG;
    m_firstColumn = column;
    return S_OK;
}

Status MergedAreaObject::SetColumns(std::int32_t count)
{
    if (count < 1 || count > CellStore::kColumns)
        return E_INVALIDARG;
    m_columns = count;
    return S_OK;
}

Status MergedAreaObject::SetRows(std::int32_t count)
{
    if (count < 1 || count > static_cast<std::int32_t>(CellStore::kRows))
        return E_INVALIDARG;
    m_rows = count;
    return S_OK;
}

template <class Prepare>
Status MergedAreaObject::Place(Prepare&& prepare)
{
    // The corner and the size may each be valid while the area runs off
    // the sheet.
    const std::optional<CellArea> area = AreaFrom(m_firstRow, m_firstColumn, m_rows, m_columns);
    if (!area)
        return E_INVALIDARG;
    return Guarded([&] {
        CellContent content;
        if (const Status s = prepare(content); Failed(s))
            return s;
        return m_sheet->Model().PlaceMerged(*area, content);
    });
}

Status MergedAreaObject::SetText(const char16_t* text)
{
    if (!text)
        return E_POINTER;
    return Place([&](CellContent& c) { return m_sheet->Model().PrepareText(ViewOf(text), c); });
}

Status MergedAreaObject::SetFormula(const char16_t* formula)
{
    if (!formula)
        return E_POINTER;
    return Place([&](CellContent& c) { return m_sheet->Model().PrepareFormula(ViewOf(formula), c); });
}

Status MergedAreaObject::SetRichText(IRichText* text)
{
    if (!text)
        return E_POINTER;
    const auto* rich = dynamic_cast<RichTextObject*>(text);
    if (!rich)
        return E_INVALIDARG;
    return Place([&](CellContent& c) { return m_sheet->Model().PrepareRichText(rich->Text(), rich->Runs(), c); });
}

} // namespace k4xls
