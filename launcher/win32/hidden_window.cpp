#include "launcher/win32/hidden_window.h"

#include <shellapi.h>
#include <dbt.h>

#include <algorithm>
#include <string>

#include "common/texts.h"
#include "launcher/win32/tray_resource_ids.h"
#include "watch/launcher_startup.h"

namespace k4dock {

namespace {

// Registered before anything else runs, so that the tray can call back as
// soon as the icon exists.
const UINT g_uTaskbarMsg = RegisterWindowMessageA("WMU_NOTIFY_TASKBAR_ICON");

// Sent to every top-level window when Explorer (re)creates the taskbar:
// its tray has forgotten every icon.
const UINT g_uTaskbarCreated = RegisterWindowMessageA("TaskbarCreated");

constexpr const char* kThisKey = "k4dock.HiddenWindow";

// At log-on the tray may not take icons yet; a minute of tries covers a
// slow log-on, and a tray that comes later still sends TaskbarCreated.
constexpr UINT_PTR kTrayRetryTimer = 1;
constexpr UINT kTrayRetryMs = 1000;
constexpr int kTrayRetries = 60;

// GUID_DEVINTERFACE_COMPORT, spelt out to spare the GUID-definition headers.
constexpr GUID kComPortInterface = {0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

} // namespace

bool AskStartAtLogOn()
{
    const std::string question(k4::text::kStartQuestionWindows);
    const std::string caption(k4::text::kLauncherName);
    return MessageBoxA(nullptr, question.c_str(), caption.c_str(), MB_YESNO) != IDNO;
}

HiddenWindow::HiddenWindow(HINSTANCE instance)
{
    m_hwnd =
        CreateWindowExA(WS_EX_TOOLWINDOW, "Edit", "", WS_MINIMIZE, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
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
    if (m_deviceNotify != nullptr)
        UnregisterDeviceNotification(m_deviceNotify);
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
    if (ShowTrayIcon())
        return;
    m_trayRetriesLeft = kTrayRetries;
    SetTimer(m_hwnd, kTrayRetryTimer, kTrayRetryMs, nullptr);
}

// A tray that knows the icon already (an add that timed out but went
// through) refuses the add; the modify then tells whether it is there.
bool HiddenWindow::ShowTrayIcon()
{
    NOTIFYICONDATAA data = TrayData();
    return Shell_NotifyIconA(NIM_ADD, &data) || Shell_NotifyIconA(NIM_MODIFY, &data);
}

void HiddenWindow::OnTrayRetry()
{
    if (!m_bTrayIconShown || ShowTrayIcon() || --m_trayRetriesLeft <= 0)
        KillTimer(m_hwnd, kTrayRetryTimer);
}

void HiddenWindow::RemoveTrayIcon()
{
    KillTimer(m_hwnd, kTrayRetryTimer);
    if (!m_bTrayIconShown)
        return;
    m_bTrayIconShown = false;
    NOTIFYICONDATAA data = TrayData();
    Shell_NotifyIconA(NIM_DELETE, &data);
}

void HiddenWindow::WatchDeviceChanges(std::function<void()> onDeviceChange)
{
    m_onDeviceChange = std::move(onDeviceChange);
    DEV_BROADCAST_DEVICEINTERFACE_A filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = kComPortInterface;
    m_deviceNotify = RegisterDeviceNotificationA(m_hwnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
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
    switch (message) {
    case WM_TIMER:
        if (wParam == kTrayRetryTimer) {
            self->OnTrayRetry();
            return 0;
        }
        break;
    case WM_DEVICECHANGE:
        // Arrivals and removals of ports, and the broadcast "something
        // changed" that comes for every device.
        if ((wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE || wParam == DBT_DEVNODES_CHANGED) &&
            self->m_onDeviceChange)
            self->m_onDeviceChange();
        return TRUE;
    case WM_CLOSE:
        // taskkill without /F, an installer: end as "Exit" does, without
        // the question, and keep the window until the loop has ended.
        PostQuitMessage(0);
        return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
        // The process ends when this returns; nothing after the loop runs.
        if (wParam != FALSE) {
            if (self->m_atSessionEnd)
                self->m_atSessionEnd();
            self->RemoveTrayIcon();
        }
        return 0;
    default:
        if (message == g_uTaskbarCreated && message != 0) {
            if (self->m_bTrayIconShown)
                self->AddTrayIcon();
            return 0;
        }
        break;
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
