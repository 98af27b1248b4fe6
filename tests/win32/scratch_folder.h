#pragma once
// A fresh folder under the user's temporary folder (Windows form, no
// trailing backslash), removed with everything in it when this goes, and
// the file helpers the tests share. Every path here is UTF-8, as in the
// programs.
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/utf8_path.h"
#include "platform/win32/wide_text.h"

namespace k4::test {

class ScratchFolder {
public:
    ScratchFolder()
    {
        static int serial = 0;
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp); // ends in a backslash
        m_path = Narrow(temp) + "k4-win32-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial++);
        std::filesystem::remove_all(PathFromUtf8(m_path));
        std::filesystem::create_directories(PathFromUtf8(m_path));
    }
    ~ScratchFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(PathFromUtf8(m_path), error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

inline std::string ReadWholeFile(const std::string& path)
{
    std::stringstream text;
    text << std::ifstream(PathFromUtf8(path), std::ios::binary).rdbuf();
    return text.str();
}

inline void WriteWholeFile(const std::string& path, const std::string& contents)
{
    std::ofstream(PathFromUtf8(path), std::ios::binary) << contents;
}

// The names in `folder`, sorted.
inline std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(PathFromUtf8(folder)))
        names.push_back(Utf8FromPath(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace k4::test
