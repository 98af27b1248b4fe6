// The started program must outlive us and must not hold our terminal or
// our pipes: a launcher started from a terminal or a desktop session would
// otherwise keep that terminal's session, or a test's output pipe, open.
#include "platform/program_starter.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace k4 {

namespace {

class SpawnAttributes {
public:
    SpawnAttributes()
    {
        m_ok = ::posix_spawnattr_init(&m_attr) == 0;
        if (!m_ok)
            return;
        // Threads of a Qt program may block signals, and a blocked or
        // ignored disposition would pass into the new program.
        sigset_t none;
        sigemptyset(&none);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int signal : {SIGPIPE, SIGCHLD, SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            sigaddset(&defaults, signal);
        m_ok = ::posix_spawnattr_setsigmask(&m_attr, &none) == 0 &&
               ::posix_spawnattr_setsigdefault(&m_attr, &defaults) == 0 &&
               ::posix_spawnattr_setflags(&m_attr,
                                          POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
    }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&m_attr); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    bool Ok() const { return m_ok; }
    const posix_spawnattr_t* Get() const { return &m_attr; }

private:
    posix_spawnattr_t m_attr{};
    bool m_ok = false;
};

class NullStreams {
public:
    NullStreams()
    {
        m_ok = ::posix_spawn_file_actions_init(&m_actions) == 0;
        for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
            const int flags = fd == STDIN_FILENO ? O_RDONLY : O_WRONLY;
            m_ok = m_ok && ::posix_spawn_file_actions_addopen(&m_actions, fd, "/dev/null", flags, 0) == 0;
        }
    }
    ~NullStreams() { ::posix_spawn_file_actions_destroy(&m_actions); }
    NullStreams(const NullStreams&) = delete;
    NullStreams& operator=(const NullStreams&) = delete;

    bool Ok() const { return m_ok; }
    const posix_spawn_file_actions_t* Get() const { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions{};
    bool m_ok = false;
};

// Descriptors opened without close-on-exec (ours or a library's) would
// still pass into the program; Qt and the bridge back ends open theirs with
// O_CLOEXEC, so closing the three streams is what remains to do.
class PosixProgramStarter : public ProgramStarter {
public:
    bool Start(const std::string& file) override
    {
        SpawnAttributes attributes;
        NullStreams streams;
        if (!attributes.Ok() || !streams.Ok())
            return false;
        char* argv[] = {const_cast<char*>(file.c_str()), nullptr};
        pid_t pid = -1;
        // glibc reports a failed exec here, so a missing file is a failure.
        if (::posix_spawn(&pid, file.c_str(), streams.Get(), attributes.Get(), argv, environ) != 0)
            return false;
        // One small waiter per running program: it is gone as soon as the
        // program ends, and an idle caller costs nothing while none runs.
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
        }).detach();
        return true;
    }
};

} // namespace

ProgramStarter& SystemProgramStarter()
{
    static PosixProgramStarter starter;
    return starter;
}

} // namespace k4
