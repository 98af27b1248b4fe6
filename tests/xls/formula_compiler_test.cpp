#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "report/xls/formula_compiler.h"

using namespace k4xls;
using Tokens = std::vector<std::uint8_t>;

namespace {

Tokens Compile(std::u16string_view text)
{
    FormulaCompiler compiler;
    Tokens tokens;
    EXPECT_TRUE(compiler.Compile(text, tokens)) << std::string(text.begin(), text.end());
    return tokens;
}

bool Rejects(std::u16string_view text)
{
    FormulaCompiler compiler;
    Tokens tokens = {0xAA};
    const bool accepted = compiler.Compile(text, tokens);
    EXPECT_EQ(tokens, Tokens{0xAA}) << "tokens must be left as they were";
    return !accepted;
}

// Builders for the expected streams, in the notation of the token tables.
struct Stream {
    Tokens bytes;
    Stream& Raw(std::initializer_list<int> values)
    {
        for (const int v : values)
            bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Stream& Word(int v) { return Raw({v & 0xFF, (v >> 8) & 0xFF}); }
    Stream& Number(double d)
    {
        bytes.push_back(0x1F);
        std::uint8_t raw[8];
        std::memcpy(raw, &d, 8);
        bytes.insert(bytes.end(), raw, raw + 8);
        return *this;
    }
    // R1C1 numbers, as written in the formula.
    Stream& Area(int row, int firstColumn, int lastColumn)
    {
        Raw({0x25});
        return Word(row - 1).Word(row - 1).Word(firstColumn - 1).Word(lastColumn - 1);
    }
    Stream& Value(int row, int column) { return Raw({0x44}).Word(row - 1).Word(column - 1); }
    Stream& VarFunction(int arguments, int number) { return Raw({0x42, arguments}).Word(number); }
    Stream& Function(int number) { return Raw({0x41}).Word(number); }
};

} // namespace

TEST(FormulaCompiler, PercentOfMaxAmpsMatchesTheVerifiedStream)
{
    Stream expected;
    expected.Area(13, 13, 15).VarFunction(1, 7).Number(0.1).Value(7, 9).Raw({0x05, 0x0D});
    expected.Area(13, 13, 15).VarFunction(1, 7).Value(7, 9).Raw({0x06});
    expected.Raw({0x1E}).Word(0).VarFunction(3, 1);
    EXPECT_EQ(Compile(u"=IF(MAX(R13C13:R13C15)>0.1*R7C9;MAX(R13C13:R13C15)/R7C9;0)"), expected.bytes);
}

TEST(FormulaCompiler, AbsOfAverageMinusCellMatchesTheVerifiedStream)
{
    Stream expected;
    expected.Area(13, 13, 15).VarFunction(1, 5).Value(7, 9).Raw({0x04}).Function(24);
    EXPECT_EQ(Compile(u"=ABS(AVERAGE(R13C13:R13C15)-R7C9)"), expected.bytes);
}

TEST(FormulaCompiler, NowStartsWithTheVolatileMarker)
{
    EXPECT_EQ(Compile(u"=NOW()"), (Tokens{0x19, 0x01, 0x00, 0x00, 0x41, 0x4A, 0x00}));
    // The marker leads even when NOW sits deep inside.
    const Tokens nested = Compile(u"=1+ABS(NOW())");
    ASSERT_GE(nested.size(), 4u);
    EXPECT_EQ(Tokens(nested.begin(), nested.begin() + 4), (Tokens{0x19, 0x01, 0x00, 0x00}));
}

TEST(FormulaCompiler, CurrentUnbalanceOfTheLastReportRow)
{
    const int r = 524;
    const std::string row = std::to_string(r);
    std::string text = "=IF(MAX(R" + row + "C13:R" + row + "C15)>0.1*R7C9;MAX(";
    for (int k = 13; k <= 15; ++k)
        text += "ABS((AVERAGE(R" + row + "C13:R" + row + "C15)-R" + row + "C" + std::to_string(k) + ")/AVERAGE(R" +
                row + "C13:R" + row + "C15))" + (k < 15 ? ";" : "");
    text += ");0)";
    ASSERT_EQ(text.size(), 236u);

    Stream expected;
    expected.Area(r, 13, 15).VarFunction(1, 7).Number(0.1).Value(7, 9).Raw({0x05, 0x0D});
    for (int k = 13; k <= 15; ++k) {
        expected.Area(r, 13, 15).VarFunction(1, 5).Value(r, k).Raw({0x04, 0x15});
        expected.Area(r, 13, 15).VarFunction(1, 5).Raw({0x06}).Function(24);
    }
    expected.VarFunction(3, 7).Raw({0x1E}).Word(0).VarFunction(3, 1);
    EXPECT_EQ(Compile(std::u16string(text.begin(), text.end())), expected.bytes);
}

TEST(FormulaCompiler, OperatorsFollowSpreadsheetPrecedence)
{
    EXPECT_EQ(Compile(u"=1+2*3"), (Tokens{0x1E, 1, 0, 0x1E, 2, 0, 0x1E, 3, 0, 0x05, 0x03}));
    EXPECT_EQ(Compile(u"=(1+2)*3"), (Tokens{0x1E, 1, 0, 0x1E, 2, 0, 0x03, 0x15, 0x1E, 3, 0, 0x05}));
    EXPECT_EQ(Compile(u"=8-2-1"), (Tokens{0x1E, 8, 0, 0x1E, 2, 0, 0x04, 0x1E, 1, 0, 0x04}));
    EXPECT_EQ(Compile(u"=-R1C1/2"), (Tokens{0x44, 0, 0, 0, 0, 0x13, 0x1E, 2, 0, 0x06}));
    EXPECT_EQ(Compile(u"=1+2>2*1"),
              (Tokens{0x1E, 1, 0, 0x1E, 2, 0, 0x03, 0x1E, 2, 0, 0x1E, 1, 0, 0x05, 0x0D}));

    const std::pair<std::u16string_view, std::uint8_t> comparisons[] = {
        {u"=1<2", 0x09}, {u"=1<=2", 0x0A}, {u"=1=2", 0x0B}, {u"=1>=2", 0x0C}, {u"=1>2", 0x0D}, {u"=1<>2", 0x0E}};
    for (const auto& [text, op] : comparisons)
        EXPECT_EQ(Compile(text), (Tokens{0x1E, 1, 0, 0x1E, 2, 0, op})) << std::string(text.begin(), text.end());
}

TEST(FormulaCompiler, NumbersUseTheShortFormWhenWholeAndSmall)
{
    EXPECT_EQ(Compile(u"=0"), (Tokens{0x1E, 0, 0}));
    EXPECT_EQ(Compile(u"=65535"), (Tokens{0x1E, 0xFF, 0xFF}));
    EXPECT_EQ(Compile(u"=1.5e3"), (Tokens{0x1E, 0xDC, 0x05}));
    EXPECT_EQ(Compile(u"=65536"), Stream().Number(65536).bytes);
    EXPECT_EQ(Compile(u"=.25"), Stream().Number(0.25).bytes);
}

TEST(FormulaCompiler, AcceptsSpacesCaseCommasAndReversedAreas)
{
    EXPECT_EQ(Compile(u" = max( r1c1:r2c3 ) "), Compile(u"=MAX(R1C1:R2C3)"));
    EXPECT_EQ(Compile(u"=MAX(R2C3:R1C1)"), Compile(u"=MAX(R1C1:R2C3)"));
    EXPECT_EQ(Compile(u"=IF(1,2,3)"), Compile(u"=IF(1;2;3)"));
    EXPECT_EQ(Compile(u"IF(1;2)"), (Tokens{0x1E, 1, 0, 0x1E, 2, 0, 0x42, 2, 1, 0}));
    // The sheet's far corner.
    EXPECT_EQ(Compile(u"=R65536C256"), (Tokens{0x44, 0xFF, 0xFF, 0xFF, 0x00}));
}

TEST(FormulaCompiler, RejectsWhatItCannotCompile)
{
    EXPECT_TRUE(Rejects(u""));
    EXPECT_TRUE(Rejects(u"="));
    EXPECT_TRUE(Rejects(u"=SUM(R1C1:R1C3)"));   // unknown function
    EXPECT_TRUE(Rejects(u"=Foo"));
    EXPECT_TRUE(Rejects(u"=MAX(R1C1"));         // unclosed
    EXPECT_TRUE(Rejects(u"=1+"));
    EXPECT_TRUE(Rejects(u"=1 2"));
    EXPECT_TRUE(Rejects(u"=1..2"));
    EXPECT_TRUE(Rejects(u"=(1+2))"));
    EXPECT_TRUE(Rejects(u"=R[1]C1"));           // relative references
    EXPECT_TRUE(Rejects(u"=R0C1"));
    EXPECT_TRUE(Rejects(u"=R65537C1"));
    EXPECT_TRUE(Rejects(u"=R1C257"));
    EXPECT_TRUE(Rejects(u"=R1C1:"));
    EXPECT_TRUE(Rejects(u"=R1C1X"));
    EXPECT_TRUE(Rejects(u"=A1"));
    EXPECT_TRUE(Rejects(u"=ABS()"));            // argument counts
    EXPECT_TRUE(Rejects(u"=ABS(1;2)"));
    EXPECT_TRUE(Rejects(u"=NOW(1)"));
    EXPECT_TRUE(Rejects(u"=IF(1)"));
    EXPECT_TRUE(Rejects(u"=IF(1;;2)"));
    EXPECT_TRUE(Rejects(u"=\"text\""));
    EXPECT_TRUE(Rejects(u"=1%"));

    std::u16string deep = u"=";
    for (int i = 0; i < 100; ++i)
        deep += u"(";
    deep += u"1";
    for (int i = 0; i < 100; ++i)
        deep += u")";
    EXPECT_TRUE(Rejects(deep));

    std::u16string longChain = u"=1";
    for (int i = 0; i < 300; ++i)
        longChain += u"+1";
    EXPECT_TRUE(Rejects(longChain)); // deeper than the evaluator's bound

    std::u16string tooManyTokens = u"=MAX(";
    for (int i = 0; i < 30; ++i)
        tooManyTokens += u"R1C1:R2C2*1.5+R1C1*1.5-R2C2*2.5+R3C3*3.5-R4C4*4.5+R5C5*5.5-R6C6*6.5;";
    tooManyTokens.back() = u')';
    EXPECT_TRUE(Rejects(tooManyTokens)); // over 1800 bytes of tokens
}
