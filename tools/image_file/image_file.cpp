#include "tools/image_file/image_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "eventlog/log_image.h"
#include "platform/atomic_file.h"
#include "platform/utf8_path.h"

namespace k4 {

bool ReadImageFile(const std::string& path, std::vector<std::uint8_t>& image, std::string& error)
{
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    // One byte more than fits tells an over-long file from a full one.
    std::vector<std::uint8_t> bytes(kImageCapacity + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        error = "cannot be read";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.empty()) {
        error = "is empty (or a folder)";
        return false;
    }
    if (bytes.size() > kImageCapacity) {
        error = "is longer than a log image (at most 40960 bytes)";
        return false;
    }
    image = std::move(bytes);
    return true;
}

bool WriteImageFile(const std::string& path, const std::vector<std::uint8_t>& image)
{
    AtomicFile file;
    return file.Open(path) && file.Write(image.data(), image.size()) && file.Commit();
}

} // namespace k4
