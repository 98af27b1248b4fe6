#include "report/xls/string_table.h"

namespace k4xls {

std::uint32_t StringTable::AddPlain(std::u16string_view text)
{
    if (const auto found = m_plainIds.find(text); found != m_plainIds.end())
        return found->second;
    const std::u16string_view stored = m_storage.emplace_back(text);
    const auto id = static_cast<std::uint32_t>(m_entries.size());
    m_entries.push_back(Entry{stored, 0, 0});
    m_plainIds.emplace(stored, id);
    return id;
}

std::uint32_t StringTable::AddRich(std::u16string_view text, std::span<const RichRun> runs)
{
    // The key is the text, a terminator no cell text contains, then the runs.
    std::u16string key(text);
    key += u'\0';
    for (const RichRun& run : runs) {
        key += static_cast<char16_t>(run.position);
        key += static_cast<char16_t>(run.font);
    }
    if (const auto found = m_richIds.find(key); found != m_richIds.end())
        return found->second;
    const std::u16string_view stored = m_storage.emplace_back(std::move(key));
    const auto id = static_cast<std::uint32_t>(m_entries.size());
    m_entries.push_back(Entry{stored.substr(0, text.size()), static_cast<std::uint32_t>(m_runs.size()),
                              static_cast<std::uint32_t>(runs.size())});
    m_runs.insert(m_runs.end(), runs.begin(), runs.end());
    m_richIds.emplace(stored, id);
    return id;
}

} // namespace k4xls
