#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace k4::test {

// Builds event tables and images byte by byte for the tests.
class TableBuilder {
public:
    explicit TableBuilder(std::size_t stride = 21) : m_stride(stride) {}

    TableBuilder& Measurement(std::uint8_t code, std::uint32_t stamp, std::uint8_t scale,
                              std::initializer_list<std::uint16_t> volts, std::initializer_list<std::uint16_t> amps);
    TableBuilder& Parameter(std::uint8_t code, std::uint32_t stamp, std::uint8_t number, std::uint8_t value);
    TableBuilder& Stamped(std::uint8_t code, std::uint32_t stamp);
    TableBuilder& Empty();

    const std::vector<std::uint8_t>& Table() const { return m_table; }
    std::uint16_t Length() const { return static_cast<std::uint16_t>(m_table.size()); }

private:
    std::vector<std::uint8_t>& NewRecord(std::uint8_t code, std::uint32_t stamp);
    std::size_t m_stride;
    std::vector<std::uint8_t> m_table;
};

} // namespace k4::test
