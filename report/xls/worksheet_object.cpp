#include "report/xls/worksheet_object.h"

#include "report/xls/interface_arguments.h"
#include "report/xls/merged_area_object.h"
#include "report/xls/png_file.h"
#include "report/xls/r1c1_reference.h"
#include "report/xls/range_object.h"
#include "report/xls/rich_text_object.h"
#include "report/xls/sheet_view_objects.h"
#include "report/xls/style_object.h"
#include "report/xls/utf16_text.h"

namespace k4xls {

namespace {

constexpr std::int32_t kMinZoom = 10;
constexpr std::int32_t kMaxZoom = 400;
constexpr std::int32_t kColumnOffsetUnits = 1024; // of a column's width
constexpr std::int32_t kRowOffsetUnits = 256;     // of a row's height

// The picture's corners: its top left cell, and the cell after its bottom
// right one (the sheet's last cell's far edge at the sheet's end).
std::optional<PictureAnchor> AnchorFor(std::int32_t top, std::int32_t left, std::int32_t bottom, std::int32_t right,
                                       std::int32_t topOffset, std::int32_t leftOffset, std::int32_t bottomOffset,
                                       std::int32_t rightOffset)
{
    if (!IsRow(top) || !IsRow(bottom) || !IsColumn(left) || !IsColumn(right) || top > bottom || left > right)
        return std::nullopt;
    const auto inRow = [](std::int32_t o) { return o >= 0 && o < kRowOffsetUnits; };
    const auto inColumn = [](std::int32_t o) { return o >= 0 && o < kColumnOffsetUnits; };
    if (!inRow(topOffset) || !inRow(bottomOffset) || !inColumn(leftOffset) || !inColumn(rightOffset))
        return std::nullopt;

    PictureAnchor anchor{};
    anchor.row1 = static_cast<std::uint16_t>(top - 1);
    anchor.dy1 = static_cast<std::uint16_t>(topOffset);
    anchor.column1 = static_cast<std::uint16_t>(left - 1);
    anchor.dx1 = static_cast<std::uint16_t>(leftOffset);
    if (bottom < static_cast<std::int32_t>(CellStore::kRows)) {
        anchor.row2 = static_cast<std::uint16_t>(bottom);
        anchor.dy2 = static_cast<std::uint16_t>(bottomOffset);
    } else {
        anchor.row2 = static_cast<std::uint16_t>(bottom - 1);
        anchor.dy2 = kRowOffsetUnits - 1;
    }
    if (right < CellStore::kColumns) {
        anchor.column2 = static_cast<std::uint16_t>(right);
        anchor.dx2 = static_cast<std::uint16_t>(rightOffset);
    } else {
        anchor.column2 = static_cast<std::uint16_t>(right - 1);
        anchor.dx2 = kColumnOffsetUnits - 1;
    }
    return anchor;
}

} // namespace

template <class Prepare>
Status WorksheetObject::WriteCell(std::int32_t row, std::int32_t column, Prepare&& prepare)
{
    if (!IsRow(row) || !IsColumn(column))
        return E_INVALIDARG;
    return Guarded([&] {
        CellContent content;
        if (const Status s = prepare(content); Failed(s))
            return s;
        return m_sheet.Write(static_cast<std::uint32_t>(row - 1), static_cast<std::uint16_t>(column - 1), content);
    });
}

Status WorksheetObject::SetText(std::int32_t row, std::int32_t column, const char16_t* text)
{
    if (!text)
        return E_POINTER;
    return WriteCell(row, column, [&](CellContent& c) { return m_sheet.PrepareText(ViewOf(text), c); });
}

Status WorksheetObject::SetInteger(std::int32_t row, std::int32_t column, std::int32_t value)
{
    return WriteCell(row, column, [&](CellContent& c) { return m_sheet.PrepareNumber(value, c); });
}

Status WorksheetObject::SetNumber(std::int32_t row, std::int32_t column, double value)
{
    return WriteCell(row, column, [&](CellContent& c) { return m_sheet.PrepareNumber(value, c); });
}

Status WorksheetObject::SetFormula(std::int32_t row, std::int32_t column, const char16_t* formula)
{
    if (!formula)
        return E_POINTER;
    return WriteCell(row, column, [&](CellContent& c) { return m_sheet.PrepareFormula(ViewOf(formula), c); });
}

Status WorksheetObject::NewStyle(IStyle** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Guarded([&] { return HandOut(new StyleObject(this, StyleSettings{}), out); });
}

Status WorksheetObject::NewRichText(IRichText** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Guarded([&] { return HandOut(new RichTextObject(this), out); });
}

Status WorksheetObject::NewMergedArea(IMergedArea** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Guarded([&] { return HandOut(new MergedAreaObject(this), out); });
}

Status WorksheetObject::SetColumnWidth(std::int32_t column, double width)
{
    return SetColumnWidths(column, column, width);
}

Status WorksheetObject::SetColumnWidths(std::int32_t firstColumn, std::int32_t lastColumn, double width)
{
    if (!IsColumn(firstColumn) || !IsColumn(lastColumn) || firstColumn > lastColumn)
        return E_INVALIDARG;
    return m_sheet.SetColumnWidths(static_cast<std::uint16_t>(firstColumn - 1),
                                   static_cast<std::uint16_t>(lastColumn - 1), width);
}

Status WorksheetObject::SetRowHeight(std::int32_t row, double height)
{
    if (!IsRow(row))
        return E_INVALIDARG;
    return Guarded([&] { return m_sheet.SetRowHeight(static_cast<std::uint32_t>(row - 1), height); });
}

Status WorksheetObject::GetRange(const char16_t* r1c1, IRange** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!r1c1)
        return E_POINTER;
    const std::optional<CellArea> area = ParseR1C1Area(ViewOf(r1c1));
    if (!area)
        return E_INVALIDARG;
    return Guarded([&] { return HandOut(new RangeObject(this, *area), out); });
}

Status WorksheetObject::SetSheetOption(std::int32_t option)
{
    if (option < kMinZoom || option > kMaxZoom)
        return E_INVALIDARG;
    SheetView view = m_sheet.View();
    view.zoom = static_cast<std::uint16_t>(option);
    return m_sheet.SetView(view);
}

Status WorksheetObject::InsertPicture(const char16_t* path, std::int32_t topRow, std::int32_t leftColumn,
                                      std::int32_t bottomRow, std::int32_t rightColumn, std::int32_t offset1,
                                      std::int32_t offset2, std::int32_t offset3, std::int32_t offset4)
{
    if (!path)
        return E_POINTER;
    const std::optional<PictureAnchor> anchor =
        AnchorFor(topRow, leftColumn, bottomRow, rightColumn, offset1, offset2, offset3, offset4);
    if (!anchor)
        return E_INVALIDARG;
    return Guarded([&] {
        std::vector<std::uint8_t> png;
        if (const Status s = LoadPng(ViewOf(path), png); Failed(s))
            return s;
        return m_sheet.AddPicture(std::move(png), *anchor);
    });
}

Status WorksheetObject::GetSheetSwitches(ISheetSwitches** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Guarded([&] { return HandOut(new SheetSwitchesObject(this), out); });
}

Status WorksheetObject::GetSheetSettings(ISheetSettings** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Guarded([&] { return HandOut(new SheetSettingsObject(this), out); });
}

} // namespace k4xls
