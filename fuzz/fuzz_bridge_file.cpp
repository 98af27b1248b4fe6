// The one-line announcement files of simulated bridges.
#include <cstdint>
#include <string_view>

#include "platform/bridge_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto bridge = k4::ParseBridgeFile(text)) {
        if (bridge->devicePath.empty() || bridge->devicePath[0] != '/')
            __builtin_trap();
        const auto again = k4::ParseBridgeFile(k4::FormatBridgeFile(*bridge));
        if (!again || again->devicePath != bridge->devicePath || again->vid != bridge->vid || again->pid != bridge->pid)
            __builtin_trap();
    }
    return 0;
}
