#include "report/xls/style_object.h"

#include "report/xls/style_parts.h"
#include "report/xls/utf16_text.h"

namespace k4xls {

namespace {

constexpr std::size_t kMaxNumberFormatLength = 255;

} // namespace

StyleObject::StyleObject(WorksheetObject* sheet, const StyleSettings& settings)
    : m_sheet(sheet), m_state(std::make_shared<StyleState>(StyleState{settings, 0}))
{}

Status StyleObject::SetNumberFormat(const char16_t* format)
{
    if (!format)
        return E_POINTER;
    const std::u16string_view text = ViewOf(format);
    if (text.size() > kMaxNumberFormatLength)
        return E_INVALIDARG;
    return Guarded([&] {
        Edit().numberFormat.assign(text);
        return S_OK;
    });
}

Status StyleObject::GetAlignment(IAlignment** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Guarded([&] { return HandOut(new AlignmentObject(this), out); });
}

Status StyleObject::GetFont(IFont** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Guarded([&] { return HandOut(new FontObject(this), out); });
}

Status StyleObject::GetBorders(IBorders** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Guarded([&] { return HandOut(new BordersObject(this), out); });
}

Status StyleObject::GetFill(IFill** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Guarded([&] { return HandOut(new FillObject(this), out); });
}

Status StyleObject::Apply()
{
    m_sheet->Model().SetCurrentStyle(m_state);
    return S_OK;
}

Status StyleObject::Duplicate(IStyle** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Guarded([&] { return HandOut(new StyleObject(m_sheet.Get(), m_state->settings), out); });
}

Status StyleObject::SetStyleFlag(std::int32_t flag)
{
    // Accepted for the callers that set it; it changes nothing in the file.
    m_state->settings.styleFlag = flag;
    return S_OK;
}

} // namespace k4xls
