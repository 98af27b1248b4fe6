#pragma once
// The compiled formulas of one worksheet, their tokens kept in one buffer.

#include <cstdint>
#include <span>
#include <vector>

namespace k4xls {

class FormulaStore {
public:
    // The tokens are expected at the end of Tokens(), appended by the
    // compiler from `start` on.
    std::uint32_t Seal(std::size_t start)
    {
        m_entries.push_back(
            Entry{static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(m_tokens.size() - start)});
        return static_cast<std::uint32_t>(m_entries.size() - 1);
    }
    std::vector<std::uint8_t>& Tokens() { return m_tokens; }
    std::span<const std::uint8_t> TokensOf(std::uint32_t id) const
    {
        return std::span<const std::uint8_t>(m_tokens).subspan(m_entries[id].offset, m_entries[id].length);
    }
    std::size_t Count() const { return m_entries.size(); }
    std::size_t Bytes() const { return m_tokens.size(); }

private:
    struct Entry {
        std::uint32_t offset;
        std::uint32_t length;
    };
    std::vector<std::uint8_t> m_tokens;
    std::vector<Entry> m_entries;
};

} // namespace k4xls
