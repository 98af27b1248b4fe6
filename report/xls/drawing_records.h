#pragma once
// OfficeArt drawing records: the workbook's drawing group with its blip
// store (MSODRAWINGGROUP) and each sheet's drawing of pictures
// (MSODRAWING + OBJ per picture).

#include <cstdint>
#include <span>

#include "report/xls/biff_writer.h"
#include "report/xls/picture_store.h"

namespace k4xls {

// Anchor corners: 0-based cells, offsets in 1/1024 of the column width
// (dx) and 1/256 of the row height (dy).
struct PictureAnchor {
    std::uint16_t column1, dx1;
    std::uint16_t row1, dy1;
    std::uint16_t column2, dx2;
    std::uint16_t row2, dy2;
};

struct PlacedPicture {
    std::uint32_t blip; // 1-based index into the picture store
    PictureAnchor anchor;
};

struct DrawingSummary {
    std::uint32_t drawingId; // 1-based
    std::uint32_t pictures;
};

// The shapes of drawing d take the ids d*1024 (the group) upward.
inline constexpr std::uint32_t kShapeIdsPerDrawing = 1024;
inline constexpr std::size_t kMaxPicturesPerSheet = kShapeIdsPerDrawing - 1;

void WriteDrawingGroup(BiffWriter& writer, const PictureStore& pictures, std::span<const DrawingSummary> drawings);

void WriteSheetDrawing(BiffWriter& writer, std::uint32_t drawingId, std::span<const PlacedPicture> pictures);

} // namespace k4xls
