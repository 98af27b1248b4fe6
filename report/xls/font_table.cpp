#include "report/xls/font_table.h"

#include "report/xls/record_ids.h"

namespace k4xls {

namespace {

constexpr std::uint16_t kFirstExtraIndex = 5;

void WriteFont(BiffWriter& writer, bool bold, bool italic, std::uint16_t colour)
{
    static const char kName[] = "Arial";
    ByteBuffer& out = writer.Out();
    const std::size_t start = writer.Begin(rec::kFont);
    out.U16(200); // 10 points in twips
    // Bit 0 is ignored by Excel, but older readers take bold from it.
    out.U16(static_cast<std::uint16_t>((italic ? 0x0002 : 0x0000) | (bold ? 0x0001 : 0x0000)));
    out.U16(colour);
    out.U16(bold ? 700 : 400);
    out.U16(0); // no super- or subscript
    out.U8(0);  // no underline
    out.U8(2);  // family: swiss
    out.U8(0);  // character set: ANSI
    out.U8(0);
    out.U8(sizeof kName - 1);
    out.U8(0); // one-byte characters
    out.Append(kName, sizeof kName - 1);
    writer.End(start);
}

} // namespace

std::uint16_t FontTable::IndexFor(bool bold, std::uint16_t colourIndex)
{
    if (colourIndex == kAutomaticColour)
        return bold ? 1 : 0;
    for (std::size_t i = 0; i < m_extra.size(); ++i)
        if (m_extra[i].bold == bold && m_extra[i].colour == colourIndex)
            return static_cast<std::uint16_t>(kFirstExtraIndex + i);
    m_extra.push_back(Font{bold, colourIndex});
    return static_cast<std::uint16_t>(kFirstExtraIndex + m_extra.size() - 1);
}

void FontTable::Write(BiffWriter& writer) const
{
    WriteFont(writer, false, false, kAutomaticColour);
    WriteFont(writer, true, false, kAutomaticColour);
    WriteFont(writer, false, true, kAutomaticColour);
    WriteFont(writer, true, true, kAutomaticColour);
    for (const Font& font : m_extra)
        WriteFont(writer, font.bold, false, font.colour);
}

} // namespace k4xls
