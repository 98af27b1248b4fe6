#include "scratch_folder.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/utf8_path.h"
#include "platform/win32/wide_text.h"

namespace k4::test {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder()
{
    static std::atomic<int> serial{0};
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    m_path = Narrow(temp) + "k4-win32-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(serial++);
    if (!m_path.empty() && m_path.back() == '\\')
        m_path.pop_back();
    fs::remove_all(PathFromUtf8(m_path));
    fs::create_directories(PathFromUtf8(m_path));
}

ScratchFolder::~ScratchFolder()
{
    std::error_code error;
    fs::remove_all(PathFromUtf8(m_path), error);
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteWholeFile(const std::string& path, const std::string& contents)
{
    std::ofstream(PathFromUtf8(path), std::ios::binary) << contents;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(PathFromUtf8(folder)))
        names.push_back(Utf8FromPath(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace k4::test
