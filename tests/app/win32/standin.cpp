// Stands in for the main program when Dockstart is tested: notes each
// start (with its command line) in the file that K4_STANDIN_LOG names.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    const char* log = std::getenv("K4_STANDIN_LOG");
    if (log == nullptr)
        return 1;
    std::FILE* out = std::fopen(log, "a");
    if (out == nullptr)
        return 1;
    std::fprintf(out, "started [%s]\n", commandLine);
    std::fclose(out);
    return 0;
}
