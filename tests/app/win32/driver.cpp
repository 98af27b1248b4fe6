// driver.exe: the Windows programs driven from outside as a user would
// drive them, one scenario per run (desktop_wine.py picks them). Prints
// what it saw ("message: ...", "ok ...") and ends 0 when every check held.
#include <fstream>

#include "common/device_ids.h"
#include "tests/app/win32/driver_kit.h"

namespace k4drive {
namespace {

// The main window, the prompts in order with About at Data Found (the
// unit's firmware shown), the name typed or chosen with Browse, both files.
// args: the firmware, then "typed NAME" or "browse CHOSEN-FILE BASE".
void WholePass(const std::string& app, const std::vector<std::string>& args)
{
    Program program(app);
    const HWND main = WaitForDialog(program, kMain);
    const HWND found = WaitForDialog(program, kDataFound);
    const HWND about = OpenAbout(program, main);
    WaitFor("the firmware version", 5s, [&] { return EditText(about, IDC_FIRMWARE) == args.at(0); });
    Press(about, IDOK);
    WaitGone(about, "the About box");
    Press(found, IDC_DOWNLOAD_DATA);
    const HWND save = WaitForDialog(program, kSaveFile);
    if (IsWindowVisible(main))
        Fail("the main window is visible while the prompts are up");
    if (args.at(1) == "browse") {
        Press(save, IDC_BROWSE);
        const HWND picker = FileSaveDialogOf(program);
        SetText(GetDlgItem(picker, 0x47c), args.at(2));
        PostMessageA(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        WaitGone(picker, "the file-save dialog");
        if (EditText(save, IDC_SAVE_AS) != args.at(3))
            Fail("Browse gave \"" + EditText(save, IDC_SAVE_AS) + "\"");
    } else {
        SetText(GetDlgItem(save, IDC_SAVE_AS), args.at(2));
    }
    Press(save, IDC_SAVE);
    Press(WaitForDialog(program, kSaveComplete, 60s), IDC_EXIT);
    ExpectEnd(program, "after Save Successful");
}

// Downloads into args[0] and answers every message box, printing each
// text in order, until the program ends.
void Messages(const std::string& app, const std::vector<std::string>& args)
{
    Program program(app);
    const HWND save = GoToSaveDialog(program);
    SetText(GetDlgItem(save, IDC_SAVE_AS), args.at(0));
    Press(save, IDC_SAVE);
    WaitFor("the end of the program", 90s, [&] {
        if (auto box = MessageBoxOf(program.Pid(), text::kApplicationName)) {
            Say("message: " + box->second);
            Press(box->first, IDOK);
            WaitGone(box->first, "the message box");
        }
        return !program.Running();
    });
}

// While a message box of ours is up ("Please enter a file name.") a second
// instance ends at once without a window.
void SecondInstance(const std::string& app, const std::vector<std::string>&)
{
    Program first(app);
    const HWND save = GoToSaveDialog(first);
    Press(save, IDC_SAVE);
    const auto box =
        WaitFor("the empty-name message", 10s, [&] { return MessageBoxOf(first.Pid(), text::kApplicationName); });
    if (box->second != text::kEnterFileNameMessage)
        Fail("message \"" + box->second + "\"");
    Program second(app);
    ExpectEnd(second, "beside the first");
    if (!Dialogs(second.Pid(), kMain.caption, false).empty())
        Fail("the second instance left a window");
    Press(box->first, IDOK);
    WaitGone(box->first, "the message box");
    Press(save, IDC_CANCEL);
    ExpectEnd(first, "after Cancel");
}

// args[0] "esc": Esc in the main window while the unit is silent (the
// window still searching); "close": WM_CLOSE while the download stalls and
// the main window is hidden. The process is gone within a second and
// showed nothing more.
void EndAtOnce(const std::string& app, const std::vector<std::string>& args)
{
    Program program(app);
    const HWND main = WaitForDialog(program, kMain);
    if (args.at(0) == "close") {
        const HWND save = GoToSaveDialog(program);
        SetText(GetDlgItem(save, IDC_SAVE_AS), args.at(1));
        Press(save, IDC_SAVE);
    }
    std::this_thread::sleep_for(2s); // the unit has gone silent by now
    if (!program.Running() || MessageBoxOf(program.Pid(), text::kApplicationName))
        Fail("the pass ended or spoke before it was closed");
    if (args.at(0) == "esc")
        PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 0);
    else
        PostMessageA(main, WM_CLOSE, 0, 0);
    ExpectEnd(program, "within a second after " + args.at(0), 1s);
}

DWORD RunOnStart()
{
    DWORD value = 99;
    DWORD size = sizeof value;
    RegGetValueA(HKEY_LOCAL_MACHINE, std::string(k4::kConfigKeyPath).c_str(), "RunOnStart", RRF_RT_REG_DWORD, nullptr,
                 &value, &size);
    return value;
}

// Only a known icon can be modified: whether the tray knows `hidden`'s.
bool TrayIconShown(HWND hidden)
{
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = hidden;
    data.uFlags = NIF_TIP;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

std::size_t MainProgramStarts()
{
    std::ifstream log(std::getenv("K4_STANDIN_LOG"));
    std::size_t lines = 0;
    for (std::string line; std::getline(log, line);)
        ++lines;
    return lines;
}

// Dockstart started by hand with RunOnStart not 1: the question, answered
// Yes; a second copy at log-on ends at once; a tray that forgot the icon
// (Explorer restarted) gets it again; the unit's arrival starts the main
// program once; the tray menu's Exit asks again, answered No; started
// again, WM_CLOSE ends it.
void Dockstart(const std::string& dock, const std::vector<std::string>&)
{
    Program first(dock);
    AnswerQuestion(first, "yes");
    WaitFor("Yes stored as RunOnStart 1", 5s, [] { return RunOnStart() == 1; });
    const HWND hidden = WaitFor("the hidden window", 15s, [&] { return HiddenWindowOf(first.Pid()); });
    if (IsWindowVisible(hidden))
        Fail("the hidden window is visible");
    Program second(dock, "WINSTART");
    ExpectEnd(second, "beside the first", 3s);

    WaitFor("the tray icon", 5s, [&] { return TrayIconShown(hidden); });
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = hidden;
    Shell_NotifyIconA(NIM_DELETE, &data);
    SendMessageA(hidden, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    WaitFor("the icon again after TaskbarCreated", 5s, [&] { return TrayIconShown(hidden); });

    std::ofstream(std::string(std::getenv("K4_BRIDGE_DIR")) + "\\unit.bridge") << "COM5 10c4 ea60\n";
    WaitFor("the main program's start", 5s, [] { return MainProgramStarts() > 0; });
    std::this_thread::sleep_for(1500ms);
    if (MainProgramStarts() != 1)
        Fail("one arrival started the main program " + std::to_string(MainProgramStarts()) + " times");

    TrayClick(hidden, WM_LBUTTONDOWN);
    std::this_thread::sleep_for(700ms);
    if (PopupMenuShown())
        Fail("a left click showed the menu");
    TrayClick(hidden, WM_RBUTTONDOWN);
    WaitFor("the tray menu", 5s, [] { return PopupMenuShown(); });
    ChooseExit(hidden);
    AnswerQuestion(first, "no");
    ExpectEnd(first, "after Exit", 5s);
    if (RunOnStart() != 0)
        Fail("No stored RunOnStart " + std::to_string(RunOnStart()));

    // WM_CLOSE (taskkill without /F, an installer) ends it and takes the icon.
    Program again(dock);
    AnswerQuestion(again, "yes");
    const HWND window = WaitFor("the hidden window", 15s, [&] { return HiddenWindowOf(again.Pid()); });
    WaitFor("the tray icon", 5s, [&] { return TrayIconShown(window); });
    PostMessageA(window, WM_CLOSE, 0, 0);
    ExpectEnd(again, "after WM_CLOSE", 5s);
    if (TrayIconShown(window))
        Fail("the icon stayed after WM_CLOSE");
}

} // namespace
} // namespace k4drive

int main()
{
    using namespace k4drive;
    return RunScenario({{"pass", WholePass},
                        {"messages", Messages},
                        {"second-instance", SecondInstance},
                        {"end-at-once", EndAtOnce},
                        {"dockstart", Dockstart}});
}
