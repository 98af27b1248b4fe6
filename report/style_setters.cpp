#include "report/style_setters.h"

#include "report/component_call.h"
#include "report/utf16_from_utf8.h"

namespace k4 {

using namespace k4xls;

void SetFontColour(IStyle& style, std::int32_t rgb)
{
    Call(Fetch(&style, &IStyle::GetFont), &IFont::SetColour, rgb);
}

void SetBold(IStyle& style)
{
    Call(Fetch(&style, &IStyle::GetFont), &IFont::SetBold, 1);
}

void SetFillColour(IStyle& style, std::int32_t rgb)
{
    Call(Fetch(&style, &IStyle::GetFill), &IFill::SetColour, rgb);
}

void SetHorizontal(IStyle& style, std::int32_t alignment)
{
    Call(Fetch(&style, &IStyle::GetAlignment), &IAlignment::SetHorizontal, alignment);
}

void SetVertical(IStyle& style, std::int32_t alignment)
{
    Call(Fetch(&style, &IStyle::GetAlignment), &IAlignment::SetVertical, alignment);
}

void SetWrap(IStyle& style)
{
    Call(Fetch(&style, &IStyle::GetAlignment), &IAlignment::SetWrap, 1);
}

void SetRotation(IStyle& style, std::int32_t degrees)
{
    Call(Fetch(&style, &IStyle::GetAlignment), &IAlignment::SetRotation, degrees);
}

void SetBorders(IStyle& style, std::int32_t line)
{
    const ComRef<IBorders> borders = Fetch(&style, &IStyle::GetBorders);
    for (auto side : {&IBorders::GetLeft, &IBorders::GetRight, &IBorders::GetTop, &IBorders::GetBottom})
        Call(Fetch(borders, side), &IBorderSide::SetLine, line);
}

void SetNumberFormat(IStyle& style, std::string_view format)
{
    Call(&style, &IStyle::SetNumberFormat, Utf16FromUtf8(format).c_str());
}

void SetStyleFlag(IStyle& style, std::int32_t flag)
{
    Call(&style, &IStyle::SetStyleFlag, flag);
}

} // namespace k4
