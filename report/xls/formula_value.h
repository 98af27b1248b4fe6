#pragma once
// Values met while calculating a formula.

#include <cstdint>
#include <string_view>

#include "report/xls/cell_area.h"

namespace k4xls {

namespace error {
inline constexpr std::uint8_t kDivideByZero = 0x07;
inline constexpr std::uint8_t kValue = 0x0F;
inline constexpr std::uint8_t kNumber = 0x24;
} // namespace error

struct FormulaValue {
    enum class Kind : std::uint8_t { Empty, Number, Boolean, Text, Error, Reference };

    Kind kind = Kind::Empty;
    std::uint8_t error = 0;
    double number = 0;        // Number; Boolean as 0 or 1
    std::u16string_view text; // Text
    CellArea area;            // Reference

    static FormulaValue Number(double n) { return FormulaValue{Kind::Number, 0, n, {}, {}}; }
    static FormulaValue Boolean(bool b) { return FormulaValue{Kind::Boolean, 0, b ? 1.0 : 0.0, {}, {}}; }
    static FormulaValue Error(std::uint8_t code) { return FormulaValue{Kind::Error, code, 0, {}, {}}; }
    static FormulaValue Text(std::u16string_view t) { return FormulaValue{Kind::Text, 0, 0, t, {}}; }
    static FormulaValue Reference(const CellArea& a) { return FormulaValue{Kind::Reference, 0, 0, {}, a}; }
};

// The sheet as a formula sees it.
class CellValueSource {
public:
    // A cell's value: Empty, Number, Boolean, Text or Error.
    virtual FormulaValue ValueAt(std::uint32_t row, std::uint16_t column) = 0;

    // Calls `visit` with the value of every non-empty cell of `area`, row by
    // row, until it returns false.
    class Visitor {
    public:
        virtual bool Visit(const FormulaValue& value) = 0;

    protected:
        ~Visitor() = default;
    };
    virtual void VisitArea(const CellArea& area, Visitor& visit) = 0;

protected:
    ~CellValueSource() = default;
};

} // namespace k4xls
