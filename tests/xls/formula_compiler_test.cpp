#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "report/xls/formula_compiler.h"

using namespace k4xls;
using Tokens = std::vector<std::uint8_t>;

namespace {

std::string Narrow(std::u16string_view text)
{
    return std::string(text.begin(), text.end());
}

Tokens Compile(std::u16string_view text)
{
    FormulaCompiler compiler;
    Tokens tokens;
    EXPECT_TRUE(compiler.Compile(text, tokens)) << Narrow(text);
    return tokens;
}

// Builds expected token streams; rows and columns as written in R1C1.
struct Stream {
    Tokens bytes;
    Stream& Raw(std::initializer_list<int> values)
    {
        for (const int v : values)
            bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Stream& Word(int v) { return Raw({v & 0xFF, (v >> 8) & 0xFF}); }
    Stream& Int(int v) { return Raw({0x1E}).Word(v); }
    Stream& Number(double d)
    {
        bytes.push_back(0x1F);
        std::uint8_t raw[8];
        std::memcpy(raw, &d, 8);
        bytes.insert(bytes.end(), raw, raw + 8);
        return *this;
    }
    Stream& Area(int row, int firstColumn, int lastColumn)
    {
        return Raw({0x25}).Word(row - 1).Word(row - 1).Word(firstColumn - 1).Word(lastColumn - 1);
    }
    Stream& Value(int row, int column) { return Raw({0x44}).Word(row - 1).Word(column - 1); }
    Stream& VarFunction(int arguments, int number) { return Raw({0x42, arguments}).Word(number); }
    Stream& Function(int number) { return Raw({0x41}).Word(number); }
};

constexpr int kMax = 7, kIf = 1, kAverage = 5, kAbs = 24;
constexpr int kAdd = 0x03, kSub = 0x04, kMul = 0x05, kDiv = 0x06, kGreater = 0x0D, kNeg = 0x13, kParen = 0x15;

} // namespace

TEST(FormulaCompiler, LoadFormulaOfAnEventRow)
{
    Stream expected;
    expected.Area(13, 13, 15).VarFunction(1, kMax).Number(0.1).Value(7, 9).Raw({kMul, kGreater});
    expected.Area(13, 13, 15).VarFunction(1, kMax).Value(7, 9).Raw({kDiv});
    expected.Int(0).VarFunction(3, kIf);
    EXPECT_EQ(Compile(u"=IF(MAX(R13C13:R13C15)>0.1*R7C9;MAX(R13C13:R13C15)/R7C9;0)"), expected.bytes);
}

TEST(FormulaCompiler, UnbalanceFormulaOfTheLastReportRow)
{
    const std::string average = "AVERAGE(R524C13:R524C15)";
    std::string text = "=IF(MAX(R524C13:R524C15)>0.1*R7C9;MAX(";
    for (int k = 13; k <= 15; ++k)
        text += "ABS((" + average + "-R524C" + std::to_string(k) + ")/" + average + ")" + (k < 15 ? ";" : ");0)");
    ASSERT_EQ(text.size(), 236u);

    Stream expected;
    expected.Area(524, 13, 15).VarFunction(1, kMax).Number(0.1).Value(7, 9).Raw({kMul, kGreater});
    for (int k = 13; k <= 15; ++k) {
        expected.Area(524, 13, 15).VarFunction(1, kAverage).Value(524, k).Raw({kSub, kParen});
        expected.Area(524, 13, 15).VarFunction(1, kAverage).Raw({kDiv}).Function(kAbs);
    }
    expected.VarFunction(3, kMax).Int(0).VarFunction(3, kIf);
    EXPECT_EQ(Compile(std::u16string(text.begin(), text.end())), expected.bytes);
}

TEST(FormulaCompiler, NowStartsWithTheVolatileMarker)
{
    EXPECT_EQ(Compile(u"=NOW()"), (Tokens{0x19, 0x01, 0x00, 0x00, 0x41, 0x4A, 0x00}));
    const Tokens nested = Compile(u"=1+ABS(NOW())"); // the marker leads even when NOW sits deep inside
    ASSERT_GE(nested.size(), 4u);
    EXPECT_EQ(Tokens(nested.begin(), nested.begin() + 4), (Tokens{0x19, 0x01, 0x00, 0x00}));
}

TEST(FormulaCompiler, PrecedenceNumbersAndReferenceLimits)
{
    const std::pair<std::u16string_view, Tokens> cases[] = {
        {u"=1+2*3", Stream().Int(1).Int(2).Int(3).Raw({kMul, kAdd}).bytes},
        {u"=(1+2)*3", Stream().Int(1).Int(2).Raw({kAdd, kParen}).Int(3).Raw({kMul}).bytes},
        {u"=8-2-1", Stream().Int(8).Int(2).Raw({kSub}).Int(1).Raw({kSub}).bytes},
        {u"=-R1C1/2", Stream().Value(1, 1).Raw({kNeg}).Int(2).Raw({kDiv}).bytes},
        {u"=1+2>2*1", Stream().Int(1).Int(2).Raw({kAdd}).Int(2).Int(1).Raw({kMul, kGreater}).bytes},
        {u"=65535", Stream().Int(65535).bytes}, // the largest short integer
        {u"=65536", Stream().Number(65536).bytes},
        {u"=.25", Stream().Number(0.25).bytes},
        {u" = max( r2c3:R1C1 ) ", Stream().Raw({0x25}).Word(0).Word(1).Word(0).Word(2).VarFunction(1, kMax).bytes},
        {u"IF(1,2)", Stream().Int(1).Int(2).VarFunction(2, kIf).bytes},
        {u"=R65536C256", Stream().Value(65536, 256).bytes}, // the sheet's far corner
    };
    for (const auto& [text, tokens] : cases)
        EXPECT_EQ(Compile(text), tokens) << Narrow(text);
}

TEST(FormulaCompiler, RejectsWhatItCannotCompileAndLeavesTheTokensAlone)
{
    std::u16string deep = u"=" + std::u16string(100, u'(') + u"1" + std::u16string(100, u')');
    std::u16string longChain = u"=1"; // deeper than the evaluator's bound
    for (int i = 0; i < 300; ++i)
        longChain += u"+1";
    std::u16string tooManyTokens = u"=MAX("; // over 1800 bytes of tokens
    for (int i = 0; i < 30; ++i)
        tooManyTokens += u"R1C1:R2C2*1.5+R1C1*1.5-R2C2*2.5+R3C3*3.5-R4C4*4.5+R5C5*5.5-R6C6*6.5;";
    tooManyTokens.back() = u')';

    const std::u16string rejected[] = {
        u"",        u"=",         u"=SUM(R1C1:R1C3)", u"=Foo",      u"=MAX(R1C1", u"=1+",       u"=1 2",   u"=1..2",
        u"=(1+2))", u"=R[1]C1",   u"=R0C1",           u"=R65537C1", u"=R1C257",   u"=R1C1:",    u"=R1C1X", u"=A1",
        u"=ABS()",  u"=ABS(1;2)", u"=NOW(1)",         u"=IF(1)",    u"=IF(1;;2)", u"=\"text\"", u"=1%",    deep,
        longChain,  tooManyTokens};
    for (const auto& text : rejected) {
        FormulaCompiler compiler;
        Tokens tokens = {0xAA};
        EXPECT_FALSE(compiler.Compile(text, tokens)) << Narrow(text.substr(0, 40));
        EXPECT_EQ(tokens, Tokens{0xAA}) << Narrow(text.substr(0, 40));
    }
}
