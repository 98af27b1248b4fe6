#pragma once
// Compiles formula texts to BIFF8 token streams.
//
// Accepted: an optional leading "="; numbers; absolute R1C1 cell and area
// references (R7C9, R13C13:R13C15); + - * / and the comparisons
// = <> < > <= >=; unary minus and plus; parentheses; the functions IF,
// MAX, AVERAGE, ABS and NOW with arguments separated by ";" (or ",").

#include <cstdint>
#include <string_view>
#include <vector>

#include "report/xls/cell_area.h"

namespace k4xls {

class FormulaCompiler {
public:
    // Excel's limit for the tokens of one cell formula.
    static constexpr std::size_t kMaxTokenBytes = 1800;
    static constexpr std::size_t kMaxTextLength = 8192;

    // Appends the tokens of `text` to `tokens`; false, with `tokens` as it
    // was, when the text is not a formula this compiler accepts.
    bool Compile(std::u16string_view text, std::vector<std::uint8_t>& tokens);

private:
    enum class NodeKind : std::uint8_t { Number, Cell, Area, Unary, Binary, Paren, Function };
    enum class OperandClass : std::uint8_t { Reference, Value };

    struct Node {
        NodeKind kind;
        std::uint8_t op = 0;        // token of Unary and Binary
        std::uint16_t function = 0; // function number
        double number = 0;
        CellArea area{};        // Cell and Area
        std::uint32_t left = 0; // operand of Unary, Paren; left of Binary
        std::uint32_t right = 0;
        std::uint32_t firstArgument = 0; // into m_arguments
        std::uint32_t argumentCount = 0;
        std::uint32_t height = 1; // levels of the tree below and including this node
    };

    // Parsing: each returns a node index, or kFailed.
    static constexpr std::uint32_t kFailed = 0xFFFFFFFFu;
    std::uint32_t ParseComparison();
    std::uint32_t ParseAdditive();
    std::uint32_t ParseTerm();
    std::uint32_t ParseUnary();
    std::uint32_t ParsePrimary();
    std::uint32_t ParseNumber();
    std::uint32_t ParseNameOrReference();
    std::uint32_t ParseFunctionCall(std::size_t function);

    std::uint32_t AddNode(const Node& node);
    void SkipSpaces();
    bool Take(char16_t c);
    bool Enter();
    void Leave() { --m_depth; }

    void Emit(std::uint32_t node, OperandClass operandClass, std::vector<std::uint8_t>& out) const;

    std::u16string_view m_text;
    std::size_t m_pos = 0;
    int m_depth = 0;
    bool m_volatile = false;
    std::vector<Node> m_nodes;
    std::vector<std::uint32_t> m_arguments;
};

} // namespace k4xls
