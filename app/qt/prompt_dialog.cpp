#include "app/qt/prompt_dialog.h"

#include "app/qt/dialog_units.h"
#include "app/qt/qt_text.h"
#include "app/qt/title_claims.h"
#include "common/texts.h"
#include "link/download_shell.h"
#include "ui_prompt_dialog.h"

namespace k4app {

namespace {

struct PromptLayout {
    std::string_view text;
    std::string_view firstButton;
    int firstResult;
    std::string_view secondButton; // empty: one button only
    int secondResult;
    int cancelResult;
    bool closeBox;
    const char* role; // the prompts share their caption; the role tells them apart
};

PromptLayout LayoutOf(Prompt prompt)
{
    using namespace k4;
    switch (prompt) {
    case Prompt::DeviceNotConnected:
        return {text::kDeviceNotConnected,
                text::kTryAgainButton,
                int(NotConnectedChoice::TryAgain),
                text::kExitButton,
                int(NotConnectedChoice::Exit),
                int(NotConnectedChoice::Closed),
                true,
                "k4-device-not-connected"};
    case Prompt::DeviceEmpty:
        return {text::kDeviceEmpty,
                text::kExitButton,
                int(DeviceEmptyResult::Exit),
                {},
                0,
                int(DeviceEmptyResult::Closed),
                false,
                "k4-device-empty"};
    case Prompt::DataFound:
        return {text::kDataFound,
                text::kDownloadDataButton,
                int(DataFoundChoice::Download),
                text::kCancelButton,
                int(DataFoundChoice::Cancel),
                int(DataFoundChoice::Cancel),
                true,
                "k4-data-found"};
    case Prompt::SaveComplete: break;
    }
    return {text::kSaveComplete,
            text::kExitButton,
            int(SaveCompleteResult::Exit),
            {},
            0,
            int(SaveCompleteResult::Closed),
            false,
            "k4-save-complete"};
}

} // namespace

PromptDialog::PromptDialog(Prompt prompt, QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::PromptDialog>())
{
    m_ui->setupUi(this);
    const PromptLayout layout = LayoutOf(prompt);
    m_cancelResult = layout.cancelResult;
    setWindowTitle(Q(k4::text::kWindowCaption));
    Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint;
    if (layout.closeBox)
        flags |= Qt::WindowCloseButtonHint;
    setWindowFlags(flags);
    setWindowRole(QString::fromLatin1(layout.role));

    m_ui->messageLabel->setText(Q(layout.text));
    m_ui->firstButton->setText(Q(layout.firstButton));
    m_ui->firstButton->setDefault(true);
    const int firstResult = layout.firstResult;
    connect(m_ui->firstButton, &QPushButton::clicked, this, [this, firstResult] { done(firstResult); });
    if (layout.secondButton.empty()) {
        m_ui->secondButton->hide();
        m_ui->middleSpace->changeSize(0, 0);
    } else {
        m_ui->secondButton->setText(Q(layout.secondButton));
        const int secondResult = layout.secondResult;
        connect(m_ui->secondButton, &QPushButton::clicked, this, [this, secondResult] { done(secondResult); });
    }
    // The wide buttons of the two-button prompts are 79 units, the others 50.
    const QSize buttonSize = DialogUnitsToPixels(*this, layout.secondButton.empty() ? 50 : 79, 14);
    m_ui->firstButton->setMinimumSize(buttonSize);
    m_ui->secondButton->setMinimumSize(DialogUnitsToPixels(*this, 50, 14));
    SetDialogUnitSize(*this, 186, 45);
    ClaimTitleWhileShown(*this);
}

PromptDialog::~PromptDialog() = default;

void PromptDialog::reject()
{
    done(m_cancelResult);
}

} // namespace k4app
