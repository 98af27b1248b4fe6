#pragma once
// The workbook's custom number formats (FORMAT records, ids from 164).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/xls/biff_writer.h"

namespace k4xls {

class NumberFormats {
public:
    static constexpr std::uint16_t kGeneral = 0;
    static constexpr std::uint16_t kFirstCustomId = 164;

    // Enough for any workbook Excel opens, and ids stay within 16 bits.
    static constexpr std::size_t kMaxCustom = 4000;

    // An empty text or "General" is the built-in General format. Empty
    // when the table is full.
    std::optional<std::uint16_t> IdFor(std::u16string_view format);

    void Write(BiffWriter& writer) const;

private:
    std::vector<std::u16string> m_custom;
};

} // namespace k4xls
