// driver.exe: the Windows programs driven from outside as a user would
// drive them, one scenario per run (desktop_wine.py picks them). Prints
// the messages it answered ("message: ...") and ends 0 when every check
// held.
#include <fstream>

#include "tests/app/win32/driver_kit.h"

namespace k4drive {
namespace {

// The main window, the prompts in order with About at Data Found (the
// unit's firmware shown), Save without a name (a second instance started
// beside its message ends at once), the name typed or chosen with Browse,
// both files. args: the firmware, then "typed NAME" or "browse CHOSEN-FILE
// BASE".
void WholePass(const std::string& app, const std::vector<std::string>& args)
{
    Program program(app);
    const HWND main = WaitForDialog(program, kMain);
    const HWND found = WaitForDialog(program, kDataFound);
    PostMessageA(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    const HWND about = WaitForDialog(program, kAbout, 15s, text::kAboutCaption);
    WaitFor("the firmware version", 5s, [&] { return EditText(about, IDC_FIRMWARE) == args.at(0); });
    Press(about, IDOK);
    WaitGone(about, "the About box");
    Press(found, IDC_DOWNLOAD_DATA);
    const HWND save = WaitForDialog(program, kSaveFile);
    if (IsWindowVisible(main))
        Fail("the main window is visible while the prompts are up");

    Press(save, IDC_SAVE);
    const HWND box = WaitFor("the message", 10s, [&] { return MessageBoxOf(program.Pid(), text::kApplicationName); });
    ExpectEnd(Program(app), "beside the first");
    Press(box, IDOK);
    WaitGone(box, "the message box");

    if (args.at(1) == "browse") {
        Press(save, IDC_BROWSE);
        const HWND picker = FileSaveDialogOf(program);
        SetText(GetDlgItem(picker, 0x47c), args.at(2));
        Press(picker, IDOK);
        WaitFor("Browse's name", 5s, [&] { return EditText(save, IDC_SAVE_AS) == args.at(3); });
    } else {
        SetText(GetDlgItem(save, IDC_SAVE_AS), args.at(2));
    }
    Press(save, IDC_SAVE);
    Press(WaitForDialog(program, kSaveComplete, 60s), IDC_EXIT);
    ExpectEnd(program, "after Save Successful");
}

// Saves as args[0]. With "close" after it, closes the main window 2 s later,
// when the transfer has stalled: the process is gone within a second and
// showed nothing (WM_CLOSE is the dialog's Esc). Then answers every message
// box, printing each text in order, until the program ends.
void Save(const std::string& app, const std::vector<std::string>& args)
{
    Program program(app);
    const HWND main = WaitForDialog(program, kMain);
    const HWND save = GoToSaveDialog(program);
    SetText(GetDlgItem(save, IDC_SAVE_AS), args.at(0));
    Press(save, IDC_SAVE);
    if (args.size() > 1) {
        std::this_thread::sleep_for(2s);
        if (!program.Running() || MessageBoxOf(program.Pid(), text::kApplicationName))
            Fail("the pass ended or spoke before it was closed");
        PostMessageA(main, WM_CLOSE, 0, 0);
        ExpectEnd(program, "within a second after WM_CLOSE", 1s);
    }
    WaitFor("the end of the program", 90s, [&] {
        if (const HWND box = MessageBoxOf(program.Pid(), text::kApplicationName)) {
            Say("message: " + MessageText(box));
            Press(box, IDOK);
            WaitGone(box, "the message box");
        }
        return !program.Running();
    });
}

// Dockstart's tray icon modified or deleted: only a known icon can be
// modified, so NIM_MODIFY tells whether the tray knows it.
bool TrayIcon(HWND hidden, DWORD action)
{
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = hidden;
    data.uFlags = NIF_TIP;
    return Shell_NotifyIconA(action, &data) != FALSE;
}

// Dockstart started by hand with RunOnStart not 1: the question, answered
// Yes; a second copy at log-on ends at once; a tray that forgot the icon
// (Explorer restarted) gets it again; the unit's arrival starts the main
// program; a left click shows no menu, a right one does, and its Exit asks
// again (No). Started again it asks once more (No stored no 1): Yes, then
// WM_CLOSE (taskkill without /F, an installer) ends it and takes the icon.
// desktop_wine.py counts the main program's starts and reads the Yes from
// the registry.
void Dockstart(const std::string& dock, const std::vector<std::string>&)
{
    Program first(dock);
    AnswerQuestion(first, IDYES);
    const HWND hidden = WaitFor("the hidden window", 15s, [&] { return HiddenWindowOf(first.Pid()); });
    ExpectEnd(Program(dock, "WINSTART"), "beside the first", 3s);

    WaitFor("the tray icon", 5s, [&] { return TrayIcon(hidden, NIM_MODIFY); });
    TrayIcon(hidden, NIM_DELETE);
    SendMessageA(hidden, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    WaitFor("the icon again after TaskbarCreated", 5s, [&] { return TrayIcon(hidden, NIM_MODIFY); });

    const std::string unit = std::string(std::getenv("K4_BRIDGE_DIR")) + "\\unit.bridge";
    std::ofstream(unit) << "COM5 10c4 ea60\n";
    WaitFor("the main program's start", 5s, [] { return std::ifstream(std::getenv("K4_STANDIN_LOG")).good(); });

    TrayClick(hidden, WM_LBUTTONDOWN);
    std::this_thread::sleep_for(700ms);
    if (PopupMenuShown())
        Fail("a left click showed the menu");
    TrayClick(hidden, WM_RBUTTONDOWN);
    WaitFor("the tray menu", 5s, [] { return PopupMenuShown(); });
    ChooseExit(hidden);
    AnswerQuestion(first, IDNO);
    ExpectEnd(first, "after Exit", 5s);
    DeleteFileA(unit.c_str()); // one arrival, one start

    Program again(dock);
    AnswerQuestion(again, IDYES);
    const HWND window = WaitFor("the hidden window", 15s, [&] { return HiddenWindowOf(again.Pid()); });
    WaitFor("the tray icon", 5s, [&] { return TrayIcon(window, NIM_MODIFY); });
    PostMessageA(window, WM_CLOSE, 0, 0);
    ExpectEnd(again, "after WM_CLOSE", 5s);
    if (TrayIcon(window, NIM_MODIFY))
        Fail("the icon stayed after WM_CLOSE");
}

} // namespace
} // namespace k4drive

int main()
{
    using namespace k4drive;
    return RunScenario({{"pass", WholePass}, {"save", Save}, {"dockstart", Dockstart}});
}
