// A harmless stand-in for a library that someone planted in the current
// folder or on PATH under the name of one of ours: when any process loads
// it, it notes so in the file that K4_PLANTED_LOG names, and does nothing
// else.
#include <windows.h>

#include <cstdio>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char log[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("K4_PLANTED_LOG", log, sizeof log);
    if (length == 0 || length >= sizeof log)
        return TRUE;
    if (std::FILE* out = std::fopen(log, "a")) {
        std::fprintf(out, "loaded by process %lu\n", GetCurrentProcessId());
        std::fclose(out);
    }
    return TRUE;
}
