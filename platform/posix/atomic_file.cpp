#include "platform/atomic_file.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/shared/partial_file_name.h"
#include "platform/shared/system_reason.h"

namespace k4 {

namespace {

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

struct AtomicFile::Impl {
    int folder = -1;  // the target's folder, which every name below is relative to
    std::string name; // the target's name in it
    std::string temp; // the temporary file's name in it
    int fd = -1;
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
    // A file no one could open again by its path is not worth writing.
    if (targetPath.empty() || targetPath.size() >= PATH_MAX)
        return false;
    const std::size_t slash = targetPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : targetPath.substr(0, slash);
    m_impl->name = slash == std::string::npos ? targetPath : targetPath.substr(slash + 1);
    if (m_impl->name.empty())
        return false;

    // Working relative to the folder keeps the temporary name short, whatever
    // the length of the target's path, and the rename inside one file system.
    m_impl->folder = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_impl->folder < 0) {
        NoteSystemReason("create " + targetPath, LastSystemError());
        return false;
    }
    for (int attempt = 0; attempt < 16 && m_impl->fd < 0; ++attempt) {
        m_impl->temp = PartialFileName();
        // Mode 0666 less the umask: a report is an ordinary user file.
        m_impl->fd = ::openat(m_impl->folder, m_impl->temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_impl->fd < 0 && errno != EEXIST)
            break;
    }
    if (m_impl->fd < 0) {
        NoteSystemReason("create " + targetPath, LastSystemError());
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
    if (!WriteAll(m_impl->fd, static_cast<const char*>(data), size)) {
        NoteSystemReason("write " + m_impl->name, LastSystemError());
        m_impl->ok = false;
    }
    return m_impl->ok;
}

bool AtomicFile::Commit()
{
    if (!m_impl->ok) {
        Abandon();
        return false;
    }
    const bool synced = ::fsync(m_impl->fd) == 0;
    const bool closed = ::close(m_impl->fd) == 0;
    m_impl->fd = -1;
    if (!synced || !closed ||
        ::renameat(m_impl->folder, m_impl->temp.c_str(), m_impl->folder, m_impl->name.c_str()) != 0) {
        NoteSystemReason("save " + m_impl->name, LastSystemError());
        Abandon();
        return false;
    }
    m_impl->temp.clear();
    // Makes the rename itself durable; the new file is complete either way.
    ::fsync(m_impl->folder);
    Abandon();
    return true;
}

void AtomicFile::Abandon()
{
    if (m_impl->fd >= 0) {
        ::close(m_impl->fd);
        m_impl->fd = -1;
    }
    if (!m_impl->temp.empty()) {
        ::unlinkat(m_impl->folder, m_impl->temp.c_str(), 0);
        m_impl->temp.clear();
    }
    if (m_impl->folder >= 0) {
        ::close(m_impl->folder);
        m_impl->folder = -1;
    }
    m_impl->ok = false;
}

} // namespace k4
