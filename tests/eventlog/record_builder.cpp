#include "record_builder.h"

namespace k4::test {

std::vector<std::uint8_t>& TableBuilder::NewRecord(std::uint8_t code, std::uint32_t stamp)
{
    const std::size_t at = m_table.size();
    m_table.resize(at + m_stride, 0);
    m_table[at + 2] = static_cast<std::uint8_t>(m_stride - 6);
    m_table[at + 5] = code;
    m_table[at + 6] = static_cast<std::uint8_t>(stamp);
    m_table[at + 7] = static_cast<std::uint8_t>(stamp >> 8);
    m_table[at + 8] = static_cast<std::uint8_t>(stamp >> 16);
    return m_table;
}

TableBuilder& TableBuilder::Measurement(std::uint8_t code, std::uint32_t stamp, std::uint8_t scale,
                                        std::initializer_list<std::uint16_t> volts,
                                        std::initializer_list<std::uint16_t> amps)
{
    const std::size_t at = m_table.size();
    NewRecord(code, stamp);
    m_table[at + 1] = scale;
    std::size_t field = at + 9;
    for (auto list : {volts, amps})
        for (std::uint16_t v : list) {
            m_table[field++] = static_cast<std::uint8_t>(v);
            m_table[field++] = static_cast<std::uint8_t>(v >> 8);
        }
    return *this;
}

TableBuilder& TableBuilder::Parameter(std::uint8_t code, std::uint32_t stamp, std::uint8_t number, std::uint8_t value)
{
    const std::size_t at = m_table.size();
    NewRecord(code, stamp);
    m_table[at + 9] = number;
    m_table[at + 10] = value;
    return *this;
}

TableBuilder& TableBuilder::Stamped(std::uint8_t code, std::uint32_t stamp)
{
    NewRecord(code, stamp);
    return *this;
}

TableBuilder& TableBuilder::Empty()
{
    const std::size_t at = m_table.size();
    NewRecord(0xFF, 0xFFFFFF);
    m_table[at + 1] = 0xFF;
    return *this;
}

} // namespace k4::test
