#pragma once
// What a style says about a cell's look, in the component's own terms.

#include <array>
#include <cstdint>
#include <string>

namespace k4xls {

inline constexpr std::int32_t kNoColour = -1;

struct FontSettings {
    bool bold = false;
    std::int32_t colour = kNoColour; // 0xRRGGBB, or automatic
    bool operator==(const FontSettings&) const = default;
};

enum BorderSideIndex : std::size_t { kBorderLeft, kBorderRight, kBorderTop, kBorderBottom };

struct StyleSettings {
    FontSettings font;
    std::int32_t fill = kNoColour; // solid fill 0xRRGGBB, or none
    std::uint8_t horizontal = 0;   // stored codes: 0 general, 1 left, 2 centre, 3 right
    std::uint8_t vertical = 2;     // stored codes: 0 top, 1 centre, 2 bottom
    bool wrap = false;
    std::uint8_t rotation = 0;             // stored byte: 0-90 up, 91-180 down
    std::array<std::uint8_t, 4> borders{}; // line style per BorderSideIndex
    std::u16string numberFormat;           // empty: General
    std::int32_t styleFlag = 0;            // kept for duplicates; no effect on the file
};

// A style's settings shared with the sheet it was applied to. The version
// tells when the XF index found for them last has gone stale; styles are
// applied over and over, their settings rarely change.
struct StyleState {
    StyleSettings settings;
    std::uint64_t version = 0;

    const void* resolvedIn = nullptr; // the workbook whose XF table was searched
    std::uint64_t resolvedVersion = 0;
    std::uint16_t resolvedXf = 0;
};

} // namespace k4xls
