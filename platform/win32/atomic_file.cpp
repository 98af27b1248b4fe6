#include "platform/atomic_file.h"

#include <windows.h>

#include "platform/shared/partial_file_name.h"
#include "platform/win32/wide_text.h"

namespace k4 {

// Held as the system's wide names: every name a user can type, whatever the
// machine's code page.
struct AtomicFile::Impl {
    std::wstring target;
    std::wstring temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    bool ok = false;
};

AtomicFile::AtomicFile() : m_impl(std::make_unique<Impl>()) {}

AtomicFile::~AtomicFile()
{
    Abandon();
}

bool AtomicFile::Open(const std::string& targetPath)
{
    Abandon();
    const std::size_t cut = targetPath.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? std::string() : targetPath.substr(0, cut + 1);
    const std::string name = cut == std::string::npos ? targetPath : targetPath.substr(cut + 1);
    if (name.empty())
        return false;

    m_impl->target = Widen(targetPath);
    if (m_impl->target.empty())
        return false;
    for (int attempt = 0; attempt < 16 && m_impl->file == INVALID_HANDLE_VALUE; ++attempt) {
        m_impl->temp = Widen(folder + PartialFileName());
        // Without the long-path prefix the file functions stop at MAX_PATH:
        // a name the rename could not reach is refused before anything is
        // written.
        if (m_impl->target.size() >= MAX_PATH || m_impl->temp.size() >= MAX_PATH)
            break;
        m_impl->file =
            CreateFileW(m_impl->temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_impl->file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (m_impl->file == INVALID_HANDLE_VALUE) {
        m_impl->temp.clear();
        Abandon();
        return false;
    }
    m_impl->ok = true;
    return true;
}

bool AtomicFile::Write(const void* data, std::size_t size)
{
    if (!m_impl->ok)
        return false;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(m_impl->file, bytes, chunk, &written, nullptr) || written == 0) {
            m_impl->ok = false;
            break;
        }
        bytes += written;
        size -= written;
    }
    return m_impl->ok;
}

bool AtomicFile::Commit()
{
    if (!m_impl->ok) {
        Abandon();
        return false;
    }
    const bool flushed = FlushFileBuffers(m_impl->file) != FALSE;
    const bool closed = CloseHandle(m_impl->file) != FALSE;
    m_impl->file = INVALID_HANDLE_VALUE;
    if (!flushed || !closed ||
        !MoveFileExW(m_impl->temp.c_str(), m_impl->target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Abandon();
        return false;
    }
    m_impl->temp.clear();
    Abandon();
    return true;
}

void AtomicFile::Abandon()
{
    if (m_impl->file != INVALID_HANDLE_VALUE) {
        CloseHandle(m_impl->file);
        m_impl->file = INVALID_HANDLE_VALUE;
    }
    if (!m_impl->temp.empty()) {
        DeleteFileW(m_impl->temp.c_str());
        m_impl->temp.clear();
    }
    m_impl->ok = false;
}

} // namespace k4
