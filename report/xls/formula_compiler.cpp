#include "report/xls/formula_compiler.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

#include "report/xls/formula_tokens.h"
#include "report/xls/r1c1_reference.h"

namespace k4xls {

namespace {

struct FunctionInfo {
    std::u16string_view name;
    std::uint16_t number;
    std::uint8_t minArguments;
    std::uint8_t maxArguments;
    bool fixedArguments;  // fixed-count functions use the shorter token
    bool takesReferences; // arguments may be areas, compiled as references
    bool isVolatile;
};

constexpr int kMaxNesting = 64;
// Emitting and evaluating walk the tree recursively; a bounded height keeps
// that within any thread's stack.
constexpr std::uint32_t kMaxTreeHeight = 256;
constexpr std::size_t kMaxArguments = 30;

constexpr std::array<FunctionInfo, 5> kFunctions{{
    {u"IF", fn::kIf, 2, 3, false, false, false},
    {u"AVERAGE", fn::kAverage, 1, kMaxArguments, false, true, false},
    {u"MAX", fn::kMax, 1, kMaxArguments, false, true, false},
    {u"ABS", fn::kAbs, 1, 1, true, false, false},
    {u"NOW", fn::kNow, 0, 0, true, false, true},
}};

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}
bool IsLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}
char16_t Upper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool SameNameIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutDouble(std::vector<std::uint8_t>& out, double value)
{
    std::uint8_t raw[8];
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i)
        raw[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    out.insert(out.end(), raw, raw + 8);
}

} // namespace

bool FormulaCompiler::Compile(std::u16string_view text, std::vector<std::uint8_t>& tokens)
{
    if (text.size() > kMaxTextLength)
        return false;
    m_text = text;
    m_pos = 0;
    m_depth = 0;
    m_volatile = false;
    m_nodes.clear();
    m_arguments.clear();

    SkipSpaces();
    Take(u'=');
    const std::uint32_t root = ParseComparison();
    SkipSpaces();
    if (root == kFailed || m_pos != m_text.size())
        return false;

    const std::size_t start = tokens.size();
    if (m_volatile) {
        // A formula calling a volatile function says so in its first token.
        tokens.push_back(ptg::kAttr);
        tokens.push_back(ptg::kAttrVolatile);
        Put16(tokens, 0);
    }
    Emit(root, OperandClass::Value, tokens);
    if (tokens.size() - start > kMaxTokenBytes) {
        tokens.resize(start);
        return false;
    }
    return true;
}

void FormulaCompiler::SkipSpaces()
{
    while (m_pos < m_text.size() && (m_text[m_pos] == u' ' || m_text[m_pos] == u'\t'))
        ++m_pos;
}

bool FormulaCompiler::Take(char16_t c)
{
    SkipSpaces();
    if (m_pos < m_text.size() && m_text[m_pos] == c) {
        ++m_pos;
        return true;
    }
    return false;
}

bool FormulaCompiler::Enter()
{
    return ++m_depth <= kMaxNesting;
}

std::uint32_t FormulaCompiler::AddNode(const Node& node)
{
    std::uint32_t below = 0;
    switch (node.kind) {
    case NodeKind::Unary:
    case NodeKind::Paren: below = m_nodes[node.left].height; break;
    case NodeKind::Binary: below = std::max(m_nodes[node.left].height, m_nodes[node.right].height); break;
    case NodeKind::Function:
        for (std::uint32_t i = 0; i < node.argumentCount; ++i)
            below = std::max(below, m_nodes[m_arguments[node.firstArgument + i]].height);
        break;
    default: break;
    }
    if (below + 1 > kMaxTreeHeight)
        return kFailed;
    m_nodes.push_back(node);
    m_nodes.back().height = below + 1;
    return static_cast<std::uint32_t>(m_nodes.size() - 1);
}

std::uint32_t FormulaCompiler::ParseComparison()
{
    std::uint32_t left = ParseAdditive();
    while (left != kFailed) {
        SkipSpaces();
        std::uint8_t op = 0;
        const std::u16string_view rest = m_text.substr(m_pos);
        if (rest.starts_with(u"<=")) {
            op = ptg::kLe;
        } else if (rest.starts_with(u">=")) {
            op = ptg::kGe;
        } else if (rest.starts_with(u"<>")) {
            op = ptg::kNe;
        } else if (rest.starts_with(u"<")) {
            op = ptg::kLt;
        } else if (rest.starts_with(u">")) {
            op = ptg::kGt;
        } else if (rest.starts_with(u"=")) {
            op = ptg::kEq;
        } else {
            break;
        }
        m_pos += (op == ptg::kLt || op == ptg::kGt || op == ptg::kEq) ? 1 : 2;
        const std::uint32_t right = ParseAdditive();
        if (right == kFailed)
            return kFailed;
        left = AddNode(Node{.kind = NodeKind::Binary, .op = op, .left = left, .right = right});
    }
    return left;
}

