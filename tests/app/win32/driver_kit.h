#pragma once
// What driving the Windows programs from outside takes: finding their
// windows by caption and control, pressing buttons, typing, and reading
// texts back. Used by driver.exe (the desktop cases) and by the picture
// maker in scripts/.
#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/win32/resource_ids.h"
#include "common/texts.h"
#include "platform/win32/wide_text.h"

namespace k4drive {

using namespace std::chrono_literals;
namespace text = k4::text;

inline void Say(const std::string& what)
{
    std::printf("%s\n", what.c_str());
    std::fflush(stdout);
}

[[noreturn]] inline void Fail(const std::string& what)
{
    Say("FAIL " + what);
    std::exit(1);
}

// The text the system keeps for a window, as UTF-8, read without a
// message: a program that is hiding its window at that moment waits under
// wine for other programs' threads, and a message would wait for that.
inline std::string WindowText(HWND hwnd)
{
    wchar_t buffer[4096] = {};
    const int length = InternalGetWindowText(hwnd, buffer, static_cast<int>(std::size(buffer)));
    return k4::Narrow(std::wstring_view(buffer, static_cast<std::size_t>(length > 0 ? length : 0)));
}

// An edit control keeps its text itself: only a message reads it.
inline std::string EditText(HWND dialog, int id)
{
    wchar_t buffer[4096] = {};
    SendMessageTimeoutW(GetDlgItem(dialog, id), WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return k4::Narrow(buffer);
}

inline void SetText(HWND hwnd, const std::string& value)
{
    SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(k4::Widen(value).c_str()));
}

inline std::string ClassOf(HWND hwnd)
{
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// The first top-level window of one process that `wanted` takes.
inline HWND WindowOf(DWORD pid, const std::function<bool(HWND)>& wanted)
{
    for (HWND hwnd = GetWindow(GetDesktopWindow(), GW_CHILD); hwnd != nullptr; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid && wanted(hwnd))
            return hwnd;
    }
    return nullptr;
}

inline bool IsDialog(HWND hwnd, std::string_view caption, bool visibleOnly = true)
{
    return ClassOf(hwnd) == "#32770" && (!visibleOnly || IsWindowVisible(hwnd)) && WindowText(hwnd) == caption;
}

// Our dialogs, told apart by the text on top.
inline const std::string kMain(text::kSearching);
inline const std::string kDataFound(text::kDataFound);
inline const std::string kSaveFile(text::kSaveFileTitle);
inline const std::string kSaveComplete(text::kSaveComplete);
inline const std::string kAbout = std::string(text::kApplicationName) + "\n" + std::string(text::kAboutVersionLine);

class Program {
public:
    explicit Program(const std::string& file, const std::string& arguments = {})
    {
        std::wstring commandLine = k4::Widen("\"" + file + "\"" + (arguments.empty() ? "" : " " + arguments));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(k4::Widen(file).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &m_process))
            Fail("cannot start " + file);
        // Whatever the driver started ends with it, also after a failed
        // check: a program left waiting behind a dialog would confuse the
        // next run.
        static const HANDLE job = [] {
            const HANDLE created = CreateJobObjectA(nullptr, nullptr);
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
            return created;
        }();
        AssignProcessToJobObject(job, m_process.hProcess);
        CloseHandle(m_process.hThread);
    }
    ~Program() { CloseHandle(m_process.hProcess); }

