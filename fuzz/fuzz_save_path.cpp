// Names typed into "Save As" or returned by the file dialog.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

#include "common/output_path.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string documents =
        (std::filesystem::temp_directory_path() / ("k4-fuzz-docs-" + std::to_string(::getpid()))).string();
    const std::string_view typed(reinterpret_cast<const char*>(data), size);

    const std::string stripped = k4::StripChosenExtension(typed);
    if (stripped.size() > typed.size() || typed.substr(0, stripped.size()) != stripped)
        __builtin_trap();

    std::string base = "unchanged";
    const k4::SaveCheck check = k4::ResolveSavePath(typed, documents, "/home/user", base);
    if (check != k4::SaveCheck::Ok && base != "unchanged")
        __builtin_trap();
    if (check == k4::SaveCheck::Ok && base.empty())
        __builtin_trap();
    return 0;
}