std::uint32_t FormulaCompiler::ParseAdditive()
{
    std::uint32_t left = ParseTerm();
    while (left != kFailed) {
        std::uint8_t op = 0;
        if (Take(u'+'))
            op = ptg::kAdd;
        else if (Take(u'-'))
            op = ptg::kSub;
        else
            break;
        const std::uint32_t right = ParseTerm();
        if (right == kFailed)
            return kFailed;
        left = AddNode(Node{.kind = NodeKind::Binary, .op = op, .left = left, .right = right});
    }
    return left;
}

std::uint32_t FormulaCompiler::ParseTerm()
{
    std::uint32_t left = ParseUnary();
    while (left != kFailed) {
        std::uint8_t op = 0;
        if (Take(u'*'))
            op = ptg::kMul;
        else if (Take(u'/'))
            op = ptg::kDiv;
        else
            break;
        const std::uint32_t right = ParseUnary();
        if (right == kFailed)
            return kFailed;
        left = AddNode(Node{.kind = NodeKind::Binary, .op = op, .left = left, .right = right});
    }
    return left;
}

std::uint32_t FormulaCompiler::ParseUnary()
{
    std::uint8_t op = 0;
    if (Take(u'-'))
        op = ptg::kUnaryMinus;
    else if (Take(u'+'))
        op = ptg::kUnaryPlus;
    else
        return ParsePrimary();
    if (!Enter())
        return kFailed;
    const std::uint32_t operand = ParseUnary();
    Leave();
    if (operand == kFailed)
        return kFailed;
    return AddNode(Node{.kind = NodeKind::Unary, .op = op, .left = operand});
}

std::uint32_t FormulaCompiler::ParsePrimary()
{
    SkipSpaces();
    if (m_pos >= m_text.size())
        return kFailed;
    const char16_t c = m_text[m_pos];
    if (c == u'(') {
        ++m_pos;
        if (!Enter())
            return kFailed;
        const std::uint32_t inner = ParseComparison();
        Leave();
        if (inner == kFailed || !Take(u')'))
            return kFailed;
        return AddNode(Node{.kind = NodeKind::Paren, .left = inner});
    }
    if (IsDigit(c) || c == u'.')
        return ParseNumber();
    if (IsLetter(c))
        return ParseNameOrReference();
    return kFailed;
}

std::uint32_t FormulaCompiler::ParseNumber()
{
    // Digits, an optional fraction and an optional exponent, in ASCII.
    char ascii[64];
    std::size_t length = 0;
    auto copyDigits = [&] {
        while (m_pos < m_text.size() && IsDigit(m_text[m_pos]) && length < sizeof ascii)
            ascii[length++] = static_cast<char>(m_text[m_pos++]);
    };
    copyDigits();
    if (m_pos < m_text.size() && m_text[m_pos] == u'.' && length < sizeof ascii) {
        ascii[length++] = '.';
        ++m_pos;
        copyDigits();
    }
    if (m_pos < m_text.size() && (m_text[m_pos] == u'e' || m_text[m_pos] == u'E') && length + 2 < sizeof ascii) {
        ascii[length++] = 'e';
        ++m_pos;
        if (m_pos < m_text.size() && (m_text[m_pos] == u'+' || m_text[m_pos] == u'-'))
            ascii[length++] = static_cast<char>(m_text[m_pos++]);
        copyDigits();
    }
    if (length == sizeof ascii)
        return kFailed;
    double value = 0;
    const auto [end, error] = std::from_chars(ascii, ascii + length, value);
    if (error != std::errc() || end != ascii + length || !std::isfinite(value))
        return kFailed;
    // "1.5.2" or "12abc" are not numbers.
    if (m_pos < m_text.size() && (IsLetter(m_text[m_pos]) || IsDigit(m_text[m_pos]) || m_text[m_pos] == u'.'))
        return kFailed;
    return AddNode(Node{.kind = NodeKind::Number, .number = value});
}

