#pragma once
// Resource ids of Dockstart; the resource compiler reads this file too.
#define IDR_MAINFRAME 128
#define IDR_TRAY_MENU 129
#define ID_APP_EXIT_TRAY 32772
