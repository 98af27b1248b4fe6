#pragma once
// What a front end gives the download worker: the main window's progress
// bar and visibility, the four prompts and the save dialog, message boxes,
// and the end of the program.
//
// Threading contract
// ------------------
// * Every call below is made by the worker, on the worker's thread, one at a
//   time. A prompt or message call returns once the user has answered it.
// * The worker may be inside an exchange with the unit, holding the link's
//   lock (`DeviceLink::m_csLink`), when it calls ShowMessage: the exchange's
//   own messages ("Communications timeout has occured.") are shown there.
// * Therefore the user-interface thread never takes that lock and never
//   waits for anything that does. In particular the About box's firmware
//   query never runs on the user-interface thread: a front end asks
//   `DownloadSession::RequestFirmwareVersion`, which runs the query on a
//   thread of its own and hands the answer back through a callback.
// * A front end whose dialogs must run on its user-interface thread (Qt)
//   wraps its shell in `UiThreadShell` (session/ui_thread_shell.h): each
//   call is carried to that thread and the worker waits for the result. The
//   user-interface thread keeps running its event loop while the worker
//   waits, including while it waits for the worker to end.
// * A front end whose dialogs may run on any thread (Win32) implements the
//   calls directly on the worker's thread.
#include <optional>
#include <string>

#include "common/message_sink.h"

namespace k4 {

// The prompts' results. Each value is the integer result that the dialog
// ends with in the Windows program (buttons, and 2 for Esc or the close box
// where the dialog keeps the framework's cancel).
enum class NotConnectedChoice : int {
    Exit = 0,     // button 1026
    TryAgain = 1, // button 1027
    Closed = 2,   // Esc or the close box: searches again, like Try Again
};

enum class DeviceEmptyResult : int {
    Exit = 0,   // button 1026
    Closed = 2, // Esc
};

enum class DataFoundChoice : int {
    Cancel = 0,   // button 1028, Esc and the close box
    Download = 1, // button 1029
};

enum class SaveCompleteResult : int {
    Exit = 0,   // button 1026
    Closed = 2, // Esc
};

// The save dialog's own results: Save gives the base path, Cancel nothing.
enum class SaveFileResult : int {
    Save = 1,   // button 1033
    Cancel = 2, // button 1028 and Esc
};

enum class AboutResult : int {
    Ok = 1,     // button 1
    Closed = 2, // Esc or the close box
};

class DownloadShell : public MessageSink {
public:
    virtual void SetProgress(int position) = 0; // range 0 to 10
    virtual void HideMainWindow() = 0;
    virtual void ShowMainWindow() = 0;
    virtual NotConnectedChoice ShowDeviceNotConnected() = 0;
    virtual DeviceEmptyResult ShowDeviceEmpty() = 0;
    virtual DataFoundChoice ShowDataFound() = 0;
    // The chosen output path without extension, or nothing after Cancel.
    virtual std::optional<std::string> ShowSaveFile() = 0;
    virtual SaveCompleteResult ShowSaveComplete() = 0;
    // The pass has ended: the program ends too.
    virtual void PostQuit() = 0;
};

} // namespace k4
