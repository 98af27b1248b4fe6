#include "report/xls/png_file.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "report/xls/utf16_text.h"

namespace k4xls {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenForReading(std::u16string_view path)
{
#if defined(_WIN32)
    const std::wstring wide(path.begin(), path.end());
    return FilePtr(_wfopen(wide.c_str(), L"rb"));
#else
    return FilePtr(std::fopen(ToUtf8(path).c_str(), "rb"));
#endif
}

bool LooksLikePng(const std::vector<std::uint8_t>& bytes)
{
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    // The signature, then the IHDR chunk: length 13, type "IHDR".
    return bytes.size() >= 8 + 8 + 13 + 4 && std::memcmp(bytes.data(), kSignature, 8) == 0 &&
           std::memcmp(bytes.data() + 12, "IHDR", 4) == 0;
}

} // namespace

Status LoadPng(std::u16string_view path, std::vector<std::uint8_t>& png)
{
    if (path.empty())
        return E_INVALIDARG;
    FilePtr file = OpenForReading(path);
    if (!file)
        return E_FAIL;
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[16384];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > kMaxPictureBytes)
            return E_INVALIDARG;
        if (got < sizeof chunk)
            break;
    }
    if (std::ferror(file.get()))
        return E_FAIL;
    if (!LooksLikePng(bytes))
        return E_INVALIDARG;
    png = std::move(bytes);
    return S_OK;
}

} // namespace k4xls
