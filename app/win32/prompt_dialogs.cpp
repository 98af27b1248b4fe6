// The prompts differ only in their template and in what each button (and
// Esc or the close box) ends them with, so one dialog procedure serves all
// four and a table per prompt says the rest.
#include <array>

#include "app/win32/dialogs.h"
#include "app/win32/resource_ids.h"

namespace k4win {

namespace {

struct ButtonResult {
    int id;
    int result;
};

struct PromptKind {
    int templateId;
    std::array<ButtonResult, 2> buttons; // id 0 marks an unused slot
    int cancelResult;                    // Esc and, where there is one, the close box
};

constexpr PromptKind kNotConnected{IDD_DEVICE_NOT_CONNECTED, {{{IDC_TRY_AGAIN, 1}, {IDC_EXIT, 0}}}, 2};
constexpr PromptKind kDeviceEmpty{IDD_DEVICE_EMPTY, {{{IDC_EXIT, 0}, {0, 0}}}, 2};
// "Cancel" and a closed prompt mean the same here: no download.
constexpr PromptKind kDataFound{IDD_DATA_FOUND, {{{IDC_DOWNLOAD_DATA, 1}, {IDC_CANCEL, 0}}}, 0};
constexpr PromptKind kSaveComplete{IDD_SAVE_COMPLETE, {{{IDC_EXIT, 0}, {0, 0}}}, 2};

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        // No parent: without this the prompt may open behind other windows.
        SetForegroundWindow(dialog);
        return TRUE;
    case WM_COMMAND: {
        const auto* kind = reinterpret_cast<const PromptKind*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (kind == nullptr)
            return FALSE;
        const int id = LOWORD(wParam);
        if (id == IDCANCEL) {
            EndDialog(dialog, kind->cancelResult);
            return TRUE;
        }
        for (const ButtonResult& button : kind->buttons) {
            if (button.id != 0 && button.id == id) {
                EndDialog(dialog, button.result);
                return TRUE;
            }
        }
        return FALSE;
    }
    default: return FALSE;
    }
}

int RunPrompt(HINSTANCE instance, const PromptKind& kind)
{
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(kind.templateId), nullptr, PromptProc,
                                            reinterpret_cast<LPARAM>(&kind)));
}

} // namespace

// A prompt that could not be shown at all (-1) counts as closed: the pass
// then takes the safe way for each prompt.
k4::NotConnectedChoice RunDeviceNotConnected(HINSTANCE instance)
{
    const int result = RunPrompt(instance, kNotConnected);
    return result == 0   ? k4::NotConnectedChoice::Exit
           : result == 1 ? k4::NotConnectedChoice::TryAgain
                         : k4::NotConnectedChoice::Closed;
}

k4::DeviceEmptyResult RunDeviceEmpty(HINSTANCE instance)
{
    return RunPrompt(instance, kDeviceEmpty) == 0 ? k4::DeviceEmptyResult::Exit : k4::DeviceEmptyResult::Closed;
}

k4::DataFoundChoice RunDataFound(HINSTANCE instance)
{
    return RunPrompt(instance, kDataFound) == 1 ? k4::DataFoundChoice::Download : k4::DataFoundChoice::Cancel;
}

k4::SaveCompleteResult RunSaveComplete(HINSTANCE instance)
{
    return RunPrompt(instance, kSaveComplete) == 0 ? k4::SaveCompleteResult::Exit : k4::SaveCompleteResult::Closed;
}

} // namespace k4win
