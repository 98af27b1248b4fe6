#pragma once
// The About box: the program's name and version, and the unit's firmware
// version once the unit has answered.
#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace Ui {
class AboutDialog;
}

namespace k4app {

class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    // Asks for the firmware version without waiting and calls back on any
    // thread (DownloadSession::RequestFirmwareVersion).
    using FirmwareRequest = std::function<void(std::function<void(std::optional<std::string>)>)>;

    explicit AboutDialog(const FirmwareRequest& request, QWidget* parent = nullptr);
    ~AboutDialog() override;

    QString FirmwareText() const;

    // Esc and the close box.
    void reject() override;

signals:
    // The unit's answer has been shown (or there was none); tests wait for it.
    void FirmwareAnswered();

private:
    void ShowFirmware(const std::optional<std::string>& version);

    std::unique_ptr<Ui::AboutDialog> m_ui;
};

} // namespace k4app
