#include "report/xls/formula_evaluator.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <algorithm>

#include "report/xls/formula_tokens.h"

namespace k4xls {

namespace {

using Kind = FormulaValue::Kind;

class TokenReader {
public:
    explicit TokenReader(std::span<const std::uint8_t> tokens) : m_tokens(tokens) {}
    bool AtEnd() const { return m_pos >= m_tokens.size(); }
    bool Has(std::size_t bytes) const { return m_tokens.size() - m_pos >= bytes; }
    std::uint8_t U8() { return m_tokens[m_pos++]; }
    std::uint16_t U16()
    {
        const std::uint16_t value = static_cast<std::uint16_t>(m_tokens[m_pos] | (m_tokens[m_pos + 1] << 8));
        m_pos += 2;
        return value;
    }
    double F64()
    {
        std::uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = (bits << 8) | m_tokens[m_pos + static_cast<std::size_t>(i)];
        m_pos += 8;
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    std::span<const std::uint8_t> m_tokens;
    std::size_t m_pos = 0;
};

FormulaValue Dereference(const FormulaValue& value, CellValueSource& cells)
{
    if (value.kind != Kind::Reference)
        return value;
    if (value.area.IsSingleCell())
        return cells.ValueAt(value.area.firstRow, value.area.firstColumn);
    return FormulaValue::Error(error::kValue);
}

// Text that reads as a number counts as that number, as in a spreadsheet.
bool NumberFromText(std::u16string_view text, double& number)
{
    while (!text.empty() && text.front() == u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == u'+')
        text.remove_prefix(1);
    char ascii[64];
    if (text.empty() || text.size() >= sizeof ascii)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] > 0x7F)
            return false;
        ascii[i] = static_cast<char>(text[i]);
    }
    const auto [end, error] = std::from_chars(ascii, ascii + text.size(), number);
    return error == std::errc() && end == ascii + text.size() && std::isfinite(number);
}

// Number, or the error that stops the calculation.
FormulaValue ToNumber(const FormulaValue& value)
{
    switch (value.kind) {
    case Kind::Empty: return FormulaValue::Number(0);
    case Kind::Number:
    case Kind::Error: return value;
    case Kind::Boolean: return FormulaValue::Number(value.number);
    case Kind::Text: {
        double number = 0;
        return NumberFromText(value.text, number) ? FormulaValue::Number(number) : FormulaValue::Error(error::kValue);
    }
    case Kind::Reference: break;
    }
    return FormulaValue::Error(error::kValue);
}

FormulaValue Finite(double number)
{
    return std::isfinite(number) ? FormulaValue::Number(number) : FormulaValue::Error(error::kNumber);
}

FormulaValue Arithmetic(std::uint8_t op, const FormulaValue& left, const FormulaValue& right)
{
    const FormulaValue a = ToNumber(left);
    if (a.kind == Kind::Error)
        return a;
    const FormulaValue b = ToNumber(right);
    if (b.kind == Kind::Error)
        return b;
    switch (op) {
    case ptg::kAdd: return Finite(a.number + b.number);
    case ptg::kSub: return Finite(a.number - b.number);
    case ptg::kMul: return Finite(a.number * b.number);
    default:
        if (b.number == 0)
            return FormulaValue::Error(error::kDivideByZero);
        return Finite(a.number / b.number);
    }
}

