#include "platform/program_folder.h"

#include <filesystem>
#include <system_error>

namespace k4 {

std::string ProgramFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !program.has_parent_path())
        return {};
    return program.parent_path().string();
}

} // namespace k4
