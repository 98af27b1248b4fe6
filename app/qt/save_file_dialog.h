#pragma once
// Asks for the one name that both output files take. Ends with
// SaveFileResult::Save and a base path (no extension), or with Cancel.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>

namespace Ui {
class SaveFileDialog;
}

namespace k4app {

class SaveFileDialog final : public QDialog {
    Q_OBJECT
public:
    // Shows the system's save dialog; an empty answer means it was cancelled.
    using Browser = std::function<QString(QWidget* parent)>;

    // `documentsFolder` holds the default data folder; `homeFolder` is what
    // a leading "~/" stands for.
    SaveFileDialog(std::string documentsFolder, std::string homeFolder, QWidget* parent = nullptr);
    ~SaveFileDialog() override;

    // Lets tests stand in for the system's file dialog.
    void SetBrowser(Browser browser) { m_browser = std::move(browser); }

    // The output path without extension once Save has succeeded, else empty.
    const std::string& BasePath() const { return m_basePath; }

    void reject() override;

    static QString DefaultBrowser(QWidget* parent);

private:
    void Browse();
    void Save();

    std::unique_ptr<Ui::SaveFileDialog> m_ui;
    std::string m_documentsFolder;
    std::string m_homeFolder;
    std::string m_basePath;
    Browser m_browser = &SaveFileDialog::DefaultBrowser;
};

} // namespace k4app
