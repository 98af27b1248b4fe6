#pragma once
// The distinct cell texts of a workbook, plain or with formatting runs,
// each under a stable id; the shared string table is built from them.

#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace k4xls {

// From character `position` on, the text takes font record `font`.
struct RichRun {
    std::uint16_t position;
    std::uint16_t font;
};

class StringTable {
public:
    std::uint32_t AddPlain(std::u16string_view text);
    std::uint32_t AddRich(std::u16string_view text, std::span<const RichRun> runs);

    std::size_t Count() const { return m_entries.size(); }
    std::u16string_view Text(std::uint32_t id) const { return m_entries[id].text; }
    std::span<const RichRun> Runs(std::uint32_t id) const
    {
        const Entry& e = m_entries[id];
        return std::span<const RichRun>(m_runs).subspan(e.firstRun, e.runCount);
    }

private:
    struct Entry {
        std::u16string_view text;
        std::uint32_t firstRun;
        std::uint32_t runCount;
    };

    // A deque keeps the stored strings in place, so the views into them
    // that the lookups and entries hold stay valid.
    std::deque<std::u16string> m_storage;
    std::vector<Entry> m_entries;
    std::vector<RichRun> m_runs;
    std::unordered_map<std::u16string_view, std::uint32_t> m_plainIds;
    std::unordered_map<std::u16string_view, std::uint32_t> m_richIds;
};

} // namespace k4xls
