// The About box runs on the user-interface thread, so it never waits for
// the unit: the session asks on a thread of its own and the answer comes
// back as a message, or not at all once the box has closed.
#include <memory>
#include <mutex>

#include "app/win32/dialogs.h"
#include "app/win32/resource_ids.h"
#include "session/download_session.h"

namespace k4win {

namespace {

constexpr UINT WM_FIRMWARE_ANSWERED = WM_APP + 1;

// Shared with the query's thread, which may answer after the box is gone.
struct FirmwareReply {
    std::mutex mutex;
    HWND dialog = nullptr;
    std::optional<std::string> text;
};

struct AboutState {
    k4::DownloadSession* session;
    std::shared_ptr<FirmwareReply> reply;
};

void AskFirmware(HWND dialog, AboutState& state)
{
    state.reply = std::make_shared<FirmwareReply>();
    state.reply->dialog = dialog;
    state.session->RequestFirmwareVersion([reply = state.reply](std::optional<std::string> text) {
        std::lock_guard lock(reply->mutex);
        reply->text = std::move(text);
        // Posted, not sent: the user-interface thread may be waiting for
        // this lock in WM_DESTROY.
        if (reply->dialog != nullptr)
            PostMessageA(reply->dialog, WM_FIRMWARE_ANSWERED, 0, 0);
    });
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<AboutState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        AskFirmware(dialog, *reinterpret_cast<AboutState*>(lParam));
        return TRUE;
    case WM_FIRMWARE_ANSWERED:
        if (state != nullptr && state->reply) {
            std::lock_guard lock(state->reply->mutex);
            if (state->reply->text)
                SetDlgItemTextA(dialog, IDC_FIRMWARE, state->reply->text->c_str());
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, static_cast<INT_PTR>(k4::AboutResult::Ok));
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, static_cast<INT_PTR>(k4::AboutResult::Closed));
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        if (state != nullptr && state->reply) {
            std::lock_guard lock(state->reply->mutex);
            state->reply->dialog = nullptr;
        }
        return FALSE;
    default: return FALSE;
    }
}

} // namespace

k4::AboutResult RunAboutBox(HINSTANCE instance, HWND mainWindow, k4::DownloadSession& session)
{
    AboutState state{&session, nullptr};
    // Owned by the main window, as the framework does for a dialog given
    // no parent: the main window waits behind it.
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUTBOX), mainWindow, AboutProc,
                                           reinterpret_cast<LPARAM>(&state));
    return result == static_cast<INT_PTR>(k4::AboutResult::Ok) ? k4::AboutResult::Ok : k4::AboutResult::Closed;
}

} // namespace k4win
