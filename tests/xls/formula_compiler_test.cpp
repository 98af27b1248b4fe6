// What the compiler accepts is read back by the independent readers from
// the edge workbook (tests/report/check_report.py, FORMULAS) and the sample
// report; here what it refuses, and the tokens whose form no reader shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/xls/formula_compiler.h"

using namespace k4xls;
using Tokens = std::vector<std::uint8_t>;

// The volatile marker leads even when NOW sits deep inside; whole numbers up
// to 65535 take the short integer token.
TEST(FormulaCompiler, TokensThatNoReaderShows)
{
    // =NOW() alone and small integers are in the sample report's formulas (golden_sample).
    const std::pair<std::u16string_view, Tokens> cases[] = {{u"=1+ABS(NOW())", {0x19, 0x01, 0x00, 0x00}},
                                                            {u"=65535", {0x1E, 0xFF, 0xFF}},
                                                            {u"=65536", {0x1F, 0, 0, 0, 0, 0, 0, 0xF0, 0x40}}};
    for (const auto& [text, start] : cases) {
        FormulaCompiler compiler;
        Tokens tokens;
        ASSERT_TRUE(compiler.Compile(text, tokens));
        EXPECT_EQ(Tokens(tokens.begin(), tokens.begin() + std::min(tokens.size(), start.size())), start)
            << std::string(text.begin(), text.end());
    }
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
        EXPECT_FALSE(compiler.Compile(text, tokens))
            << std::string(text.begin(), text.begin() + std::min<std::size_t>(text.size(), 40));
        EXPECT_EQ(tokens, Tokens{0xAA});
    }
}
