#pragma once
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/utf8_path.h"

namespace k4test {

// A fresh folder under the system's temporary folder, only the user's own
// (a runtime folder must be), removed with its contents at the end of the
// test. Shared by the POSIX and the Windows tests; names are UTF-8.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::random_device random;
        do
            m_path = std::filesystem::temp_directory_path() / ("k4-test-" + std::to_string(random()));
        while (!std::filesystem::create_directory(m_path));
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The folder, or `relative` in it, as the programs name files: UTF-8,
    // joined with the system's own separator.
    std::string Utf8() const { return k4::Utf8FromPath(m_path); }
    std::string operator/(const std::string& relative) const
    {
        return Utf8() + static_cast<char>(std::filesystem::path::preferred_separator) + relative;
    }

    std::filesystem::path Write(const std::string& relative, const std::string& text) const
    {
        const std::filesystem::path file = m_path / k4::PathFromUtf8(relative);
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }
    std::string Read(const std::string& relative) const
    {
        std::stringstream text;
        text << std::ifstream(m_path / k4::PathFromUtf8(relative), std::ios::binary).rdbuf();
        return text.str();
    }
    // The names in `relative`, sorted.
    std::vector<std::string> Names(const std::string& relative = "") const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path / k4::PathFromUtf8(relative)))
            names.push_back(k4::Utf8FromPath(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path m_path;
};

#ifndef _WIN32
// The first line that a shell command prints, without its line end.
inline std::string FirstLineOf(const std::string& command)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::array<char, 2048> line{};
    std::string out = pipe && std::fgets(line.data(), line.size(), pipe.get()) ? line.data() : "";
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}
#endif

} // namespace k4test
