#include "report/xls/drawing_records.h"

#include <algorithm>
#include <cassert>

#include "report/xls/record_ids.h"

namespace k4xls {

namespace {

namespace art {
constexpr std::uint16_t kDggContainer = 0xF000;
constexpr std::uint16_t kBStoreContainer = 0xF001;
constexpr std::uint16_t kDgContainer = 0xF002;
constexpr std::uint16_t kSpgrContainer = 0xF003;
constexpr std::uint16_t kSpContainer = 0xF004;
constexpr std::uint16_t kDgg = 0xF006;
constexpr std::uint16_t kBse = 0xF007;
constexpr std::uint16_t kDg = 0xF008;
constexpr std::uint16_t kSpgr = 0xF009;
constexpr std::uint16_t kSp = 0xF00A;
constexpr std::uint16_t kOpt = 0xF00B;
constexpr std::uint16_t kClientAnchor = 0xF010;
constexpr std::uint16_t kClientData = 0xF011;
constexpr std::uint16_t kBlipPng = 0xF01E;
constexpr std::uint16_t kSplitMenuColours = 0xF11E;

constexpr std::uint16_t kContainerVersion = 0xF;
constexpr std::uint16_t kBlipTypePng = 6;
constexpr std::uint16_t kBlipPngInstance = 0x6E0;
constexpr std::uint16_t kPictureFrameShape = 75;
} // namespace art

constexpr std::uint32_t kHeaderSize = 8;
constexpr std::uint32_t kBseFixedSize = 36;
constexpr std::uint32_t kBlipPrefixSize = 17; // digest and tag before the PNG bytes
constexpr std::uint32_t kOptSize = 3 * 6;
constexpr std::uint32_t kSplitMenuColoursSize = 16;
constexpr std::uint32_t kAnchorSize = 18;
constexpr std::uint32_t kPictureContainerSize =
    (kHeaderSize + 8) + (kHeaderSize + kOptSize) + (kHeaderSize + kAnchorSize) + (kHeaderSize + 0);
constexpr std::uint32_t kGroupContainerSize = (kHeaderSize + 16) + (kHeaderSize + 8);

void Header(ByteBuffer& out, std::uint16_t version, std::uint16_t instance, std::uint16_t type, std::uint32_t length)
{
    out.U16(static_cast<std::uint16_t>(version | (instance << 4)));
    out.U16(type);
    out.U32(length);
}

void Property(ByteBuffer& out, std::uint16_t id, std::uint32_t value)
{
    out.U16(id);
    out.U32(value);
}

std::uint32_t BlipRecordSize(const StoredPicture& picture)
{
    return kHeaderSize + kBlipPrefixSize + static_cast<std::uint32_t>(picture.png.size());
}

void WriteBlipStoreEntry(ByteBuffer& out, const StoredPicture& picture)
{
    Header(out, 2, art::kBlipTypePng, art::kBse, kBseFixedSize + BlipRecordSize(picture));
    out.U8(art::kBlipTypePng); // type for Windows
    out.U8(art::kBlipTypePng); // type for the Mac
    out.Append(picture.digest.data(), picture.digest.size());
    out.U16(0x00FF); // tag
    out.U32(BlipRecordSize(picture));
    out.U32(picture.uses);
    out.U32(0); // embedded here, not in a delay stream
    out.U8(0);
    out.U8(0); // no name
    out.U8(0);
    out.U8(0);

    Header(out, 0, art::kBlipPngInstance, art::kBlipPng,
           kBlipPrefixSize + static_cast<std::uint32_t>(picture.png.size()));
    out.Append(picture.digest.data(), picture.digest.size());
    out.U8(0xFF);
    out.Append(picture.png.data(), picture.png.size());
}

void WritePictureShape(ByteBuffer& out, std::uint32_t shapeId, const PlacedPicture& picture)
{
    Header(out, art::kContainerVersion, 0, art::kSpContainer, kPictureContainerSize);
    Header(out, 2, art::kPictureFrameShape, art::kSp, 8);
    out.U32(shapeId);
    out.U32(0x0A00); // has an anchor, has a shape type

    Header(out, 3, 3, art::kOpt, kOptSize);
    Property(out, 0x4104, picture.blip); // the picture, by blip store index
    Property(out, 0x01BF, 0x00010000);   // fill style
    Property(out, 0x03BF, 0x00080000);   // line style

    const PictureAnchor& a = picture.anchor;
    Header(out, 0, 0, art::kClientAnchor, kAnchorSize);
    out.U16(2); // moves with the cells, keeps its size
    out.U16(a.column1);
    out.U16(a.dx1);
    out.U16(a.row1);
    out.U16(a.dy1);
    out.U16(a.column2);
    out.U16(a.dx2);
    out.U16(a.row2);
    out.U16(a.dy2);

    Header(out, 0, 0, art::kClientData, 0);
}

void WritePictureObject(BiffWriter& writer, std::uint16_t objectId)
{
    ByteBuffer& out = writer.Out();
    const std::size_t start = writer.Begin(rec::kObj);
    out.U16(0x0015); // common object data
    out.U16(0x0012);
    out.U16(0x0008); // picture
    out.U16(objectId);
    out.U16(0x6011); // locked, printed, automatic fill and line
    out.Zeros(12);
    out.U16(0x0007); // clipboard format
    out.U16(0x0002);
    out.U16(0xFFFF);
    out.U16(0x0008); // picture flags
    out.U16(0x0002);
    out.U16(0x0001);
    out.U32(0); // end
    writer.End(start);
}

} // namespace

void WriteDrawingGroup(BiffWriter& writer, const PictureStore& pictures, std::span<const DrawingSummary> drawings)
{
    std::uint32_t blipStoreSize = 0;
    for (const StoredPicture& picture : pictures.All())
        blipStoreSize += kHeaderSize + kBseFixedSize + BlipRecordSize(picture);
    const std::uint32_t dggSize = 16 + 8 * static_cast<std::uint32_t>(drawings.size());
    const std::uint32_t containerSize = (kHeaderSize + dggSize) + (kHeaderSize + blipStoreSize) +
                                        (kHeaderSize + kOptSize) + (kHeaderSize + kSplitMenuColoursSize);

    std::uint32_t maxShapeId = 0;
    std::uint32_t shapes = 0;
    for (const DrawingSummary& drawing : drawings) {
        const std::uint32_t used = drawing.pictures + 1; // the pictures and their group
        maxShapeId = std::max(maxShapeId, drawing.drawingId * kShapeIdsPerDrawing + used);
        shapes += used;
    }

    ByteBuffer out;
    out.Reserve(kHeaderSize + containerSize);
    Header(out, art::kContainerVersion, 0, art::kDggContainer, containerSize);

    Header(out, 0, 0, art::kDgg, dggSize);
    out.U32(maxShapeId);
    out.U32(static_cast<std::uint32_t>(drawings.size()) + 1);
    out.U32(shapes);
    out.U32(static_cast<std::uint32_t>(drawings.size()));
    for (const DrawingSummary& drawing : drawings) {
        out.U32(drawing.drawingId);
        out.U32(drawing.pictures + 1);
    }

    Header(out, art::kContainerVersion, static_cast<std::uint16_t>(pictures.All().size()), art::kBStoreContainer,
           blipStoreSize);
    for (const StoredPicture& picture : pictures.All())
        WriteBlipStoreEntry(out, picture);

    Header(out, 3, 3, art::kOpt, kOptSize);
    Property(out, 0x00BF, 0x00080008); // text: fit shape to text
    Property(out, 0x0181, 0x08000041); // fill colour
    Property(out, 0x01C0, 0x08000040); // line colour

    Header(out, 0, 4, art::kSplitMenuColours, kSplitMenuColoursSize);
    out.U32(0x0800000D);
    out.U32(0x0800000C);
    out.U32(0x08000017);
    out.U32(0x100000F7);

    assert(out.Size() == kHeaderSize + containerSize);
    writer.Continued(rec::kMsoDrawingGroup, out.Data(), out.Size());
}

void WriteSheetDrawing(BiffWriter& writer, std::uint32_t drawingId, std::span<const PlacedPicture> pictures)
{
    const auto count = static_cast<std::uint32_t>(pictures.size());
    const std::uint32_t groupSize = (kHeaderSize + kGroupContainerSize) + count * (kHeaderSize + kPictureContainerSize);
    const std::uint32_t drawingSize = (kHeaderSize + 8) + (kHeaderSize + groupSize);
    const std::uint32_t firstShapeId = drawingId * kShapeIdsPerDrawing;

    for (std::uint32_t i = 0; i < count; ++i) {
        ByteBuffer& out = writer.Out();
        const std::size_t start = writer.Begin(rec::kMsoDrawing);
        if (i == 0) {
            // The containers open in the first record and span the ones after.
            Header(out, art::kContainerVersion, 0, art::kDgContainer, drawingSize);
            Header(out, 0, static_cast<std::uint16_t>(drawingId), art::kDg, 8);
            out.U32(count + 1);
            out.U32(firstShapeId + count);
            Header(out, art::kContainerVersion, 0, art::kSpgrContainer, groupSize);
            Header(out, art::kContainerVersion, 0, art::kSpContainer, kGroupContainerSize);
            Header(out, 1, 0, art::kSpgr, 16);
            out.Zeros(16);
            Header(out, 2, 0, art::kSp, 8);
            out.U32(firstShapeId);
            out.U32(0x0005); // group, patriarch
        }
        WritePictureShape(out, firstShapeId + 1 + i, pictures[i]);
        writer.End(start);
        WritePictureObject(writer, static_cast<std::uint16_t>(i + 1));
    }
}

} // namespace k4xls
