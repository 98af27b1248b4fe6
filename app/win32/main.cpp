// K4 Data Transfer Application: one download pass per run, then it ends.
#include <windows.h>
#include <commctrl.h>

#include "app/win32/main_window.h"
#include "platform/dynamic_library.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Before anything can load a library: nothing planted in the current
    // folder or along PATH is ever taken.
    k4::RestrictLibrarySearch();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    k4win::MainWindow window(instance);
    window.Run();
    return 0;
}
