// driver.exe: drives the Windows programs as a user would, from outside:
// finds their dialogs by caption and controls, checks them against
// dialog_table.h, presses buttons and types names. One scenario per run;
// prints what it saw ("message: ...", "ok ...") and ends 0 when every
// check held, 1 at the first that did not.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/wide_text.h"
#include "tests/app/win32/dialog_table.h"

namespace {

using namespace std::chrono_literals;
using k4test::DialogTemplate;

[[noreturn]] void Fail(const std::string& what)
{
    std::printf("FAIL %s\n", what.c_str());
    std::fflush(stdout);
    std::exit(1);
}

void Say(const std::string& what)
{
    std::printf("%s\n", what.c_str());
    std::fflush(stdout);
}

// UTF-8, as the scenarios' arguments are: names in any language compare.
// The text the system keeps for a window (captions, static texts,
// buttons), read without a message: a program that is hiding its window
// at that moment waits under wine for other programs' threads, and a
// message sent to it would wait for that in turn.
std::string WindowText(HWND hwnd)
{
    wchar_t text[4096] = {};
    const int length = InternalGetWindowText(hwnd, text, static_cast<int>(std::size(text)));
    return k4::Narrow(std::wstring_view(text, static_cast<std::size_t>(std::max(length, 0))));
}

// An edit control keeps its text itself: only a message reads it.
std::string EditControlText(HWND hwnd)
{
    // A program that is still starting may not answer in time: ask again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        wchar_t text[4096] = {};
        if (SendMessageTimeoutW(hwnd, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                2000, nullptr) != 0)
            return k4::Narrow(text);
    }
    return {};
}

void SetText(HWND hwnd, const std::string& text)
{
    SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(k4::Widen(text).c_str()));
}