std::uint32_t FormulaCompiler::ParseNameOrReference()
{
    const std::size_t start = m_pos;
    while (m_pos < m_text.size() && (IsLetter(m_text[m_pos]) || IsDigit(m_text[m_pos]) || m_text[m_pos] == u'.'))
        ++m_pos;
    const std::u16string_view name = m_text.substr(start, m_pos - start);

    std::size_t at = 0;
    if (const auto cell = ReadR1C1Cell(name, at); cell && at == name.size()) {
        CellArea area{cell->row, cell->row, cell->column, cell->column};
        if (m_pos < m_text.size() && m_text[m_pos] == u':') {
            std::size_t second = m_pos + 1;
            const auto corner = ReadR1C1Cell(m_text, second);
            if (!corner || (second < m_text.size() && (IsLetter(m_text[second]) || IsDigit(m_text[second]))))
                return kFailed;
            m_pos = second;
            area = CellArea{std::min(cell->row, corner->row), std::max(cell->row, corner->row),
                            std::min(cell->column, corner->column), std::max(cell->column, corner->column)};
            return AddNode(Node{.kind = NodeKind::Area, .area = area});
        }
        return AddNode(Node{.kind = NodeKind::Cell, .area = area});
    }

    for (std::size_t i = 0; i < kFunctions.size(); ++i)
        if (SameNameIgnoringCase(name, kFunctions[i].name))
            return Take(u'(') ? ParseFunctionCall(i) : kFailed;
    return kFailed;
}

std::uint32_t FormulaCompiler::ParseFunctionCall(std::size_t which)
{
    const FunctionInfo& function = kFunctions[which];
    if (!Enter())
        return kFailed;
    std::array<std::uint32_t, kMaxArguments> arguments{};
    std::size_t count = 0;
    if (!Take(u')')) {
        do {
            if (count == kMaxArguments)
                return kFailed;
            const std::uint32_t argument = ParseComparison();
            if (argument == kFailed)
                return kFailed;
            arguments[count++] = argument;
        } while (Take(u';') || Take(u','));
        if (!Take(u')'))
            return kFailed;
    }
    Leave();
    if (count < function.minArguments || count > function.maxArguments)
        return kFailed;
    m_volatile = m_volatile || function.isVolatile;

    Node node{.kind = NodeKind::Function, .function = function.number};
    node.firstArgument = static_cast<std::uint32_t>(m_arguments.size());
    node.argumentCount = static_cast<std::uint32_t>(count);
    m_arguments.insert(m_arguments.end(), arguments.begin(), arguments.begin() + count);
    return AddNode(node);
}

void FormulaCompiler::Emit(std::uint32_t index, OperandClass operandClass, std::vector<std::uint8_t>& out) const
{
    const Node& node = m_nodes[index];
    const std::uint8_t classBits = operandClass == OperandClass::Reference ? ptg::kClassReference : ptg::kClassValue;
    switch (node.kind) {
    case NodeKind::Number:
        if (node.number >= 0 && node.number <= 65535 && node.number == std::floor(node.number)) {
            out.push_back(ptg::kInt);
            Put16(out, static_cast<std::uint32_t>(node.number));
        } else {
            out.push_back(ptg::kNum);
            PutDouble(out, node.number);
        }
        break;
    case NodeKind::Cell:
        out.push_back(classBits | ptg::kRef);
        Put16(out, node.area.firstRow);
        Put16(out, node.area.firstColumn); // both relative bits clear: absolute
        break;
    case NodeKind::Area:
        out.push_back(classBits | ptg::kArea);
        Put16(out, node.area.firstRow);
        Put16(out, node.area.lastRow);
        Put16(out, node.area.firstColumn);
        Put16(out, node.area.lastColumn);
        break;
    case NodeKind::Unary:
        Emit(node.left, OperandClass::Value, out);
        out.push_back(node.op);
        break;
    case NodeKind::Binary:
        Emit(node.left, OperandClass::Value, out);
        Emit(node.right, OperandClass::Value, out);
        out.push_back(node.op);
        break;
    case NodeKind::Paren:
        Emit(node.left, operandClass, out);
        out.push_back(ptg::kParen);
        break;
    case NodeKind::Function: {
        const FunctionInfo* info = nullptr;
        for (const FunctionInfo& f : kFunctions)
            if (f.number == node.function)
                info = &f;
        const OperandClass argumentClass = info->takesReferences ? OperandClass::Reference : OperandClass::Value;
        for (std::uint32_t i = 0; i < node.argumentCount; ++i)
            Emit(m_arguments[node.firstArgument + i], argumentClass, out);
        if (info->fixedArguments) {
            out.push_back(ptg::kClassValue | ptg::kFunc);
        } else {
            out.push_back(ptg::kClassValue | ptg::kFuncVar);
            out.push_back(static_cast<std::uint8_t>(node.argumentCount));
        }
        Put16(out, node.function);
        break;
    }
    }
}

} // namespace k4xls
