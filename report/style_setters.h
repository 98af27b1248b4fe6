#pragma once
#include <cstdint>
#include <string_view>

#include "report/xls/k4xls.h"

namespace k4 {

// One setting each; the style's sub-object that holds it is fetched, set
// and released within the call.

inline constexpr std::int32_t kColourBlack = 0x000000;
inline constexpr std::int32_t kColourWhite = 0xFFFFFF;
inline constexpr std::int32_t kColourEntryFill = 0xFFFF96;
inline constexpr std::int32_t kColourTripRed = 0xFF0000;
inline constexpr std::int32_t kColourFlagsBlue = 0x0000FF;
inline constexpr std::int32_t kColourParameterGreen = 0x009900;

inline constexpr std::int32_t kAlignLeft = 1;
inline constexpr std::int32_t kAlignCentre = 2;
inline constexpr std::int32_t kAlignRight = 3;
inline constexpr std::int32_t kVerticalCentre = 2;

inline constexpr std::int32_t kBorderNone = 0;
inline constexpr std::int32_t kBorderThin = 1;

void SetFontColour(k4xls::IStyle& style, std::int32_t rgb);
void SetBold(k4xls::IStyle& style);
void SetFillColour(k4xls::IStyle& style, std::int32_t rgb);
void SetHorizontal(k4xls::IStyle& style, std::int32_t alignment);
void SetVertical(k4xls::IStyle& style, std::int32_t alignment);
void SetWrap(k4xls::IStyle& style);
void SetRotation(k4xls::IStyle& style, std::int32_t degrees);
// The same line on all four sides.
void SetBorders(k4xls::IStyle& style, std::int32_t line);
void SetNumberFormat(k4xls::IStyle& style, std::string_view format);
void SetStyleFlag(k4xls::IStyle& style, std::int32_t flag);

} // namespace k4
