#include "report/xls/sheet_view_objects.h"

namespace k4xls {

namespace {

template <class Change>
Status ChangeView(WorksheetModel& sheet, Change&& change)
{
    SheetView view = sheet.View();
    change(view);
    return sheet.SetView(view);
}

bool IsSwitch(std::int32_t value)
{
    return value == 0 || value == 1;
}

} // namespace

Status SheetSwitchesObject::SetFirst(std::int32_t value)
{
    if (!IsSwitch(value))
        return E_INVALIDARG;
    return ChangeView(m_sheet->Model(), [&](SheetView& v) { v.landscape = value == 1; });
}

Status SheetSwitchesObject::SetSecond(std::int32_t value)
{
    if (!IsSwitch(value))
        return E_INVALIDARG;
    return ChangeView(m_sheet->Model(), [&](SheetView& v) { v.fitToPageWidth = value == 1; });
}

Status SheetSwitchesObject::SetThird(std::int32_t value)
{
    if (!IsSwitch(value))
        return E_INVALIDARG;
    return ChangeView(m_sheet->Model(), [&](SheetView& v) { v.centreHorizontally = value == 1; });
}

Status SheetSettingsObject::SetFirst(std::int32_t row)
{
    if (row < 0 || row > static_cast<std::int32_t>(CellStore::kRows))
        return E_INVALIDARG;
    return ChangeView(m_sheet->Model(),
                      [&](SheetView& v) { v.frozenRows = row > 1 ? static_cast<std::uint32_t>(row - 1) : 0; });
}

Status SheetSettingsObject::SetSecond(std::int32_t column)
{
    if (column < 0 || column > CellStore::kColumns)
        return E_INVALIDARG;
    return ChangeView(m_sheet->Model(),
                      [&](SheetView& v) { v.frozenColumns = column > 1 ? static_cast<std::uint16_t>(column - 1) : 0; });
}

} // namespace k4xls
