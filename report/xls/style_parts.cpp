#include "report/xls/style_parts.h"

namespace k4xls {

namespace {

bool IsRgb(std::int32_t rgb)
{
    return rgb >= 0 && rgb <= 0xFFFFFF;
}

// BIFF line styles: 0 none, 1 thin, up to 13 slanted dash-dot.
constexpr std::int32_t kLastLineStyle = 13;

} // namespace

Status AlignmentObject::SetHorizontal(std::int32_t value)
{
    // 0 general, 1 left, 2 centre, 3 right: stored as given.
    if (value < 0 || value > 3)
        return E_INVALIDARG;
    m_style->Edit().horizontal = static_cast<std::uint8_t>(value);
    return S_OK;
}

Status AlignmentObject::SetVertical(std::int32_t value)
{
    // 1 top, 2 centre, 3 bottom; stored one lower.
    if (value < 1 || value > 3)
        return E_INVALIDARG;
    m_style->Edit().vertical = static_cast<std::uint8_t>(value - 1);
    return S_OK;
}

Status AlignmentObject::SetWrap(std::int32_t on)
{
    m_style->Edit().wrap = on != 0;
    return S_OK;
}

Status AlignmentObject::SetRotation(std::int32_t degrees)
{
    // Counter-clockwise angles are stored as they are; clockwise ones
    // (negative) as 90 plus the angle, so -90 (reading top to bottom) is 180.
    if (degrees < -90 || degrees > 90)
        return E_INVALIDARG;
    m_style->Edit().rotation = static_cast<std::uint8_t>(degrees >= 0 ? degrees : 90 - degrees);
    return S_OK;
}

Status FontObject::SetBold(std::int32_t on)
{
    m_style->Edit().font.bold = on != 0;
    return S_OK;
}

Status FontObject::SetColour(std::int32_t rgb)
{
    if (!IsRgb(rgb))
        return E_INVALIDARG;
    m_style->Edit().font.colour = rgb;
    return S_OK;
}

Status BorderSideObject::SetLine(std::int32_t line)
{
    if (line < 0 || line > kLastLineStyle)
        return E_INVALIDARG;
    m_style->Edit().borders[m_side] = static_cast<std::uint8_t>(line);
    return S_OK;
}

Status BordersObject::Side(BorderSideIndex side, IBorderSide** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Guarded([&] { return HandOut(new BorderSideObject(m_style.Get(), side), out); });
}

Status FillObject::SetColour(std::int32_t rgb)
{
    if (!IsRgb(rgb))
        return E_INVALIDARG;
    m_style->Edit().fill = rgb;
    return S_OK;
}

} // namespace k4xls