std::string ClassOf(HWND hwnd)
{
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// Direct children in template order (their z-order).
std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// Top-level dialogs of one process with this caption.
std::vector<HWND> Dialogs(DWORD pid, std::string_view caption, bool visibleOnly = true)
{
    struct Search {
        DWORD pid;
        std::string caption;
        bool visibleOnly;
        std::vector<HWND> found;
    } search{pid, std::string(caption), visibleOnly, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM data) {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s.pid && ClassOf(hwnd) == "#32770" && (!s.visibleOnly || IsWindowVisible(hwnd)) &&
                WindowText(hwnd) == s.caption)
                s.found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Every visible top-level dialog of one process, whatever its caption.
std::vector<HWND> VisibleDialogsOf(DWORD pid)
{
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM data) {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s.pid && ClassOf(hwnd) == "#32770" && IsWindowVisible(hwnd))
                s.found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The dialog of the table is the one whose first control shows its text.
bool IsDialogOf(HWND hwnd, const DialogTemplate& shape)
{
    const std::vector<HWND> controls = Children(hwnd);
    return !controls.empty() && WindowText(controls.front()) == shape.controls.front().text &&
           (GetDlgCtrlID(controls.front()) & 0xFFFF) == (shape.controls.front().id & 0xFFFF);
}

// Whatever the driver started ends with it, also after a failed check:
// a program left waiting behind a dialog would confuse the next run.
HANDLE KillOnCloseJob()
{
    static const HANDLE job = [] {
        const HANDLE created = CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        return created;
    }();
    return job;
}

class Program {
public:
    Program(const std::string& file, const std::string& arguments = {})
    {
        std::wstring commandLine = k4::Widen("\"" + file + "\"" + (arguments.empty() ? "" : " " + arguments));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(k4::Widen(file).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &m_process))
            Fail("cannot start " + file);
        AssignProcessToJobObject(KillOnCloseJob(), m_process.hProcess);
        CloseHandle(m_process.hThread);
    }
    // One that runs already, for a driver that comes later.
    explicit Program(DWORD pid)
    {
        m_process.dwProcessId = pid;
        m_process.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
        if (m_process.hProcess == nullptr)
            Fail("cannot reach process " + std::to_string(pid));
    }
    ~Program() { CloseHandle(m_process.hProcess); }

    DWORD Pid() const { return m_process.dwProcessId; }
    bool Running() const { return WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT; }
    // The exit code, or nothing when it is still running after `limit`.
    std::optional<DWORD> WaitForEnd(std::chrono::milliseconds limit) const
    {
        if (WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0)
            return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_process{};
};

template <typename Found>
auto WaitFor(const std::string& what, std::chrono::milliseconds limit, Found found) -> decltype(found())
{
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (auto result = found())
            return result;
        if (std::chrono::steady_clock::now() > end)
            Fail("timed out waiting for " + what);
        std::this_thread::sleep_for(50ms);
    }
}

HWND WaitForDialog(const Program& program, const DialogTemplate& shape, std::chrono::milliseconds limit = 15s)
{
    return WaitFor(std::string("dialog ") + shape.name, limit, [&]() -> HWND {
        if (!program.Running())
            Fail(std::string("the program ended before dialog ") + shape.name);
        for (HWND hwnd : Dialogs(program.Pid(), shape.caption))
            if (IsDialogOf(hwnd, shape))
                return hwnd;
        return nullptr;
    });
}

// A window's place inside the dialog's client area, in pixels.
RECT ClientRectOf(HWND dialog, HWND child)
{
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Checks one live dialog against its row of the table: caption, close
// box, every control in order, and each place and size (in dialog units,
// through the pixels per unit that the dialog's own size gives).
void CheckDialog(HWND dialog, const DialogTemplate& shape)
{
    const std::string name = shape.name;
    if (WindowText(dialog) != shape.caption)
        Fail(name + ": caption \"" + WindowText(dialog) + "\"");
    const bool closeBox = (GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU) != 0;
    if (closeBox != shape.closeBox)
        Fail(name + (shape.closeBox ? ": no close box" : ": has a close box"));

    RECT client;
    GetClientRect(dialog, &client);
    const double perUnitX = static_cast<double>(client.right) / shape.width;
    const double perUnitY = static_cast<double>(client.bottom) / shape.height;

    const std::vector<HWND> controls = Children(dialog);
    if (controls.size() != shape.controls.size())
        Fail(name + ": " + std::to_string(controls.size()) + " controls, expected " +
             std::to_string(shape.controls.size()));
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const k4test::ControlTemplate& want = shape.controls[i];
        const HWND control = controls[i];
        const std::string where = name + " control " + std::to_string(i);
        if ((GetDlgCtrlID(control) & 0xFFFF) != (want.id & 0xFFFF))
            Fail(where + ": id " + std::to_string(GetDlgCtrlID(control)) + ", expected " + std::to_string(want.id));
        if (_stricmp(ClassOf(control).c_str(), want.windowClass) != 0)
            Fail(where + ": class " + ClassOf(control) + ", expected " + want.windowClass);
        const bool edit = _stricmp(ClassOf(control).c_str(), "Edit") == 0;
        const std::string text = edit ? EditControlText(control) : WindowText(control);
        if (want.fixedText && text != want.text)
            Fail(where + ": text \"" + text + "\", expected \"" + want.text + "\"");
        const RECT rect = ClientRectOf(dialog, control);
        const double tolerance = 1.5;
        const bool placed = std::fabs(rect.left - want.x * perUnitX) <= tolerance + perUnitX &&
                            std::fabs(rect.top - want.y * perUnitY) <= tolerance + perUnitY &&
                            std::fabs((rect.right - rect.left) - want.width * perUnitX) <= tolerance + perUnitX &&
                            std::fabs((rect.bottom - rect.top) - want.height * perUnitY) <= tolerance + perUnitY;
        if (!placed)
            Fail(where + ": placed at " + std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
                 std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top) + " px");
    }
    Say("ok " + name + " matches the table");
}

void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Esc, or the close box: both end up as IDCANCEL in a dialog.
void Close(HWND dialog)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void WaitGone(HWND hwnd, const std::string& what)
{
    WaitFor(what + " to close", 5s, [&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); });
}

// The message box up in `pid` with this caption, and its text.
std::optional<std::pair<HWND, std::string>> MessageBoxOf(DWORD pid, std::string_view caption)
{
    for (HWND box : Dialogs(pid, caption)) {
        for (HWND control : Children(box)) {
            if (_stricmp(ClassOf(control).c_str(), "Static") == 0) {
                const std::string text = WindowText(control);
                if (!text.empty())
                    return std::make_pair(box, text);
            }
        }
    }
    return std::nullopt;
}

