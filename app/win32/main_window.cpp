#include "app/win32/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <chrono>
#include <string>

#include "app/win32/dialogs.h"
#include "app/win32/resource_ids.h"
#include "common/texts.h"
#include "platform/window_titles.h"

namespace k4win {

namespace {

constexpr int kProgressSteps = 10;
constexpr std::chrono::milliseconds kCloseAgainEvery{50};

} // namespace

MainWindow::MainWindow(HINSTANCE instance)
    : m_instance(instance), m_hIcon(LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME))),
      // A message box of a running instance carries the bare application
      // name; its main window (with the version) does not count.
      m_bOtherInstance(k4::WindowTitleExists(k4::text::kApplicationName)), m_shell(instance)
{}

MainWindow::~MainWindow()
{
    EndPass();
}

// The worker gives up within one read interval and its windows are closed
// for it; only a file being written is waited for, so that it is finished
// rather than cut.
void MainWindow::EndPass()
{
    if (!m_session)
        return;
    m_session->Stop();
    m_shell.CloseForEnd();
    while (!m_session->WaitFor(kCloseAgainEvery)) {
        m_shell.CloseForEnd();
        // A worker's message sent to our window is answered.
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    m_session.reset();
}

// Our own modal loop rather than DialogBox's: that one shows a window
// created hidden when its queue first goes empty, which could undo the
// worker's hiding when the unit is found at the first poll. The loop ends
// on the worker's quit message or when the window closes.
void MainWindow::Run()
{
    const HWND dialog =
        CreateDialogParamA(m_instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
    if (dialog == nullptr)
        return;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsAboutKey(dialog, message)) {
            OpenAbout();
            continue;
        }
        if (!IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    // The window goes with the process. Hiding or destroying a shown window
    // hands the activation on to another program's window, and under wine
    // that waits until the other program takes messages, which may be long
    // after the second the user is promised.
    EndPass();
}

INT_PTR CALLBACK MainWindow::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return reinterpret_cast<MainWindow*>(lParam)->OnInitDialog(dialog);
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (self == nullptr)
        return FALSE;
    switch (message) {
    case WM_SYSCOMMAND:
        if (!self->OnSysCommand(wParam))
            return FALSE;
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
        return TRUE;
    case WM_PAINT: return self->OnPaint(dialog);
    case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(self->m_hIcon);
    case WM_CONTEXTMENU: self->OnContextMenu(dialog, lParam); return TRUE;
    case WM_COMMAND:
        // Enter and Esc (and WM_CLOSE, which the dialog turns into Esc) end
        // the program even while the worker searches or the window is hidden.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            if (self->m_session)
                self->m_session->Stop();
            PostQuitMessage(0);
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

BOOL MainWindow::OnInitDialog(HWND dialog)
{
    m_hwnd = dialog;
    if (m_bOtherInstance) {
        // Before the window is first shown: the user sees nothing.
        PostMessageA(dialog, WM_QUIT, 0, 0);
        return FALSE;
    }
    AddAboutItem(dialog);
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    const HWND progress = GetDlgItem(dialog, IDC_PROGRESS);
    SendMessageA(progress, PBM_SETRANGE, 0, MAKELPARAM(0, kProgressSteps));

    // Shown before the worker starts, so that its first hide is the last
    // word on the window's visibility.
    ShowWindow(dialog, SW_SHOW);
    m_shell.Attach(dialog, progress);
    m_session = std::make_unique<k4::DownloadSession>(m_shell);
    m_session->Start(); // reads VID and PID first

    SetFocus(dialog);
    SetForegroundWindow(dialog);
    return TRUE;
}

std::string MainWindow::AboutItemText() const
{
    char text[256] = {};
    if (LoadStringA(m_instance, IDS_ABOUTBOX, text, sizeof text) <= 0)
        return {};
    return text;
}

void MainWindow::AddAboutItem(HWND dialog)
{
    const HMENU systemMenu = GetSystemMenu(dialog, FALSE);
    const std::string text = AboutItemText();
    if (systemMenu == nullptr || text.empty())
        return;
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, text.c_str());
}

bool MainWindow::OnSysCommand(WPARAM command)
{
    if ((command & 0xFFF0) != IDM_ABOUTBOX)
        return false;
    OpenAbout();
    return true;
}

void MainWindow::OpenAbout()
{
    if (m_session)
        RunAboutBox(m_instance, m_hwnd, *m_session);
}

// The window has no system-menu box to click, so the About item is also
// on F1 and in the window's own context menu.
bool MainWindow::IsAboutKey(HWND dialog, const MSG& message)
{
    return message.message == WM_KEYDOWN && message.wParam == VK_F1 &&
           (message.hwnd == dialog || IsChild(dialog, message.hwnd));
}

void MainWindow::OnContextMenu(HWND dialog, LPARAM at)
{
    const std::string text = AboutItemText();
    const HMENU menu = CreatePopupMenu();
    if (menu == nullptr || text.empty()) {
        if (menu != nullptr)
            DestroyMenu(menu);
        return;
    }
    AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, text.c_str());
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1) { // from the keyboard: at the window's corner
        point = {0, 0};
        ClientToScreen(dialog, &point);
    }
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, dialog, nullptr);
    DestroyMenu(menu);
    if (chosen == IDM_ABOUTBOX)
        OpenAbout();
}

bool MainWindow::OnPaint(HWND dialog)
{
    if (!IsIconic(dialog))
        return false;
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(dialog, &paint);
    SendMessageA(dialog, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(dialog, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(dialog, &paint);
    return true;
}

} // namespace k4win
