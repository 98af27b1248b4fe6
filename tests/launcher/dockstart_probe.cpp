// Runs Dockstart's start-up (and, when asked, its "Exit") against the real
// settings store with scripted answers, in a process of its own: the
// settings paths are fixed at first use.
//   dockstart_probe START-ANSWER EXIT-ANSWER [launcher arguments...]
// answers y or n; an EXIT-ANSWER of - skips "Exit". Prints one line:
// "ended" or "ran", the number of questions, whether it watches (0 or 1),
// the program file it would start (- for none) and the start-at-log-on
// answer as it now reads (- for none), e.g. "ran 1 1 /opt/k4/... 0".
#include <cstdio>
#include <string>
#include <vector>

#include "watch/launcher_startup.h"

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    int questions = 0;
    auto answer = [&questions](const char* given) {
        return [&questions, yes = given[0] == 'y'] {
            ++questions;
            return yes;
        };
    };
    const k4::LauncherStart start = k4::StartLauncher(std::vector<std::string>(argv + 3, argv + argc), answer(argv[1]));
    if (start.run && argv[2][0] != '-')
        k4::AnswerOnExit(answer(argv[2]));
    const std::optional<std::uint32_t> stored = k4::ReadRunOnStart();
    std::printf("%s %d %d %s %s\n", start.run ? "ran" : "ended", questions, start.watch ? 1 : 0,
                start.mainProgramFile.value_or("-").c_str(), stored ? std::to_string(*stored).c_str() : "-");
    return 0;
}