void ExpectEnd(const Program& program, const std::string& why, std::chrono::milliseconds limit = 10s)
{
    if (!program.WaitForEnd(limit))
        Fail("the program is still running " + why);
    Say("ok the program ended " + why);
}

void ExpectNoDialog(const Program& program, const DialogTemplate& shape, std::chrono::milliseconds during)
{
    const auto end = std::chrono::steady_clock::now() + during;
    while (std::chrono::steady_clock::now() < end) {
        for (HWND hwnd : Dialogs(program.Pid(), shape.caption))
            if (IsDialogOf(hwnd, shape))
                Fail(std::string("unexpected dialog ") + shape.name);
        std::this_thread::sleep_for(50ms);
    }
}

HWND MainWindowOf(const Program& program)
{
    // Also while hidden: the worker hides it, it is not gone.
    return WaitFor("the main window", 15s, [&]() -> HWND {
        for (HWND hwnd : Dialogs(program.Pid(), k4test::MainDialog().caption, false))
            if (IsDialogOf(hwnd, k4test::MainDialog()))
                return hwnd;
        return nullptr;
    });
}

int Progress(HWND main)
{
    return static_cast<int>(SendMessageA(GetDlgItem(main, IDC_PROGRESS), PBM_GETPOS, 0, 0));
}

