#pragma once
// The four prompts of the pass. Each ends with the integer result that its
// button, Esc or close box stands for (link/download_shell.h); the shell
// turns it into the typed result.
#include <QDialog>
#include <memory>

namespace Ui {
class PromptDialog;
}

namespace k4app {

enum class Prompt { DeviceNotConnected, DeviceEmpty, DataFound, SaveComplete };

class PromptDialog final : public QDialog {
    Q_OBJECT
public:
    explicit PromptDialog(Prompt prompt, QWidget* parent = nullptr);
    ~PromptDialog() override;

    // Esc and the close box end the dialog with the prompt's own cancel result.
    void reject() override;

private:
    std::unique_ptr<Ui::PromptDialog> m_ui;
    int m_cancelResult = 0;
};

} // namespace k4app
