// Configuration texts as a user or an installer may have typed them.
#include <cstdint>
#include <string_view>

#include "common/device_ids.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::uint32_t value = 0;
    if (k4::ParseConfigDword(text, value)) {
        // Whatever was accepted must be a plain number that reads back the same.
        const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        for (char c : text.substr(hex ? 2 : 0))
            if (!(c >= '0' && c <= '9') && !(hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))))
                __builtin_trap();
    }
    return 0;
}
