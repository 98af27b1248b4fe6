#include "app/qt/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>

#include "app/qt/dialog_units.h"
#include "app/qt/qt_text.h"
#include "app/qt/title_claims.h"
#include "common/texts.h"
#include "ui_main_window.h"

namespace k4app {

MainWindow::MainWindow(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<Ui::MainWindow>())
{
    m_ui->setupUi(this);
    setWindowTitle(Q(k4::text::kWindowCaption));
    // No minimise or maximise box: the window is a fixed dialog.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    // The windows share their caption; the role tells them apart to window
    // manager rules and to scripts.
    setWindowRole(QStringLiteral("k4-main"));
    m_ui->searchingLabel->setText(Q(k4::text::kSearching));
    m_ui->progressBar->setMinimumHeight(DialogUnitsToPixels(*this, 0, 14).height());

    // Linux desktops have no system menu to extend; the window's own
    // context menu and F1 carry the About command instead.
    auto* about = new QAction(Q(k4::text::kAboutMenuItem), this);
    about->setShortcut(QKeySequence(Qt::Key_F1));
    about->setShortcutContext(Qt::WindowShortcut);
    connect(about, &QAction::triggered, this, &MainWindow::AboutRequested);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    SetDialogUnitSize(*this, 186, 50);
    ClaimTitleWhileShown(*this);
}

MainWindow::~MainWindow() = default;

void MainWindow::SetProgress(int position)
{
    m_ui->progressBar->setValue(position);
}

int MainWindow::Progress() const
{
    return m_ui->progressBar->value();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The window stays alive: the pass may still be finishing a file, and
    // the program ends only once it has.
    event->ignore();
    hide();
    emit CloseRequested();
}

// Like the dialog it stands for: Esc (cancel) and Enter (OK) both end it.
void MainWindow::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shownBefore) {
        m_shownBefore = true;
        emit FirstShown();
    }
}

} // namespace k4app
