#include "launcher/win32/hidden_window.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

#include "common/texts.h"
#include "launcher/win32/resource_ids.h"
#include "watch/launcher_startup.h"

namespace k4dock {

namespace {

// Registered before anything else runs, so that the tray can call back as
// soon as the icon exists.
const UINT g_uTaskbarMsg = RegisterWindowMessageA("WMU_NOTIFY_TASKBAR_ICON");

constexpr const char* kThisKey = "k4dock.HiddenWindow";

} // namespace

bool AskStartAtLogOn()
{
    const std::string question(k4::text::kStartQuestionWindows);
    const std::string caption(k4::text::kLauncherName);
    return MessageBoxA(nullptr, question.c_str(), caption.c_str(), MB_YESNO) != IDNO;
}

HiddenWindow::HiddenWindow(HINSTANCE instance)
{
    m_hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, "Edit", "", WS_MINIMIZE, 0, 0, 1, 1, nullptr, nullptr, instance,
                             nullptr);
    if (m_hwnd == nullptr)
        return;
    SetPropA(m_hwnd, kThisKey, this);
    m_editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HiddenWindow::WindowProc)));

    m_hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    SendMessageA(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_TRAY_MENU));
    SetMenu(m_hwnd, m_menu);
}

HiddenWindow::~HiddenWindow()
{
    RemoveTrayIcon();
    if (m_hwnd != nullptr) {
        SetMenu(m_hwnd, nullptr);
        SetWindowLongPtrA(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_editProc));
        RemovePropA(m_hwnd, kThisKey);
        DestroyWindow(m_hwnd);
    }
    if (m_menu != nullptr)
        DestroyMenu(m_menu);
}

NOTIFYICONDATAA HiddenWindow::TrayData() const
{
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = m_hwnd;
    data.uID = 0;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = g_uTaskbarMsg;
    data.hIcon = reinterpret_cast<HICON>(SendMessageA(m_hwnd, WM_GETICON, ICON_BIG, 0));
    const std::string_view tip = k4::text::kLauncherName;
    const std::size_t length = std::min(tip.size(), sizeof data.szTip - 1);
    std::copy_n(tip.data(), length, data.szTip);
    return data;
}

void HiddenWindow::AddTrayIcon()
{
    m_bTrayIconShown = true;
    NOTIFYICONDATAA data = TrayData();
    Shell_NotifyIconA(NIM_ADD, &data);
}

void HiddenWindow::RemoveTrayIcon()
{
    if (!m_bTrayIconShown)
        return;
    m_bTrayIconShown = false;
    NOTIFYICONDATAA data = TrayData();
    Shell_NotifyIconA(NIM_DELETE, &data);
}

LRESULT CALLBACK HiddenWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<HiddenWindow*>(GetPropA(hwnd, kThisKey));
    if (self == nullptr)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == g_uTaskbarMsg) {
        self->OnTaskbarNotify(lParam);
        return 0;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == 0 && LOWORD(wParam) == ID_APP_EXIT_TRAY) {
        self->OnExit();
        return 0;
    }
    return CallWindowProcA(self->m_editProc, hwnd, message, wParam, lParam);
}

void HiddenWindow::OnTaskbarNotify(LPARAM mouseMessage)
{
    if (mouseMessage != WM_RBUTTONDOWN)
        return;
    const HMENU menu = GetMenu(m_hwnd);
    if (menu == nullptr)
        return;
    const HMENU file = GetSubMenu(menu, 0);
    if (file == nullptr)
        return;
    // Without the foreground the pop-up would not close when the user
    // clicks elsewhere.
    SetForegroundWindow(m_hwnd);
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(file, TPM_RIGHTALIGN, cursor.x, cursor.y, 0, m_hwnd, nullptr);
}

void HiddenWindow::OnExit()
{
    k4::AnswerOnExit(AskStartAtLogOn);
    PostMessageA(m_hwnd, WM_QUIT, 0, 0);
}

} // namespace k4dock