    DWORD Pid() const { return m_process.dwProcessId; }
    bool Running() const { return !EndsWithin(0ms); }
    bool EndsWithin(std::chrono::milliseconds limit) const
    {
        return WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0;
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

// The dialog with this text on top up in `program`: also a hidden main
// window, which the worker hides while the prompts are up.
inline HWND WaitForDialog(const Program& program, const std::string& top, std::chrono::milliseconds limit = 15s,
                          std::string_view caption = text::kWindowCaption)
{
    return WaitFor("dialog " + top, limit, [&] {
        if (!program.Running())
            Fail("the program ended before dialog " + top);
        return WindowOf(program.Pid(), [&](HWND hwnd) {
            return IsDialog(hwnd, caption, top != kMain) && WindowText(GetWindow(hwnd, GW_CHILD)) == top;
        });
    });
}

inline void Press(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

inline void WaitGone(HWND hwnd, const std::string& what)
{
    WaitFor(what + " to close", 5s, [&] { return !IsWindowVisible(hwnd); });
}

// The message box up in `pid` with this caption, or nullptr.
inline HWND MessageBoxOf(DWORD pid, std::string_view caption)
{
    return WindowOf(pid, [&](HWND hwnd) { return IsDialog(hwnd, caption); });
}

// A message box's text, in the static control the system gives id 0xFFFF.
inline std::string MessageText(HWND box)
{
    return WindowText(GetDlgItem(box, 0xFFFF));
}

inline void ExpectEnd(const Program& program, const std::string& why, std::chrono::milliseconds limit = 10s)
{
    if (!program.EndsWithin(limit))
        Fail("the program is still running " + why);
}

inline HWND GoToSaveDialog(const Program& program)
{
    Press(WaitForDialog(program, kDataFound), IDC_DOWNLOAD_DATA);
    return WaitForDialog(program, kSaveFile);
}

// The system's file-save dialog, by its file-name field: its caption is in
// the user's language.
inline HWND FileSaveDialogOf(const Program& program)
{
    return WaitFor("the file-save dialog", 15s, [&] {
        return WindowOf(program.Pid(), [](HWND hwnd) {
            return ClassOf(hwnd) == "#32770" && IsWindowVisible(hwnd) && GetDlgItem(hwnd, 0x47c) != nullptr;
        });
    });
}

// Dockstart's hidden window.
inline HWND HiddenWindowOf(DWORD pid)
{
    return WindowOf(pid, [](HWND hwnd) {
        return _stricmp(ClassOf(hwnd).c_str(), "Edit") == 0 &&
               (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
    });
}

inline bool PopupMenuShown()
{
    return IsWindowVisible(FindWindowA("#32768", nullptr)) != FALSE;
}

inline void TrayClick(HWND hidden, UINT button)
{
    PostMessageA(hidden, RegisterWindowMessageA("WMU_NOTIFY_TASKBAR_ICON"), 0, button);
}

// The menu's own loop reads the keys: the first item, "Exit".
inline void ChooseExit(HWND hidden)
{
    PostMessageA(hidden, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(hidden, WM_KEYDOWN, VK_RETURN, 0);
}

// Answers Dockstart's start-at-log-on question with IDYES or IDNO.
inline void AnswerQuestion(const Program& program, int answer)
{
    const auto box =
        WaitFor("the start-at-log-on question", 15s, [&] { return MessageBoxOf(program.Pid(), text::kLauncherName); });
    Press(box, answer);
    WaitGone(box, "the question");
}

using Scenario = std::function<void(const std::string& program, const std::vector<std::string>& args)>;

// driver SCENARIO PROGRAM [ARG...]: runs the named scenario; 0 when every
// check held, 1 at the first that did not, 2 for a wrong call. The
// arguments come from the wide command line as UTF-8: the narrow argv has
// lost whatever the code page lacks.
inline int RunScenario(const std::vector<std::pair<std::string, Scenario>>& scenarios)
{
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> argv;
    for (int i = 0; i < count; ++i)
        argv.push_back(k4::Narrow(wide[i]));
    for (const auto& [name, run] : scenarios) {
        if (argv.size() >= 3 && name == argv[1]) {
            run(argv[2], std::vector<std::string>(argv.begin() + 3, argv.end()));
            Say("PASS " + name);
            return 0;
        }
    }
    std::fprintf(stderr, "usage: driver SCENARIO PROGRAM [ARG...]\n");
    return 2;
}

} // namespace k4drive
