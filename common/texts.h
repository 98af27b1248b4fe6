#pragma once
// Every text that a user of the two programs sees: captions, prompt texts,
// button labels and messages. Front ends and tools take them from here and
// never spell them themselves.
#include <string_view>

#include "common/version.h"

namespace k4::text {

// Names and captions.
inline constexpr std::string_view kApplicationName = "K4 Data Transfer Application";
inline constexpr std::string_view kWindowCaption = "K4 Data Transfer Application V" K4_VERSION_TEXT;
inline constexpr std::string_view kLauncherName = "Dockstart";
inline constexpr std::string_view kAboutCaption = "About K4 Data Transfer Application";
inline constexpr std::string_view kAboutVersionLine = "Version " K4_VERSION_TEXT;
inline constexpr std::string_view kFirmwareLabel = "Firmware Version:";
inline constexpr std::string_view kAboutMenuItem = "&About TavrinPumpvisor...";
// The window that the launcher will not start the main program beside.
inline constexpr std::string_view kDownloadWindowTitle = "Pumpvisor Data Download";

// The main window and the prompts.
inline constexpr std::string_view kSearching = "Searching for Pumpvisor Data";
inline constexpr std::string_view kDeviceNotConnected = "Device Not Connected";
inline constexpr std::string_view kDeviceEmpty = "Device Empty";
inline constexpr std::string_view kDataFound = "Pumpvisor Data Found";
inline constexpr std::string_view kSaveFileTitle = "Download Complete Save File";
inline constexpr std::string_view kSaveComplete = "Save Successful";

// Buttons.
inline constexpr std::string_view kTryAgainButton = "Try Again";
inline constexpr std::string_view kExitButton = "Exit";
inline constexpr std::string_view kDownloadDataButton = "Download Data";
inline constexpr std::string_view kCancelButton = "Cancel";
inline constexpr std::string_view kBrowseButton = "Browse";
inline constexpr std::string_view kSaveButton = "Save";
inline constexpr std::string_view kOkButton = "OK";

// The save dialog.
inline constexpr std::string_view kSaveFileExplanation =
    "Two files are automatically created with this filename, one raw comma-delimited (.CSV) and one formatted "
    "Excel (.XLS) file. ";
inline constexpr std::string_view kDefaultLocationIntro = "The default location for these files is";
inline constexpr std::string_view kDefaultLocationWindows = "My Documents\\K4 Data Folder";
inline constexpr std::string_view kSaveAsLabel = "Save As";
inline constexpr std::string_view kSaveFilterWindows = "Comma-Delimited/Excel files (*.csv, *.xls)|*.csv;*.xls|";
inline constexpr std::string_view kSaveFilterName = "Comma-Delimited/Excel files (*.csv, *.xls)";
inline constexpr std::string_view kDataFolderName = "K4 Data Folder";

// The launcher.
inline constexpr std::string_view kFileMenu = "File";
inline constexpr std::string_view kStartQuestionWindows = "Do you want this application to start when Windows starts?";
inline constexpr std::string_view kStartQuestionLinux = "Do you want this application to start when you log in?";

// Messages (an OK message box each).
inline constexpr std::string_view kSendFailedMessage = "Failed to send command, please reconnect.";
inline constexpr std::string_view kTimeoutMessage = "Communications timeout has occured.";
inline constexpr std::string_view kFileCountLostMessage =
    "Lost communication with the Pumpvisor Data Download Device, file count zero.";
inline constexpr std::string_view kUploadLostMessage =
    "Lost communication with the Pumpvisor Data Download Device while uploading data.";
inline constexpr std::string_view kEnterFileNameMessage = "Please enter a file name.";
inline constexpr std::string_view kCreateDataFolderMessage = "Unable to create the K4 data directory.";
inline constexpr std::string_view kCsvCreateFailedMessage = "Unable to create the comma-delimited output file.";
inline constexpr std::string_view kComponentMissingMessage = "Could not load the Excel generator component.";
inline constexpr std::string_view kXlsCreateFailedMessage = "Unable to create the Excel output file.";

} // namespace k4::text
