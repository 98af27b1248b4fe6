#include "report/xls/number_formats.h"

#include "report/xls/record_ids.h"
#include "report/xls/utf16_text.h"

namespace k4xls {

namespace {

bool IsGeneral(std::u16string_view format)
{
    static constexpr std::u16string_view kGeneralName = u"general";
    if (format.size() != kGeneralName.size())
        return false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        char16_t c = format[i];
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != kGeneralName[i])
            return false;
    }
    return true;
}

} // namespace

std::optional<std::uint16_t> NumberFormats::IdFor(std::u16string_view format)
{
    if (format.empty() || IsGeneral(format))
        return kGeneral;
    for (std::size_t i = 0; i < m_custom.size(); ++i)
        if (m_custom[i] == format)
            return static_cast<std::uint16_t>(kFirstCustomId + i);
    if (m_custom.size() == kMaxCustom)
        return std::nullopt;
    m_custom.emplace_back(format);
    return static_cast<std::uint16_t>(kFirstCustomId + m_custom.size() - 1);
}

void NumberFormats::Write(BiffWriter& writer) const
{
    for (std::size_t i = 0; i < m_custom.size(); ++i) {
        const std::u16string& format = m_custom[i];
        const bool oneByte = FitsInOneByte(format);
        const std::size_t start = writer.Begin(rec::kFormat);
        writer.Out().U16(static_cast<std::uint16_t>(kFirstCustomId + i));
        writer.Out().U16(static_cast<std::uint16_t>(format.size()));
        writer.Out().U8(oneByte ? 0 : 1);
        for (const char16_t c : format) {
            if (oneByte)
                writer.Out().U8(static_cast<std::uint8_t>(c));
            else
                writer.Out().U16(c);
        }
        writer.End(start);
    }
}

} // namespace k4xls
