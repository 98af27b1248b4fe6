// The save-file dialog: one name for both output files.
#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "app/win32/dialogs.h"
#include "app/win32/resource_ids.h"
#include "app/win32/win32_text.h"
#include "common/output_path.h"
#include "common/texts.h"

namespace k4win {

namespace {

struct SaveFileState {
    std::string basePath;
};

std::string DialogItemText(HWND dialog, int id)
{
    const HWND item = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthA(item);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(item, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

// The system dialog takes its filter as NUL-separated pairs ending in two
// NULs; ours is written with '|' like the framework's.
std::vector<char> SystemFilter()
{
    std::vector<char> filter(k4::text::kSaveFilterWindows.begin(), k4::text::kSaveFilterWindows.end());
    for (char& c : filter)
        if (c == '|')
            c = '\0';
    filter.push_back('\0');
    return filter;
}

void OnBrowse(HWND dialog)
{
    const std::vector<char> filter = SystemFilter();
    // Long paths are legal in the dialog; MAX_PATH would cut them.
    std::vector<char> file(32768, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = filter.data();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameA(&ofn))
        return;
    const std::string chosen = k4::StripChosenExtension(file.data());
    SetDlgItemTextA(dialog, IDC_SAVE_AS, chosen.c_str());
}

void OnSave(HWND dialog, SaveFileState& state)
{
    const std::string typed = DialogItemText(dialog, IDC_SAVE_AS);
    std::string basePath;
    const k4::SaveCheck check = k4::ResolveSavePath(typed, basePath);
    if (check == k4::SaveCheck::Ok) {
        state.basePath = std::move(basePath);
        EndDialog(dialog, static_cast<INT_PTR>(k4::SaveFileResult::Save));
        return;
    }
    ShowApplicationMessage(dialog, k4::SaveCheckMessage(check));
    SetFocus(GetDlgItem(dialog, IDC_SAVE_AS));
}

INT_PTR CALLBACK SaveFileProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<SaveFileState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SetForegroundWindow(dialog);
        return TRUE;
    case WM_COMMAND:
        if (state == nullptr)
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_BROWSE:
            OnBrowse(dialog);
            return TRUE;
        case IDC_SAVE:
            OnSave(dialog, *state);
            return TRUE;
        case IDC_CANCEL:
        case IDCANCEL:
            state->basePath.clear();
            EndDialog(dialog, static_cast<INT_PTR>(k4::SaveFileResult::Cancel));
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

} // namespace

std::optional<std::string> RunSaveFileDialog(HINSTANCE instance)
{
    SaveFileState state;
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SAVE_FILE), nullptr, SaveFileProc,
                                           reinterpret_cast<LPARAM>(&state));
    if (result != static_cast<INT_PTR>(k4::SaveFileResult::Save))
        return std::nullopt;
    return state.basePath;
}

void ShowApplicationMessage(HWND owner, std::string_view text)
{
    MessageBoxA(owner, Z(text).c_str(), Z(k4::text::kApplicationName).c_str(), MB_OK);
}

} // namespace k4win
