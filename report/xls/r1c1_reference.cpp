#include "report/xls/r1c1_reference.h"

#include <algorithm>

namespace k4xls {

namespace {

bool IsLetter(char16_t c, char16_t upper)
{
    return c == upper || c == upper + (u'a' - u'A');
}
bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// A 1-based number up to `max`; leading zeros are allowed.
std::optional<std::uint32_t> ReadNumber(std::u16string_view text, std::size_t& pos, std::uint32_t max)
{
    const std::size_t start = pos;
    std::uint32_t value = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        value = value * 10 + static_cast<std::uint32_t>(text[pos] - u'0');
        if (value > max)
            return std::nullopt;
        ++pos;
    }
    if (pos == start || value == 0)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<CellPosition> ReadR1C1Cell(std::u16string_view text, std::size_t& pos)
{
    std::size_t at = pos;
    if (at >= text.size() || !IsLetter(text[at], u'R'))
        return std::nullopt;
    ++at;
    const auto row = ReadNumber(text, at, 65536);
    if (!row || at >= text.size() || !IsLetter(text[at], u'C'))
        return std::nullopt;
    ++at;
    const auto column = ReadNumber(text, at, 256);
    if (!column)
        return std::nullopt;
    pos = at;
    return CellPosition{*row - 1, static_cast<std::uint16_t>(*column - 1)};
}

std::optional<CellArea> ParseR1C1Area(std::u16string_view text)
{
    std::size_t pos = 0;
    const auto first = ReadR1C1Cell(text, pos);
    if (!first)
        return std::nullopt;
    CellPosition second = *first;
    if (pos < text.size() && text[pos] == u':') {
        ++pos;
        const auto other = ReadR1C1Cell(text, pos);
        if (!other)
            return std::nullopt;
        second = *other;
    }
    if (pos != text.size())
        return std::nullopt;
    return CellArea{std::min(first->row, second.row), std::max(first->row, second.row),
                    std::min(first->column, second.column), std::max(first->column, second.column)};
}

} // namespace k4xls
