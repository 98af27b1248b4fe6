#pragma once
// The window shown while the unit is searched for: a text and the progress
// of the current series of searches. Closing it asks the pass to stop.
#include <QWidget>
#include <memory>

namespace Ui {
class MainWindow;
}

namespace k4app {

class MainWindow final : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    void SetProgress(int position);
    int Progress() const;

signals:
    void AboutRequested();
    // Esc, Enter or the close box: the window has hidden itself.
    void CloseRequested();
    // First shown: lets a benchmark time the start.
    void FirstShown();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::MainWindow> m_ui;
    bool m_shownBefore = false;
};

} // namespace k4app