char16_t Folded(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

int CompareTexts(std::u16string_view a, std::u16string_view b)
{
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const char16_t x = Folded(a[i]);
        const char16_t y = Folded(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// An empty cell compares as the other side's kind of nothing.
FormulaValue EmptyAs(const FormulaValue& other)
{
    if (other.kind == Kind::Text)
        return FormulaValue::Text(u"");
    if (other.kind == Kind::Boolean)
        return FormulaValue::Boolean(false);
    return FormulaValue::Number(0);
}

// Numbers sort before texts, texts before logical values.
int KindRank(Kind kind)
{
    return kind == Kind::Number ? 0 : (kind == Kind::Text ? 1 : 2);
}

FormulaValue Comparison(std::uint8_t op, FormulaValue a, FormulaValue b)
{
    if (a.kind == Kind::Error)
        return a;
    if (b.kind == Kind::Error)
        return b;
    if (a.kind == Kind::Empty)
        a = EmptyAs(b);
    if (b.kind == Kind::Empty)
        b = EmptyAs(a);
    int order = KindRank(a.kind) - KindRank(b.kind);
    if (order == 0)
        order = a.kind == Kind::Text ? CompareTexts(a.text, b.text)
                                     : (a.number < b.number ? -1 : (a.number > b.number ? 1 : 0));
    switch (op) {
    case ptg::kLt: return FormulaValue::Boolean(order < 0);
    case ptg::kLe: return FormulaValue::Boolean(order <= 0);
    case ptg::kEq: return FormulaValue::Boolean(order == 0);
    case ptg::kGe: return FormulaValue::Boolean(order >= 0);
    case ptg::kGt: return FormulaValue::Boolean(order > 0);
    default: return FormulaValue::Boolean(order != 0);
    }
}

// MAX and AVERAGE: numbers in referenced cells count, texts, logical
// values and empty cells there do not; an error anywhere wins.
class Aggregate : public CellValueSource::Visitor {
public:
    bool Visit(const FormulaValue& value) override
    {
        if (value.kind == Kind::Error) {
            m_error = value;
            return false;
        }
        if (value.kind == Kind::Number)
            Add(value.number);
        return true;
    }

    void Argument(const FormulaValue value, CellValueSource& cells)
    {
        if (m_error.kind == Kind::Error)
            return;
        if (value.kind == Kind::Reference) {
            cells.VisitArea(value.area, *this);
            return;
        }
        // Values written into the call itself count, texts only if numeric.
        const FormulaValue number = ToNumber(value);
        if (number.kind == Kind::Error)
            m_error = number;
        else
            Add(number.number);
    }

    FormulaValue Max() const
    {
        if (m_error.kind == Kind::Error)
            return m_error;
        return FormulaValue::Number(m_count ? m_max : 0);
    }
    FormulaValue Average() const
    {
        if (m_error.kind == Kind::Error)
            return m_error;
        if (m_count == 0)
            return FormulaValue::Error(error::kDivideByZero);
        return Finite(m_sum / static_cast<double>(m_count));
    }

private:
    void Add(double number)
    {
        m_max = m_count ? std::max(m_max, number) : number;
        m_sum += number;
        ++m_count;
    }

    FormulaValue m_error;
    double m_max = 0;
    double m_sum = 0;
    std::size_t m_count = 0;
};

FormulaValue Condition(const FormulaValue& value)
{
    switch (value.kind) {
    case Kind::Empty: return FormulaValue::Boolean(false);
    case Kind::Number:
    case Kind::Boolean: return FormulaValue::Boolean(value.number != 0);
    case Kind::Error: return value;
    default: return FormulaValue::Error(error::kValue);
    }
}

// The arguments sit on `stack` from `first` on. Reading a cell may
// calculate another formula on the same stack, which can move its storage:
// arguments are copied out by index, never held by reference.
FormulaValue CallFunction(std::uint16_t function, const std::vector<FormulaValue>& stack, std::size_t first,
                          std::size_t count, CellValueSource& cells, double now)
{
    switch (function) {
    case fn::kIf: {
        const FormulaValue condition = Condition(Dereference(FormulaValue(stack[first]), cells));
        if (condition.kind == Kind::Error)
            return condition;
        if (condition.number != 0)
            return stack[first + 1];
        return count > 2 ? stack[first + 2] : FormulaValue::Boolean(false);
    }
    case fn::kMax:
    case fn::kAverage: {
        Aggregate aggregate;
        for (std::size_t i = 0; i < count; ++i)
            aggregate.Argument(FormulaValue(stack[first + i]), cells);
        return function == fn::kMax ? aggregate.Max() : aggregate.Average();
    }
    case fn::kAbs: {
        const FormulaValue number = ToNumber(Dereference(FormulaValue(stack[first]), cells));
        return number.kind == Kind::Error ? number : FormulaValue::Number(std::fabs(number.number));
    }
    case fn::kNow: return FormulaValue::Number(now);
    default: return FormulaValue::Error(error::kValue);
    }
}

int FixedArgumentCount(std::uint16_t function)
{
    switch (function) {
    case fn::kAbs: return 1;
    case fn::kNow: return 0;
    default: return -1;
    }
}

} // namespace

FormulaValue FormulaEvaluator::Evaluate(std::span<const std::uint8_t> tokens, CellValueSource& cells, double now)
{
    const std::size_t base = m_stack.size();
    const FormulaValue broken = FormulaValue::Error(error::kValue);
    auto available = [&] { return m_stack.size() - base; };
    auto fail = [&] {
        m_stack.resize(base);
        return broken;
    };

    TokenReader in(tokens);
    while (!in.AtEnd()) {
        const std::uint8_t token = in.U8();
        if (token >= ptg::kClassReference) {
            const std::uint8_t code = token & 0x1F;
            const bool valueClass = (token & 0x60) != ptg::kClassReference;
            if (code == ptg::kRef && in.Has(4)) {
                const std::uint16_t row = in.U16();
                const std::uint16_t column = in.U16() & 0x00FF;
                const FormulaValue ref = FormulaValue::Reference(CellArea{row, row, column, column});
                m_stack.push_back(valueClass ? Dereference(ref, cells) : ref);
            } else if (code == ptg::kArea && in.Has(8)) {
                CellArea area;
                area.firstRow = in.U16();
                area.lastRow = in.U16();
                area.firstColumn = in.U16() & 0x00FF;
                area.lastColumn = in.U16() & 0x00FF;
                m_stack.push_back(FormulaValue::Reference(area));
            } else if ((code == ptg::kFunc && in.Has(2)) || (code == ptg::kFuncVar && in.Has(3))) {
                const int count = code == ptg::kFuncVar ? in.U8() & 0x7F : -1;
                const std::uint16_t function = in.U16();
                const int arguments = count >= 0 ? count : FixedArgumentCount(function);
                if (arguments < 0 || available() < static_cast<std::size_t>(arguments))
                    return fail();
                const std::size_t first = m_stack.size() - static_cast<std::size_t>(arguments);
                const FormulaValue result =
                    CallFunction(function, m_stack, first, static_cast<std::size_t>(arguments), cells, now);
                m_stack.resize(first);
                m_stack.push_back(result);
            } else {
                return fail();
            }
            continue;
        }
        switch (token) {
        case ptg::kInt:
            if (!in.Has(2))
                return fail();
            m_stack.push_back(FormulaValue::Number(in.U16()));
            break;
        case ptg::kNum:
            if (!in.Has(8))
                return fail();
            m_stack.push_back(FormulaValue::Number(in.F64()));
            break;
        case ptg::kAttr:
            if (!in.Has(3))
                return fail();
            in.U8();
            in.U16();
            break;
        case ptg::kParen: break;
        case ptg::kUnaryMinus:
        case ptg::kUnaryPlus: {
            if (available() < 1)
                return fail();
            const FormulaValue number = ToNumber(Dereference(FormulaValue(m_stack.back()), cells));
            m_stack.back() =
                number.kind == Kind::Error || token == ptg::kUnaryPlus ? number : FormulaValue::Number(-number.number);
            break;
        }
        case ptg::kAdd:
        case ptg::kSub:
        case ptg::kMul:
        case ptg::kDiv:
        case ptg::kLt:
        case ptg::kLe:
        case ptg::kEq:
        case ptg::kGe:
        case ptg::kGt:
        case ptg::kNe: {
            if (available() < 2)
                return fail();
            const FormulaValue right = Dereference(FormulaValue(m_stack.back()), cells);
            m_stack.pop_back();
            const FormulaValue left = Dereference(FormulaValue(m_stack.back()), cells);
            m_stack.back() = token >= ptg::kLt ? Comparison(token, left, right) : Arithmetic(token, left, right);
            break;
        }
        default: return fail();
        }
    }
    if (available() != 1)
        return fail();
    FormulaValue result = Dereference(FormulaValue(m_stack.back()), cells);
    m_stack.resize(base);
    if (result.kind == Kind::Empty)
        result = FormulaValue::Number(0);
    return result;
}

} // namespace k4xls
