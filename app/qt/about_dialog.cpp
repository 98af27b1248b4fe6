#include "app/qt/about_dialog.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>

#include "app/qt/dialog_units.h"
#include "app/qt/qt_text.h"
#include "app/qt/title_claims.h"
#include "common/texts.h"
#include "link/download_shell.h"
#include "ui_about_dialog.h"

namespace k4app {

AboutDialog::AboutDialog(const FirmwareRequest& request, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::AboutDialog>())
{
    m_ui->setupUi(this);
    setWindowTitle(Q(k4::text::kAboutCaption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    m_ui->nameLabel->setText(Q(k4::text::kApplicationName) + QLatin1Char('\n') + Q(k4::text::kAboutVersionLine) +
                             QStringLiteral(" for the Linux desktop"));
    setWindowRole(QStringLiteral("k4-about"));
    m_ui->firmwareLabel->setText(Q(k4::text::kFirmwareLabel));
    m_ui->okButton->setText(Q(k4::text::kOkButton));
    m_ui->okButton->setMinimumSize(DialogUnitsToPixels(*this, 50, 14));
    m_ui->firmwareEdit->setFixedWidth(DialogUnitsToPixels(*this, 39, 0).width());
    m_ui->firmwareEdit->setFocusPolicy(Qt::NoFocus);
    connect(m_ui->okButton, &QPushButton::clicked, this, [this] { done(int(k4::AboutResult::Ok)); });
    SetDialogUnitSize(*this, 178, 49);
    ClaimTitleWhileShown(*this);

    // The answer comes on the query's own thread, possibly after the box is
    // gone. It is posted to the application object, which outlives every
    // box, and the guard (read on this thread only) drops it for a box that
    // has been closed meanwhile.
    QPointer<AboutDialog> guard(this);
    request([guard](std::optional<std::string> version) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard, version = std::move(version)] {
                if (guard)
                    guard->ShowFirmware(version);
            },
            Qt::QueuedConnection);
    });
}

AboutDialog::~AboutDialog() = default;

QString AboutDialog::FirmwareText() const
{
    return m_ui->firmwareEdit->text();
}

void AboutDialog::reject()
{
    done(int(k4::AboutResult::Closed));
}

void AboutDialog::ShowFirmware(const std::optional<std::string>& version)
{
    if (version)
        m_ui->firmwareEdit->setText(QString::fromStdString(*version)); // the field keeps five characters at most
    emit FirmwareAnswered();
}

} // namespace k4app
