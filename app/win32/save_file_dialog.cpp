// The save-file dialog: one name for both output files. Its edit control,
// the system's file-save dialog and the message boxes are all wide: a name
// typed or chosen in any language reaches the writers whole, whatever the
// machine's code page.
#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "app/win32/dialogs.h"
#include "app/win32/resource_ids.h"
#include "common/output_path.h"
#include "common/texts.h"
#include "platform/win32/wide_text.h"

namespace k4win {

namespace {

struct SaveFileState {
    std::string basePath;
};

std::string DialogItemText(HWND dialog, int id)
{
    const HWND item = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthW(item);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(item, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return k4::Narrow(text);
}

// The system dialog takes its filter as NUL-separated pairs ending in two
// NULs; ours is written with '|' like the framework's.
std::wstring SystemFilter()
{
    std::wstring filter = k4::Widen(k4::text::kSaveFilterWindows);
    for (wchar_t& c : filter)
        if (c == L'|')
            c = L'\0';
    filter.push_back(L'\0');
    return filter;
}

void OnBrowse(HWND dialog)
{
    const std::wstring filter = SystemFilter();
    // Long paths are legal in the dialog; MAX_PATH would cut them.
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = filter.data();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    // The process's current folder stays where it was: the dialog would
    // otherwise leave it in whatever folder the user browsed to.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn))
        return;
    const std::string chosen = k4::StripChosenExtension(k4::Narrow(file.data()));
    SetDlgItemTextW(dialog, IDC_SAVE_AS, k4::Widen(chosen).c_str());
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
    auto* state = reinterpret_cast<SaveFileState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetForegroundWindow(dialog);
        return TRUE;
    case WM_COMMAND:
        if (state == nullptr)
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_BROWSE: OnBrowse(dialog); return TRUE;
        case IDC_SAVE: OnSave(dialog, *state); return TRUE;
        case IDC_CANCEL:
        case IDCANCEL:
            state->basePath.clear();
            EndDialog(dialog, static_cast<INT_PTR>(k4::SaveFileResult::Cancel));
            return TRUE;
        default: return FALSE;
        }
    default: return FALSE;
    }
}

} // namespace

std::optional<std::string> RunSaveFileDialog(HINSTANCE instance)
{
    SaveFileState state;
    // A wide dialog, so that its edit control holds UTF-16 rather than the
    // code page's characters.
    const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SAVE_FILE), nullptr, SaveFileProc,
                                           reinterpret_cast<LPARAM>(&state));
    if (result != static_cast<INT_PTR>(k4::SaveFileResult::Save))
        return std::nullopt;
    return state.basePath;
}

void ShowApplicationMessage(HWND owner, std::string_view text)
{
    MessageBoxW(owner, k4::Widen(text).c_str(), k4::Widen(k4::text::kApplicationName).c_str(), MB_OK);
}

} // namespace k4win
