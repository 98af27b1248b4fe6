#include "app/qt/save_file_dialog.h"

#include <QFileDialog>
#include <QPushButton>

#include "app/qt/dialog_units.h"
#include "app/qt/message_box.h"
#include "app/qt/qt_text.h"
#include "app/qt/title_claims.h"
#include "common/output_path.h"
#include "common/texts.h"
#include "link/download_shell.h"
#include "ui_save_file_dialog.h"

namespace k4app {

namespace {

// Where unqualified names go, as the user knows it: under "~" when it is
// inside the home folder.
QString DefaultFolderForDisplay(const std::string& documentsFolder, const std::string& homeFolder)
{
    QString folder = QString::fromStdString(documentsFolder) + QLatin1Char('/') + Q(k4::text::kDataFolderName);
    const QString home = QString::fromStdString(homeFolder);
    if (!home.isEmpty() && home != QLatin1String("/") && folder.startsWith(home + QLatin1Char('/')))
        folder = QLatin1Char('~') + folder.mid(home.size());
    return QLatin1Char('"') + folder + QLatin1Char('"');
}

// Qt reads the patterns between the parentheses as a space-separated list;
// the comma the shared name carries would become part of a pattern.
QString QtFilter()
{
    return Q(k4::text::kSaveFilterName).remove(QLatin1Char(','));
}

} // namespace

SaveFileDialog::SaveFileDialog(std::string documentsFolder, std::string homeFolder, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::SaveFileDialog>()), m_documentsFolder(std::move(documentsFolder)),
      m_homeFolder(std::move(homeFolder))
{
    m_ui->setupUi(this);
    setWindowTitle(Q(k4::text::kWindowCaption));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    setWindowRole(QStringLiteral("k4-save-file"));
    m_ui->titleLabel->setText(Q(k4::text::kSaveFileTitle));
    m_ui->explanationLabel->setText(Q(k4::text::kSaveFileExplanation).trimmed());
    m_ui->defaultIntroLabel->setText(Q(k4::text::kDefaultLocationIntro));
    m_ui->defaultFolderLabel->setText(DefaultFolderForDisplay(m_documentsFolder, m_homeFolder));
    m_ui->saveAsLabel->setText(Q(k4::text::kSaveAsLabel));
    m_ui->browseButton->setText(Q(k4::text::kBrowseButton));
    m_ui->saveButton->setText(Q(k4::text::kSaveButton));
    m_ui->cancelButton->setText(Q(k4::text::kCancelButton));
    m_ui->saveAsLabel->setBuddy(m_ui->nameEdit);

    const QSize buttonSize = DialogUnitsToPixels(*this, 50, 14);
    for (QPushButton* button : {m_ui->browseButton, m_ui->saveButton, m_ui->cancelButton})
        button->setMinimumSize(buttonSize);
    m_ui->nameEdit->setMinimumWidth(DialogUnitsToPixels(*this, 134, 0).width());

    connect(m_ui->browseButton, &QPushButton::clicked, this, &SaveFileDialog::Browse);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &SaveFileDialog::Save);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &SaveFileDialog::reject);

    SetDialogUnitSize(*this, 260, 153);
    m_ui->nameEdit->setFocus();
    ClaimTitleWhileShown(*this);
}

SaveFileDialog::~SaveFileDialog() = default;

QString SaveFileDialog::DefaultBrowser(QWidget* parent)
{
    // The overwrite prompt is on unless switched off.
    return QFileDialog::getSaveFileName(parent, QString(), QString(), QtFilter());
}

void SaveFileDialog::Browse()
{
    const QString chosen = m_browser(this);
    if (chosen.isEmpty())
        return;
    m_ui->nameEdit->setText(QString::fromStdString(k4::StripChosenExtension(chosen.toStdString())));
}

void SaveFileDialog::Save()
{
    std::string basePath;
    const k4::SaveCheck check =
        k4::ResolveSavePath(m_ui->nameEdit->text().toStdString(), m_documentsFolder, m_homeFolder, basePath);
    if (check != k4::SaveCheck::Ok) {
        ShowOkMessage(this, k4::SaveCheckMessage(check));
        return;
    }
    m_basePath = std::move(basePath);
    done(int(k4::SaveFileResult::Save));
}

void SaveFileDialog::reject()
{
    m_basePath.clear();
    done(int(k4::SaveFileResult::Cancel));
}

} // namespace k4app