void CheckString101(const std::string& app)
{
    const HMODULE image = LoadLibraryExA(app.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (image == nullptr)
        Fail("cannot load the program's resources");
    char text[256] = {};
    LoadStringA(image, IDS_ABOUTBOX, text, sizeof text);
    FreeLibrary(image);
    if (std::string_view(text) != k4::text::kAboutMenuItem)
        Fail(std::string("string 101 is \"") + text + "\"");
    Say("ok string 101 is the About item");
}

void TypeName(HWND save, const std::string& name)
{
    SetText(GetDlgItem(save, IDC_SAVE_AS), name);
}

HWND GoToSaveDialog(const Program& program)
{
    const HWND found = WaitForDialog(program, k4test::DataFoundDialog());
    CheckDialog(found, k4test::DataFoundDialog());
    Press(found, IDC_DOWNLOAD_DATA);
    const HWND save = WaitForDialog(program, k4test::SaveFileDialog());
    CheckDialog(save, k4test::SaveFileDialog());
    return save;
}

// The system's file-save dialog, by its file-name field: its caption is in
// the user's language.
HWND FileSaveDialogOf(const Program& program)
{
    return WaitFor("the file-save dialog", 15s, [&]() -> HWND {
        for (HWND hwnd : VisibleDialogsOf(program.Pid()))
            if (GetDlgItem(hwnd, 0x47c) != nullptr)
                return hwnd;
        return nullptr;
    });
}

// Browse: the system's save dialog, answered with `chosen`; the name
// comes back without its extension.
void Browse(const Program& program, HWND save, const std::string& chosen)
{
    Press(save, IDC_BROWSE);
    const HWND picker = FileSaveDialogOf(program);
    HWND name = GetDlgItem(picker, 0x47c);
    if (name == nullptr)
        Fail("the file-save dialog has no file-name field");
    SetText(name, chosen);
    PostMessageA(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WaitGone(picker, "the file-save dialog");
}

std::string EditText(HWND dialog, int id)
{
    return EditControlText(GetDlgItem(dialog, id));
}

void FinishSaved(const Program& program)
{
    const HWND complete = WaitForDialog(program, k4test::SaveCompleteDialog(), 60s);
    CheckDialog(complete, k4test::SaveCompleteDialog());
    Press(complete, IDC_EXIT);
    ExpectEnd(program, "after Save Successful");
}

// Every scenario gets the program file and its own arguments.
using Scenario = std::function<void(const std::string& app, const std::vector<std::string>& args)>;

void WholePassByBrowse(const std::string& app, const std::vector<std::string>& args)
{
    // args: the file chosen in the system dialog, the base it must give.
    CheckString101(app);
    Program program(app);
    const HWND main = MainWindowOf(program);
    CheckDialog(main, k4test::MainDialog());
    const HWND save = GoToSaveDialog(program);
    if (IsWindowVisible(main))
        Fail("the main window is visible while the prompts are up");
    Browse(program, save, args.at(0));
    if (EditText(save, IDC_SAVE_AS) != args.at(1))
        Fail("Browse gave \"" + EditText(save, IDC_SAVE_AS) + "\"");
    Say("ok Browse dropped the extension");
    Press(save, IDC_SAVE);
    FinishSaved(program);
}

void WholePassTyped(const std::string& app, const std::vector<std::string>& args)
{
    Program program(app);
    const HWND save = GoToSaveDialog(program);
    TypeName(save, args.at(0));
    Press(save, IDC_SAVE);
    FinishSaved(program);
}

// The close box (Esc) at Data Found ends the pass; the worker's tests cover
// what each answer does, this covers the dialog's own mapping of it.
void CloseAtDataFound(const std::string& app, const std::vector<std::string>&)
{
    Program program(app);
    Close(WaitForDialog(program, k4test::DataFoundDialog()));
    ExpectEnd(program, "after the close box at Data Found");
}

void DeviceEmpty(const std::string& app, const std::vector<std::string>&)
{
    Program program(app);
    const HWND empty = WaitForDialog(program, k4test::DeviceEmptyDialog());
    CheckDialog(empty, k4test::DeviceEmptyDialog());
    ExpectNoDialog(program, k4test::DataFoundDialog(), 300ms);
    Press(empty, IDC_EXIT);
    ExpectEnd(program, "after Device Empty");
}

HWND OpenAbout(const Program& program, HWND main)
{
    PostMessageA(main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    const HWND about = WaitForDialog(program, k4test::AboutDialog());
    CheckDialog(about, k4test::AboutDialog());
    return about;
}

// Ten failed polls, the About box with no unit, Try Again, then Esc in the
// main window while it searches.
void SearchGivesUp(const std::string& app, const std::vector<std::string>&)
{
    Program program(app);
    const HWND main = MainWindowOf(program);
    const HWND progress = GetDlgItem(main, IDC_PROGRESS);
    if (SendMessageA(progress, PBM_GETRANGE, TRUE, 0) != 0 || SendMessageA(progress, PBM_GETRANGE, FALSE, 0) != 10)
        Fail("the progress range is not 0 to 10");
    const HWND about = OpenAbout(program, main);
    std::this_thread::sleep_for(1500ms);
    if (!EditText(about, IDC_FIRMWARE).empty())
        Fail("firmware shown with no unit: " + EditText(about, IDC_FIRMWARE));
    Press(about, IDOK);
    WaitGone(about, "the About box");
    Say("ok About shows no firmware before a unit is found");

    int highest = 0;
    const HWND prompt = WaitFor("Device Not Connected", 20s, [&]() -> HWND {
        highest = std::max(highest, Progress(main));
        for (HWND hwnd : Dialogs(program.Pid(), k4test::NotConnectedDialog().caption))
            if (IsDialogOf(hwnd, k4test::NotConnectedDialog()))
                return hwnd;
        return nullptr;
    });
    if (highest != 9)
        Fail("the bar reached " + std::to_string(highest) + ", expected 9");
    if (IsWindowVisible(main))
        Fail("the main window is visible beside Device Not Connected");
    CheckDialog(prompt, k4test::NotConnectedDialog());
    Say("ok ten failed polls bring Device Not Connected");

    Press(prompt, IDC_TRY_AGAIN);
    WaitFor("the main window to come back", 5s, [&] { return IsWindowVisible(main) != FALSE; });
    if (Progress(main) > 1)
        Fail("the bar did not start again");
    WaitFor("the first poll of the new series", 3s, [&] { return Progress(main) == 1; });
    Say("ok Try Again searches again from the start");

    Close(main);
    ExpectEnd(program, "after Esc in the searching main window", 3s);
}

// Downloads into `name` and answers every message box; prints each text
// in order until the program ends.
void Messages(const std::string& app, const std::vector<std::string>& args)
{
    Program program(app);
    const HWND save = GoToSaveDialog(program);
    TypeName(save, args.at(0));
    Press(save, IDC_SAVE);
    const auto end = std::chrono::steady_clock::now() + 90s;
    while (program.Running()) {
        if (std::chrono::steady_clock::now() > end)
            Fail("the program did not end");
        if (auto box = MessageBoxOf(program.Pid(), k4::text::kApplicationName)) {
            Say("message: " + box->second);
            PostMessageA(box->first, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            WaitGone(box->first, "the message box");
        }
        for (HWND hwnd : Dialogs(program.Pid(), k4test::SaveCompleteDialog().caption))
            if (IsDialogOf(hwnd, k4test::SaveCompleteDialog()))
                Fail("Save Successful after a failed transfer");
        std::this_thread::sleep_for(50ms);
    }
    ExpectEnd(program, "after the messages");
}

// A message box of ours is up ("Please enter a file name."): a second
// instance ends at once without a window.
void SecondInstance(const std::string& app, const std::vector<std::string>&)
{
    Program first(app);
    const HWND save = GoToSaveDialog(first);
    Press(save, IDC_SAVE);
    const auto box =
        WaitFor("the empty-name message", 10s, [&] { return MessageBoxOf(first.Pid(), k4::text::kApplicationName); });
    if (box->second != k4::text::kEnterFileNameMessage)
        Fail("message \"" + box->second + "\"");
    Say("ok an empty name is refused");

    Program second(app);
    const auto code = second.WaitForEnd(10s);
    if (!code)
        Fail("the second instance is still running");
    if (!Dialogs(second.Pid(), k4test::MainDialog().caption, false).empty())
        Fail("the second instance left a window");
    Say("ok the second instance ended silently");

    PostMessageA(box->first, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WaitGone(box->first, "the message box");
    if (!IsWindowVisible(save))
        Fail("the save dialog closed after the refusal");
    Press(save, IDC_CANCEL);
    ExpectEnd(first, "after Cancel");
}

// With the unit open (Data Found is up) the About box shows its firmware.
void AboutWithUnit(const std::string& app, const std::vector<std::string>& args)
{
    Program program(app);
    const HWND main = MainWindowOf(program);
    const HWND found = WaitForDialog(program, k4test::DataFoundDialog());
    const HWND about = OpenAbout(program, main);
    WaitFor("the firmware version", 5s, [&] { return EditText(about, IDC_FIRMWARE) == args.at(0); });
    Say("ok About shows firmware " + args.at(0));
    Close(about);
    WaitGone(about, "the About box");
    Press(found, IDC_CANCEL);
    ExpectEnd(program, "after Cancel");
}

// Ending the program at once: `end` is sent while the unit is silent (the
// window still searching) or, with "transfer", while the download stalls
// and the main window is hidden. The process is gone within a second and
// showed nothing more.
void EndAtOnce(const std::string& app, const std::vector<std::string>& args)
{
    Program program(app);
    const HWND main = MainWindowOf(program);
    const bool transfer = args.at(0) == "transfer";
    if (transfer) {
        const HWND save = GoToSaveDialog(program);
        TypeName(save, args.at(1));
        Press(save, IDC_SAVE);
    }
    std::this_thread::sleep_for(2s); // the unit has gone silent by now
    if (!program.Running() || MessageBoxOf(program.Pid(), k4::text::kApplicationName))
        Fail("the pass ended or spoke before it was closed");
    if (args.at(0) == "esc")
        PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 0);
    else
        PostMessageA(main, WM_CLOSE, 0, 0);
    if (!program.WaitForEnd(1s))
        Fail("the program is still running a second after " + args.at(0));
    Say("ok the program ended within a second after " + args.at(0));
}

void F1OpensAbout(const std::string& app, const std::vector<std::string>&)
{
    Program program(app);
    const HWND main = MainWindowOf(program);
    PostMessageA(main, WM_KEYDOWN, VK_F1, 0);
    const HWND about = WaitForDialog(program, k4test::AboutDialog());
    Say("ok F1 opens the About box");
    Close(about);
    WaitGone(about, "the About box");
    Close(main);
    ExpectEnd(program, "after Esc", 3s);
}

// For the pictures: each dialog stays up until the caller has taken its
// picture (it writes DIR\NAME.done once DIR\NAME.ready appeared).
void Pause(const std::string& folder, const std::string& name)
{
    const std::string ready = folder + "\\" + name + ".ready";
    const std::string done = folder + "\\" + name + ".done";
    std::fclose(std::fopen(ready.c_str(), "w"));
    WaitFor("the picture of " + name, 30s, [&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

// --- Dockstart ---------------------------------------------------------

HWND HiddenWindowOf(DWORD pid)
{
    struct Search {
        DWORD pid;
        HWND found = nullptr;
    } search{pid};
    EnumWindows(
        [](HWND hwnd, LPARAM data) {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s.pid && _stricmp(ClassOf(hwnd).c_str(), "Edit") == 0 &&
                (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0)
                s.found = hwnd;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool PopupMenuShown()
{
    HWND menu = FindWindowA("#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu);
}

// Answers Dockstart's question, which must come up within `limit`.
void AnswerQuestion(const Program& program, const std::string& answer, std::chrono::milliseconds limit)
{
    const auto box = WaitFor("the start-at-log-on question", limit,
                             [&] { return MessageBoxOf(program.Pid(), k4::text::kLauncherName); });
    if (box->second != k4::text::kStartQuestionWindows)
        Fail("question \"" + box->second + "\"");
    const int button = answer == "yes" ? IDYES : IDNO;
    PostMessageA(box->first, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    WaitGone(box->first, "the question");
    Say("ok answered " + answer);
}

// Any process's hidden Dockstart window.
std::optional<DWORD> RunningDockstart()
{
    struct Search {
        std::optional<DWORD> pid;
    } search;
    EnumWindows(
        [](HWND hwnd, LPARAM data) {
            if (_stricmp(ClassOf(hwnd).c_str(), "Edit") == 0 &&
                (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
                DWORD pid = 0;
                GetWindowThreadProcessId(hwnd, &pid);
                reinterpret_cast<Search*>(data)->pid = pid;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.pid;
}

// The tray menu: a left click shows nothing, a right click the pop-up,
// whose "Exit" asks the question and ends the launcher.
void ExitThroughTray(const Program& program, HWND hidden, const std::string& answer)
{
    const UINT trayMessage = RegisterWindowMessageA("WMU_NOTIFY_TASKBAR_ICON");
    PostMessageA(hidden, trayMessage, 0, WM_LBUTTONDOWN);
    std::this_thread::sleep_for(700ms);
    if (PopupMenuShown())
        Fail("a left click showed the menu");
    PostMessageA(hidden, trayMessage, 0, WM_RBUTTONDOWN);
    WaitFor("the tray menu", 5s, [] { return PopupMenuShown(); });
    Say("ok a right click shows the menu");
    // The menu's own loop reads the keys: the first item, "Exit".
    PostMessageA(hidden, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(hidden, WM_KEYDOWN, VK_RETURN, 0);
    AnswerQuestion(program, answer, 10s);
    ExpectEnd(program, "after Exit", 5s);
}

// args: the first argument to start it with ("-" for none), what it must
// do at start ("ends", "asks", "runs"), the answer at start, and the
// answer at Exit, or "leave" to leave it running.
void DockstartStart(const std::string& dock, const std::vector<std::string>& args)
{
    Program program(dock, args.at(0) == "-" ? "" : args.at(0));
    const std::string& expected = args.at(1);
    if (expected == "ends") {
        ExpectEnd(program, "at start-up", 10s);
        return;
    }
    if (expected == "asks")
        AnswerQuestion(program, args.at(2), 15s);
    const HWND hidden = WaitFor("the hidden window", 15s, [&] { return HiddenWindowOf(program.Pid()); });
    if (IsWindowVisible(hidden))
        Fail("the hidden window is visible");
    std::this_thread::sleep_for(500ms);
    if (expected == "runs" && MessageBoxOf(program.Pid(), k4::text::kLauncherName))
        Fail("asked although RunOnStart is 1");
    Say("ok Dockstart runs");
    if (args.at(3) != "leave")
        ExitThroughTray(program, hidden, args.at(3));
}

// Ends a Dockstart that runs already through its tray menu.
void DockstartExit(const std::string&, const std::vector<std::string>& args)
{
    const std::optional<DWORD> pid = RunningDockstart();
    if (!pid)
        Fail("no Dockstart is running");
    Program program(*pid);
    ExitThroughTray(program, HiddenWindowOf(*pid), args.at(0));
}

// Whether the tray knows the icon of `hidden`: only a known icon can be
// modified.
bool TrayIconShown(HWND hidden)
{
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = hidden;
    data.uID = 0;
    data.uFlags = NIF_TIP;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

// A running Dockstart as a good citizen of the desktop: a second copy ends
// at once, a tray that forgot the icon (Explorer restarted) gets it again
// with TaskbarCreated, and WM_CLOSE ends the process and takes the icon.
void DockstartCitizen(const std::string& dock, const std::vector<std::string>&)
{
    const std::optional<DWORD> pid = RunningDockstart();
    if (!pid)
        Fail("no Dockstart is running");
    Program first(*pid);
    const HWND hidden = HiddenWindowOf(*pid);
    Program second(dock, "WINSTART");
    ExpectEnd(second, "beside the first", 3s);
    if (!first.Running())
        Fail("the first Dockstart ended too");

    WaitFor("the tray icon", 5s, [&] { return TrayIconShown(hidden); });
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = hidden;
    Shell_NotifyIconA(NIM_DELETE, &data);
    if (TrayIconShown(hidden))
        Fail("the tray still knows the icon");
    SendMessageA(hidden, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    WaitFor("the icon again after TaskbarCreated", 5s, [&] { return TrayIconShown(hidden); });
    Say("ok TaskbarCreated adds the icon again");

    PostMessageA(hidden, WM_CLOSE, 0, 0);
    ExpectEnd(first, "after WM_CLOSE", 5s);
    if (TrayIconShown(hidden))
        Fail("the icon stayed after WM_CLOSE");
}

// Holds a top-level window titled like the unit's own download program
// for the given seconds.
void HoldDownloadTitle(const std::string&, const std::vector<std::string>& args)
{
    const std::string title(k4::text::kDownloadWindowTitle);
    const HWND window = CreateWindowExA(0, "Static", title.c_str(), WS_OVERLAPPED, 0, 0, 100, 40, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr)
        Fail("cannot create the window");
    Say("ok holding the title");
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::stoi(args.at(0)));
    while (std::chrono::steady_clock::now() < end) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        std::this_thread::sleep_for(20ms);
    }
    DestroyWindow(window);
}

// The pictures: every dialog of both programs stays up until the caller
// has taken its picture. args: the hand-shake folder, Dockstart's file.
void Pictures(const std::string& app, const std::vector<std::string>& args)
{
    const std::string& folder = args.at(0);
    {
        Program program(app);
        const HWND main = MainWindowOf(program);
        WaitFor("the bar to move", 5s, [&] { return Progress(main) >= 3; });
        Pause(folder, "main-window");
        const HWND prompt = WaitForDialog(program, k4test::NotConnectedDialog(), 20s);
        Pause(folder, "device-not-connected");
        Press(prompt, IDC_EXIT);
        ExpectEnd(program, "after the search pictures");
    }
    Pause(folder, "plug-in");
    {
        Program program(app);
        const HWND main = MainWindowOf(program);
        const HWND found = WaitForDialog(program, k4test::DataFoundDialog());
        Pause(folder, "data-found");
        // With the unit open, so that the firmware field is filled.
        const HWND about = OpenAbout(program, main);
        WaitFor("the firmware version", 5s, [&] { return !EditText(about, IDC_FIRMWARE).empty(); });
        Pause(folder, "about");
        Press(about, IDOK);
        WaitGone(about, "the About box");
        Press(found, IDC_DOWNLOAD_DATA);
        const HWND save = WaitForDialog(program, k4test::SaveFileDialog());
        Press(save, IDC_BROWSE);
        const HWND picker = WaitFor("the file-save dialog", 15s, [&]() -> HWND {
            for (HWND hwnd : Dialogs(program.Pid(), "Save As"))
                return hwnd;
            return nullptr;
        });
        Pause(folder, "browse");
        Close(picker);
        WaitGone(picker, "the file-save dialog");
        TypeName(save, "picture");
        Pause(folder, "save-file");
        Press(save, IDC_SAVE);
        const HWND complete = WaitForDialog(program, k4test::SaveCompleteDialog(), 60s);
        Pause(folder, "save-complete");
        Press(complete, IDC_EXIT);
        ExpectEnd(program, "after the pass pictures");
    }
    Pause(folder, "empty-unit");
    {
        Program program(app);
        const HWND empty = WaitForDialog(program, k4test::DeviceEmptyDialog());
        Pause(folder, "device-empty");
        Press(empty, IDC_EXIT);
        ExpectEnd(program, "after the empty-unit picture");
    }
    Pause(folder, "launcher");
    {
        Program program(args.at(1));
        const auto question = WaitFor("the start-at-log-on question", 15s,
                                      [&] { return MessageBoxOf(program.Pid(), k4::text::kLauncherName); });
        Pause(folder, "dockstart-question");
        PostMessageA(question->first, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
        const HWND hidden = WaitFor("the hidden window", 15s, [&] { return HiddenWindowOf(program.Pid()); });
        PostMessageA(hidden, RegisterWindowMessageA("WMU_NOTIFY_TASKBAR_ICON"), 0, WM_RBUTTONDOWN);
        WaitFor("the tray menu", 5s, [] { return PopupMenuShown(); });
        Pause(folder, "dockstart-menu");
        PostMessageA(hidden, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(hidden, WM_KEYDOWN, VK_RETURN, 0);
        AnswerQuestion(program, "yes", 10s);
        ExpectEnd(program, "after the launcher pictures", 5s);
    }
}

// The pictures of names in other languages: the save dialog with one typed,
// and the file-save dialog with one chosen. args: the hand-shake folder,
// the name to type, the file to choose.
void PicturesOfNames(const std::string& app, const std::vector<std::string>& args)
{
    const std::string& folder = args.at(0);
    Program program(app);
    const HWND save = GoToSaveDialog(program);
    TypeName(save, args.at(1));
    Pause(folder, "save-file-names");
    Press(save, IDC_BROWSE);
    const HWND picker = FileSaveDialogOf(program);
    SetText(GetDlgItem(picker, 0x47c), args.at(2));
    Pause(folder, "browse-names");
}

} // namespace

// The arguments as UTF-8, from the wide command line: the narrow argv has
// lost whatever the code page lacks.
std::vector<std::string> Arguments()
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(k4::Narrow(wide[i]));
    LocalFree(wide);
    return arguments;
}

int main()
{
    const std::vector<std::pair<std::string, Scenario>> scenarios = {
        {"pass-browse", WholePassByBrowse},
        {"pass-typed", WholePassTyped},
        {"close-found", CloseAtDataFound},
        {"device-empty", DeviceEmpty},
        {"search", SearchGivesUp},
        {"messages", Messages},
        {"second-instance", SecondInstance},
        {"about-unit", AboutWithUnit},
        {"end-at-once", EndAtOnce},
        {"f1-about", F1OpensAbout},
        {"pictures", Pictures},
        {"pictures-names", PicturesOfNames},
        {"dockstart", DockstartStart},
        {"dockstart-exit", DockstartExit},
        {"dockstart-citizen", DockstartCitizen},
        {"hold-title", HoldDownloadTitle},
    };
    const std::vector<std::string> argv = Arguments();
    if (argv.size() < 3) {
        std::fprintf(stderr, "usage: driver SCENARIO PROGRAM [ARG...]\n");
        return 2;
    }
    for (const auto& [name, run] : scenarios) {
        if (name == argv[1]) {
            run(argv[2], std::vector<std::string>(argv.begin() + 3, argv.end()));
            Say("PASS " + name);
            return 0;
        }
    }
    std::fprintf(stderr, "driver: no scenario %s\n", argv[1].c_str());
    return 2;
}
