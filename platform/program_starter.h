#pragma once
#include <string>

namespace k4 {

// Starts another program of ours as a process of its own: no arguments, our
// environment and current folder, nothing inherited that would tie it to
// us. The caller neither waits for it nor keeps anything of it.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // True when the program is running; false when it could not be started
    // (file missing, not executable, bad path).
    virtual bool Start(const std::string& file) = 0;
};

// This system's starter. On POSIX systems the program gets a session of its
// own and /dev/null for its standard streams, and it is reaped when it ends
// so that a long-running caller collects no zombies.
ProgramStarter& SystemProgramStarter();

} // namespace k4
