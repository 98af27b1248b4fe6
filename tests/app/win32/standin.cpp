// Stands in for the main program when Dockstart is tested: notes each
// start (with its command line) in the file that K4_STANDIN_LOG names.
#include <windows.h>

#include <cstdlib>
#include <fstream>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    if (const char* log = std::getenv("K4_STANDIN_LOG"))
        std::ofstream(log, std::ios::app) << "started [" << commandLine << "]\n";
    return 0;
}
