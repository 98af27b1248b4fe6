// The picture maker's hand on the Windows programs (scripts/screenshots_windows.py
// runs it inside `wine explorer /desktop`): every dialog of both programs
// stays up until the picture of it is taken. Built only when asked, with
// the target k4-windows-pictures.
#include "tests/app/win32/driver_kit.h"

#include <commctrl.h>

using namespace k4drive;

namespace {

const std::string kNotConnected(text::kDeviceNotConnected);
const std::string kDeviceEmpty(text::kDeviceEmpty);

// Writes FOLDER\NAME.ready and waits for FOLDER\NAME.done.
void Pause(const std::string& folder, const std::string& name)
{
    std::fclose(std::fopen((folder + "\\" + name + ".ready").c_str(), "w"));
    const std::string done = folder + "\\" + name + ".done";
    WaitFor("the picture of " + name, 60s, [&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

// args: the hand-shake folder, Dockstart's file.
void Pictures(const std::string& app, const std::vector<std::string>& args)
{
    const std::string& folder = args.at(0);
    {
        Program program(app);
        const HWND main = WaitForDialog(program, kMain);
        WaitFor("the bar to move", 5s,
                [&] { return SendMessageA(GetDlgItem(main, IDC_PROGRESS), PBM_GETPOS, 0, 0) >= 3; });
        Pause(folder, "main-window");
        const HWND prompt = WaitForDialog(program, kNotConnected, 20s);
        Pause(folder, "device-not-connected");
        Press(prompt, IDC_EXIT);
        ExpectEnd(program, "after the search pictures");
    }
    Pause(folder, "plug-in");
    {
        Program program(app);
        const HWND main = WaitForDialog(program, kMain);
        const HWND found = WaitForDialog(program, kDataFound);
        Pause(folder, "data-found");
        PostMessageA(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        const HWND about = WaitForDialog(program, kAbout, 15s, text::kAboutCaption);
        WaitFor("the firmware version", 5s, [&] { return !EditText(about, IDC_FIRMWARE).empty(); });
        Pause(folder, "about");
        Press(about, IDOK);
        WaitGone(about, "the About box");
        Press(found, IDC_DOWNLOAD_DATA);
        const HWND save = WaitForDialog(program, kSaveFile);
        Press(save, IDC_BROWSE);
        const HWND picker = FileSaveDialogOf(program);
        Pause(folder, "browse");
        Press(picker, IDCANCEL);
        WaitGone(picker, "the file-save dialog");
        SetText(GetDlgItem(save, IDC_SAVE_AS), "picture");
        Pause(folder, "save-file");
        Press(save, IDC_SAVE);
        const HWND complete = WaitForDialog(program, kSaveComplete, 60s);
        Pause(folder, "save-complete");
        Press(complete, IDC_EXIT);
        ExpectEnd(program, "after the pass pictures");
    }
    Pause(folder, "empty-unit");
    {
        Program program(app);
        const HWND empty = WaitForDialog(program, kDeviceEmpty);
        Pause(folder, "device-empty");
        Press(empty, IDC_EXIT);
        ExpectEnd(program, "after the empty-unit picture");
    }
    Pause(folder, "launcher");
    {
        Program program(args.at(1));
        WaitFor("the start-at-log-on question", 15s, [&] { return MessageBoxOf(program.Pid(), text::kLauncherName); });
        Pause(folder, "dockstart-question");
        AnswerQuestion(program, IDYES);
        const HWND hidden = WaitFor("the hidden window", 15s, [&] { return HiddenWindowOf(program.Pid()); });
        TrayClick(hidden, WM_RBUTTONDOWN);
        WaitFor("the tray menu", 5s, [] { return PopupMenuShown(); });
        Pause(folder, "dockstart-menu");
        ChooseExit(hidden);
        AnswerQuestion(program, IDYES);
        ExpectEnd(program, "after the launcher pictures", 5s);
    }
}

// The save dialog with a name in another language typed, and the file-save
// dialog with one chosen. args: the hand-shake folder, the name to type,
// the file to choose.
void PicturesOfNames(const std::string& app, const std::vector<std::string>& args)
{
    Program program(app);
    const HWND save = GoToSaveDialog(program);
    SetText(GetDlgItem(save, IDC_SAVE_AS), args.at(1));
    Pause(args.at(0), "save-file-names");
    Press(save, IDC_BROWSE);
    SetText(GetDlgItem(FileSaveDialogOf(program), 0x47c), args.at(2));
    Pause(args.at(0), "browse-names");
}

} // namespace

int main()
{
    return RunScenario({{"pictures", Pictures}, {"pictures-names", PicturesOfNames}});
}
