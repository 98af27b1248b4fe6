#pragma once
// What every dialog of the two Windows programs must show: caption, size
// in dialog units, close box, and each control in template order with its
// id, window class, text and place. The driver checks the live dialogs
// against this table alone; texts come from the programs' own text table,
// so a resource script that drifts from it fails here.
#include <string>
#include <string_view>
#include <vector>

#include "app/win32/resource_ids.h"
#include "common/texts.h"

namespace k4test {

struct ControlTemplate {
    int id;
    const char* windowClass;
    std::string text;
    int x, y, width, height; // dialog units
    bool fixedText = true;   // false: filled at run time, checked by the scenario
};

struct DialogTemplate {
    const char* name;
    std::string_view caption;
    int width, height; // dialog units
    bool closeBox;
    std::vector<ControlTemplate> controls;
};

inline std::string S(std::string_view text)
{
    return std::string(text);
}

constexpr const char* kStatic = "Static";
constexpr const char* kButton = "Button";
constexpr const char* kEdit = "Edit";
constexpr const char* kProgress = "msctls_progress32";

inline const DialogTemplate& MainDialog()
{
    static const DialogTemplate shape{
        "main",
        k4::text::kWindowCaption,
        186,
        50,
        false,
        {{IDC_STATIC, kStatic, S(k4::text::kSearching), 43, 7, 98, 8}, {IDC_PROGRESS, kProgress, "", 7, 24, 172, 14}}};
    return shape;
}

inline const DialogTemplate& NotConnectedDialog()
{
    static const DialogTemplate shape{"not-connected",
                                      k4::text::kWindowCaption,
                                      186,
                                      45,
                                      true,
                                      {{IDC_STATIC, kStatic, S(k4::text::kDeviceNotConnected), 55, 7, 74, 8},
                                       {IDC_TRY_AGAIN, kButton, S(k4::text::kTryAgainButton), 17, 23, 79, 14},
                                       {IDC_EXIT, kButton, S(k4::text::kExitButton), 119, 23, 50, 14}}};
    return shape;
}

inline const DialogTemplate& DeviceEmptyDialog()
{
    static const DialogTemplate shape{"device-empty",
                                      k4::text::kWindowCaption,
                                      186,
                                      45,
                                      false,
                                      {{IDC_STATIC, kStatic, S(k4::text::kDeviceEmpty), 70, 7, 45, 8},
                                       {IDC_EXIT, kButton, S(k4::text::kExitButton), 67, 24, 50, 14}}};
    return shape;
}

inline const DialogTemplate& DataFoundDialog()
{
    static const DialogTemplate shape{"data-found",
                                      k4::text::kWindowCaption,
                                      186,
                                      45,
                                      true,
                                      {{IDC_STATIC, kStatic, S(k4::text::kDataFound), 55, 7, 76, 8},
                                       {IDC_DOWNLOAD_DATA, kButton, S(k4::text::kDownloadDataButton), 18, 24, 79, 14},
                                       {IDC_CANCEL, kButton, S(k4::text::kCancelButton), 119, 24, 50, 14}}};
    return shape;
}

inline const DialogTemplate& SaveCompleteDialog()
{
    static const DialogTemplate shape{"save-complete",
                                      k4::text::kWindowCaption,
                                      186,
                                      45,
                                      false,
                                      {{IDC_STATIC, kStatic, S(k4::text::kSaveComplete), 65, 7, 54, 8},
                                       {IDC_EXIT, kButton, S(k4::text::kExitButton), 67, 24, 50, 14}}};
    return shape;
}

inline const DialogTemplate& SaveFileDialog()
{
    static const DialogTemplate shape{
        "save-file",
        k4::text::kWindowCaption,
        260,
        153,
        false,
        {{IDC_STATIC, kStatic, S(k4::text::kSaveFileTitle), 67, 7, 96, 8},
         {IDC_STATIC, kStatic, S(k4::text::kSaveFileExplanation), 16, 18, 195, 22},
         {IDC_STATIC, kStatic, S(k4::text::kDefaultLocationIntro), 7, 41, 131, 14},
         {IDC_STATIC, kStatic, "\"" + S(k4::text::kDefaultLocationWindows) + "\"", 15, 53, 136, 14},
         {IDC_STATIC, kStatic, S(k4::text::kSaveAsLabel), 20, 92, 28, 8},
         {IDC_SAVE_AS, kEdit, "", 52, 90, 134, 14},
         {IDC_BROWSE, kButton, S(k4::text::kBrowseButton), 190, 90, 50, 14},
         {IDC_SAVE, kButton, S(k4::text::kSaveButton), 136, 108, 50, 14},
         {IDC_CANCEL, kButton, S(k4::text::kCancelButton), 190, 108, 50, 14}}};
    return shape;
}

inline const DialogTemplate& AboutDialog()
{
    static const DialogTemplate shape{
        "about",
        k4::text::kAboutCaption,
        178,
        49,
        true,
        {{IDC_STATIC, kStatic, S(k4::text::kApplicationName) + "\n" + S(k4::text::kAboutVersionLine), 7, 7, 164, 19},
         {IDOK, kButton, S(k4::text::kOkButton), 121, 28, 50, 14},
         {IDC_STATIC, kStatic, S(k4::text::kFirmwareLabel), 7, 28, 56, 8},
         {IDC_FIRMWARE, kEdit, "", 68, 29, 39, 12, false}}};
    return shape;
}

} // namespace k4test
