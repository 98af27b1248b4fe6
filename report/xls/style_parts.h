#pragma once
// The parts of a style handed out for setting: alignment, font, borders
// with their four sides, and fill. Each holds a reference to its style.

#include "report/xls/ref_counted.h"
#include "report/xls/style_object.h"

namespace k4xls {

class AlignmentObject final : public RefCounted<IAlignment> {
public:
    explicit AlignmentObject(StyleObject* style) : m_style(style) {}
    Status SetHorizontal(std::int32_t value) override;
    Status SetVertical(std::int32_t value) override;
    Status SetWrap(std::int32_t on) override;
    Status SetRotation(std::int32_t degrees) override;

private:
    RefPtr<StyleObject> m_style;
};

class FontObject final : public RefCounted<IFont> {
public:
    explicit FontObject(StyleObject* style) : m_style(style) {}
    Status SetBold(std::int32_t on) override;
    Status SetColour(std::int32_t rgb) override;

private:
    RefPtr<StyleObject> m_style;
};

class BorderSideObject final : public RefCounted<IBorderSide> {
public:
    BorderSideObject(StyleObject* style, BorderSideIndex side) : m_style(style), m_side(side) {}
    Status SetLine(std::int32_t line) override;

private:
    RefPtr<StyleObject> m_style;
    BorderSideIndex m_side;
};

class BordersObject final : public RefCounted<IBorders> {
public:
    explicit BordersObject(StyleObject* style) : m_style(style) {}
    Status GetLeft(IBorderSide** out) override { return Side(kBorderLeft, out); }
    Status GetRight(IBorderSide** out) override { return Side(kBorderRight, out); }
    Status GetTop(IBorderSide** out) override { return Side(kBorderTop, out); }
    Status GetBottom(IBorderSide** out) override { return Side(kBorderBottom, out); }

private:
    Status Side(BorderSideIndex side, IBorderSide** out);

    RefPtr<StyleObject> m_style;
};

class FillObject final : public RefCounted<IFill> {
public:
    explicit FillObject(StyleObject* style) : m_style(style) {}
    Status SetColour(std::int32_t rgb) override;

private:
    RefPtr<StyleObject> m_style;
};

} // namespace k4xls
