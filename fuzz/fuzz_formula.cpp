// Formula texts through the spreadsheet component's compiler.
#include <cstdint>
#include <string>
#include <vector>

#include "report/xls/formula_compiler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Mostly ASCII formulas, with the odd wide character from byte pairs.
    std::u16string text;
    for (std::size_t i = 0; i < size; ++i)
        text.push_back(data[i] == 0xFF && i + 2 < size ? static_cast<char16_t>(data[i + 1] << 8 | data[i + 2])
                                                       : data[i]);
    std::vector<std::uint8_t> tokens = {0xAB};
    k4xls::FormulaCompiler compiler;
    if (compiler.Compile(text, tokens)) {
        if (tokens.size() < 2 || tokens.size() > k4xls::FormulaCompiler::kMaxTokenBytes + 1 || tokens[0] != 0xAB)
            __builtin_trap();
    } else if (tokens.size() != 1) {
        __builtin_trap();
    }
    return 0;
}
