#include "report/xls/rich_text_object.h"

#include "report/xls/style_object.h"
#include "report/xls/utf16_text.h"

namespace k4xls {

Status RichTextObject::AppendRun(const char16_t* text, IStyle* fontOf)
{
    if (!text || !fontOf)
        return E_POINTER;
    // Only this component's styles carry settings it can read.
    const auto* style = dynamic_cast<StyleObject*>(fontOf);
    if (!style)
        return E_INVALIDARG;
    const std::u16string_view run = ViewOf(text);
    if (m_text.size() + run.size() > WorksheetModel::kMaxTextLength)
        return E_INVALIDARG;
    if (run.empty())
        return S_OK;
    return Guarded([&] {
        m_runs.push_back(RichRunSettings{static_cast<std::uint16_t>(m_text.size()), style->Settings().font});
        m_text += run;
        return S_OK;
    });
}

} // namespace k4xls
