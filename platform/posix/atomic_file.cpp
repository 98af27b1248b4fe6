#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace k4 {

namespace {

mode_t CurrentUmask()
{
    // umask can only be read by setting it; put it straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

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
    std::string target;
    std::string temp;
    int fd = -1;
    bool ok = false;
};

AtomicFile::AtomicFile() : m_impl(std::make_unique<Impl>()) {}

AtomicFile::~AtomicFile() { Abandon(); }

bool AtomicFile::Open(const std::string& targetPath)
{
    Abandon();
    m_impl->target = targetPath;
    // A short name of our own in the target's folder: the rename must not
    // cross file systems, and a long target name must not grow past NAME_MAX.
    const std::size_t slash = targetPath.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : targetPath.substr(0, slash + 1);
    const std::string pattern = folder + (slash == std::string::npos ? "/" : "") + ".k4-partial-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return false;
    // mkstemp creates owner-only files; a report is an ordinary user file.
    ::fchmod(fd, 0666 & ~CurrentUmask());
    m_impl->temp.assign(name.data());
    m_impl->fd = fd;
    m_impl->ok = true;
    return true;
}

bool AtomicFile::Write(const void* data, std::size_t size)
{
    if (!m_impl->ok)
        return false;
    if (!WriteAll(m_impl->fd, static_cast<const char*>(data), size))
        m_impl->ok = false;
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
    if (!synced || !closed || ::rename(m_impl->temp.c_str(), m_impl->target.c_str()) != 0) {
        Abandon();
        return false;
    }
    m_impl->temp.clear();
    m_impl->ok = false;
    return true;
}

void AtomicFile::Abandon()
{
    if (m_impl->fd >= 0) {
        ::close(m_impl->fd);
        m_impl->fd = -1;
    }
    if (!m_impl->temp.empty()) {
        ::unlink(m_impl->temp.c_str());
        m_impl->temp.clear();
    }
    m_impl->ok = false;
}

} // namespace k4
