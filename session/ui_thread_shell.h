#pragma once
// The adapter for a front end whose dialogs must run on its user-interface
// thread: the worker calls this shell on its own thread, and each call is
// carried to the user-interface thread, where the front end's own shell
// shows the prompt; the worker waits for the answer. See the threading
// contract in link/download_shell.h.
#include <functional>
#include <type_traits>

#include "link/download_shell.h"

namespace k4 {

class UiThreadRunner {
public:
    virtual ~UiThreadRunner() = default;
    // Runs `task` on the user-interface thread and returns once it has run.
    // Never called from the user-interface thread itself.
    virtual void RunAndWait(const std::function<void()>& task) = 0;
};

class UiThreadShell final : public DownloadShell {
public:
    // `uiShell` is only ever called on the user-interface thread, through
    // `runner`; its Diagnose is called on the worker's thread.
    UiThreadShell(DownloadShell& uiShell, UiThreadRunner& runner);

    void ShowMessage(std::string_view text) override;
    void Diagnose(std::string_view text) override;
    void SetProgress(int position) override;
    void HideMainWindow() override;
    void ShowMainWindow() override;
    NotConnectedChoice ShowDeviceNotConnected() override;
    DeviceEmptyResult ShowDeviceEmpty() override;
    DataFoundChoice ShowDataFound() override;
    std::optional<std::string> ShowSaveFile() override;
    SaveCompleteResult ShowSaveComplete() override;
    void PostQuit() override;

private:
    template <typename Call>
    auto OnUiThread(Call call)
    {
        if constexpr (std::is_void_v<decltype(call())>) {
            m_runner.RunAndWait(call);
        } else {
            decltype(call()) result{};
            m_runner.RunAndWait([&] { result = call(); });
            return result;
        }
    }

    DownloadShell& m_ui;
    UiThreadRunner& m_runner;
};

} // namespace k4
