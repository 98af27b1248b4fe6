#pragma once
#include <string>
#include <vector>

namespace k4::test {

// A fresh folder under the user's temporary folder (Windows form, no
// trailing backslash), removed with everything in it when this goes. Every
// path here is UTF-8, as in the programs.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& contents);
bool Exists(const std::string& path);
// The names in `folder`, sorted.
std::vector<std::string> NamesIn(const std::string& folder);

} // namespace k4::test
