// The desktop program's dialogs: what each prompt and the About box answer
// for each way of ending them; that the save dialog applies the save rules
// (proven in tests/common/output_path_test.cpp) to what is typed or browsed,
// reports a refusal and stays open, and shows the default folder; and the
// title claims that another instance looks for.
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

#include "app/qt/about_dialog.h"
#include "app/qt/prompt_dialog.h"
#include "app/qt/qt_text.h"
#include "app/qt/save_file_dialog.h"
#include "common/texts.h"
#include "link/download_shell.h"
#include "platform/window_titles.h"
#include "tests/app/qt/app_test.h"

using k4app::AboutDialog;
using k4app::Prompt;
using k4app::Q;
using k4app::SaveFileDialog;

namespace {

// Answers on a thread of its own, as the session's query does.
struct FakeUnit {
    std::optional<std::string> firmware;
    std::thread query;
    AboutDialog::FirmwareRequest Request()
    {
        return [this](auto done) { query = std::thread([this, done] { done(firmware); }); };
    }
    ~FakeUnit()
    {
        if (query.joinable())
            query.join();
    }
};

class DialogTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;
    QString Documents() const { return m_home.path() + "/Documents"; }
    QString DataFolder() const { return Documents() + '/' + Q(k4::text::kDataFolderName); }

private slots:
    void promptWaysOut_data()
    {
        QTest::addColumn<int>("prompt");
        QTest::addColumn<QString>("action"); // a button's text, Enter, Esc or close box
        QTest::addColumn<int>("result");
        using namespace k4;
        const auto row = [](Prompt prompt, std::string_view action, auto result) {
            QTest::addRow("%d %s", int(prompt), std::string(action).c_str()) << int(prompt) << Q(action) << int(result);
        };
        row(Prompt::DeviceNotConnected, text::kTryAgainButton, NotConnectedChoice::TryAgain);
        row(Prompt::DeviceNotConnected, "Enter", NotConnectedChoice::TryAgain);
        row(Prompt::DeviceNotConnected, text::kExitButton, NotConnectedChoice::Exit);
        row(Prompt::DeviceNotConnected, "Esc", NotConnectedChoice::Closed);
        row(Prompt::DeviceNotConnected, "close box", NotConnectedChoice::Closed);
        row(Prompt::DeviceEmpty, text::kExitButton, DeviceEmptyResult::Exit);
        row(Prompt::DeviceEmpty, "Enter", DeviceEmptyResult::Exit);
        row(Prompt::DeviceEmpty, "Esc", DeviceEmptyResult::Closed);
        row(Prompt::DataFound, text::kDownloadDataButton, DataFoundChoice::Download);
        row(Prompt::DataFound, "Enter", DataFoundChoice::Download);
        row(Prompt::DataFound, text::kCancelButton, DataFoundChoice::Cancel);
        row(Prompt::DataFound, "Esc", DataFoundChoice::Cancel);
        row(Prompt::DataFound, "close box", DataFoundChoice::Cancel);
        row(Prompt::SaveComplete, text::kExitButton, SaveCompleteResult::Exit);
        row(Prompt::SaveComplete, "Enter", SaveCompleteResult::Exit);
        row(Prompt::SaveComplete, "Esc", SaveCompleteResult::Closed);
    }

    void promptWaysOut()
    {
        QFETCH(int, prompt);
        QFETCH(QString, action);
        QFETCH(int, result);
        k4app::PromptDialog dialog(static_cast<Prompt>(prompt));
        bool claimed = false;
        bool closeBox = false;
        k4apptest::WhenModal([&](QWidget*) {
            claimed = k4::WindowTitleExists(k4::text::kWindowCaption);
            closeBox = dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint);
            if (action == "Enter" || action == "Esc")
                QTest::keyClick(&dialog, action == "Enter" ? Qt::Key_Return : Qt::Key_Escape);
            else if (action == "close box")
                dialog.close();
            for (QPushButton* button : dialog.findChildren<QPushButton*>())
                if (button->isVisible() && button->text() == action)
                    button->click();
            if (dialog.isVisible())
                dialog.done(-1); // nothing ended it
        });
        QCOMPARE(dialog.exec(), result);
        QVERIFY(claimed);
        QVERIFY(!k4::WindowTitleExists(k4::text::kWindowCaption));
        // Only the prompts that the user may decline have a close box.
        QCOMPARE(closeBox, prompt == int(Prompt::DeviceNotConnected) || prompt == int(Prompt::DataFound));
    }
    void aboutFirmwareAndWaysOut_data()
    {
        QTest::addColumn<QString>("firmware"); // empty: no unit
        QTest::addColumn<int>("key");          // 0: the close box
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("result");
        QTest::newRow("no unit, Enter") << "" << int(Qt::Key_Return) << "" << int(k4::AboutResult::Ok);
        QTest::newRow("unit, Esc") << "V2.10" << int(Qt::Key_Escape) << "V2.10" << int(k4::AboutResult::Closed);
        QTest::newRow("long reply cut, close box") << "V3.01-beta" << 0 << "V3.01" << int(k4::AboutResult::Closed);
    }

    void aboutFirmwareAndWaysOut()
    {
        QFETCH(QString, firmware);
        QFETCH(int, key);
        QFETCH(QString, shown);
        QFETCH(int, result);
        FakeUnit unit;
        if (!firmware.isEmpty())
            unit.firmware = firmware.toStdString();
        AboutDialog about(unit.Request());
        QSignalSpy answered(&about, &AboutDialog::FirmwareAnswered);
        about.show();
        QVERIFY(answered.wait(5000));
        QCOMPARE(about.FirmwareText(), shown);
        if (key != 0)
            QTest::keyClick(&about, Qt::Key(key));
        else
            about.close();
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), result);
    }

    // Under AddressSanitizer this shows that a late answer touches no freed box.
    void aboutAnswerForABoxClosedMeanwhileIsDropped()
    {
        FakeUnit unit;
        unit.firmware = "V2.10";
        std::make_unique<AboutDialog>(unit.Request())->show();
        unit.query.join(); // its answer is posted, not yet delivered
        QCoreApplication::processEvents();
    }
    void saveAnswers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("browsed"); // what the system dialog gives, "cancel": nothing; empty: not used
        QTest::addColumn<QString>("ending");  // Enter (Save is the default button), Esc or a button's name
        QTest::addColumn<bool>("blocked");    // the documents folder cannot be made
        QTest::addColumn<QString>("path");    // DATA/ and HOME/ stand for the folders; empty: no Save
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const char* typed, const char* browsed, const char* ending, bool blocked,
                            const char* path, std::string_view message = {}) {
            QTest::newRow(name) << typed << browsed << ending << blocked << path << Q(message);
        };
        row("data folder", "report.csv", "", "Enter", false, "DATA/report");
        row("home folder", "~/pump7", "", "saveButton", false, "HOME/pump7");
        row("full path", "/srv/k4/pump.xls", "", "Enter", false, "/srv/k4/pump");
        row("browsed", "typed", "/out.old/report.xls", "Enter", false, "/out.old/report");
        row("browsing cancelled, D: no drive", "D:report", "cancel", "Enter", false, "DATA/D:report");
        row("no name, nor data folder", "", "", "Enter", true, "", k4::text::kEnterFileNameMessage);
        row("no data folder", "report", "", "Enter", true, "", k4::text::kCreateDataFolderMessage);
        row("Cancel after browsing", "", "/out/report", "cancelButton", false, "");
        row("Esc", "report", "", "Esc", false, "");
    }

    void saveAnswers()
    {
        QFETCH(QString, typed);
        QFETCH(QString, browsed);
        QFETCH(QString, ending);
        QFETCH(bool, blocked);
        QFETCH(QString, path);
        QFETCH(QString, message);
        QDir(Documents()).removeRecursively();
        // A file where the documents folder's parent should be blocks it.
        QFile blocker(m_home.path() + "/not-a-folder");
        QVERIFY(!blocked || blocker.open(QIODevice::WriteOnly));
        SaveFileDialog dialog((blocked ? blocker.fileName() + "/Documents" : Documents()).toStdString(),
                              m_home.path().toStdString());
        dialog.SetBrowser([&](QWidget*) { return browsed == "cancel" ? QString() : browsed; });
        k4apptest::WhenModal([&](QWidget*) {
            auto* edit = dialog.findChild<QLineEdit*>();
            edit->setText(typed);
            if (!browsed.isEmpty())
                dialog.findChild<QPushButton*>("browseButton")->click();
            if (ending == "Enter" || ending == "Esc")
                QTest::keyClick(edit, ending == "Enter" ? Qt::Key_Return : Qt::Key_Escape);
            else
                dialog.findChild<QPushButton*>(ending)->click();
            QTimer::singleShot(3000, &dialog, &QDialog::reject); // when nothing else ends it
        });
        // A message box claims the program's name, so another instance
        // starting meanwhile leaves.
        QString shownMessage;
        bool claimedAndStayedOpen = false;
        k4apptest::WhenModal<QMessageBox>(
            [&](QMessageBox* box) {
                shownMessage = box->text();
                const bool claimed = k4::WindowTitleExists(k4::text::kApplicationName);
                box->accept();
                QTimer::singleShot(50, &dialog, [&, claimed] {
                    claimedAndStayedOpen = claimed && dialog.isVisible();
                    dialog.reject();
                });
            },
            &dialog);
        const int result = dialog.exec();
        QCOMPARE(shownMessage, message);
        QCOMPARE(claimedAndStayedOpen, !message.isEmpty());
        QVERIFY(!k4::WindowTitleExists(k4::text::kApplicationName));
        path.replace("DATA/", DataFolder() + '/').replace("HOME/", m_home.path() + '/');
        QCOMPARE(result, int(path.isEmpty() ? k4::SaveFileResult::Cancel : k4::SaveFileResult::Save));
        QCOMPARE(QString::fromStdString(dialog.BasePath()), path);
        // Made on every Save, whatever the name; only Save makes it.
        QCOMPARE(QDir(DataFolder()).exists(), !path.isEmpty());
    }

    void saveDefaultFolderIsShownAsTheUserKnowsIt()
    {
        const auto shown = [this](const QString& documents) {
            SaveFileDialog dialog(documents.toStdString(), m_home.path().toStdString());
            return dialog.findChild<QLabel*>("defaultFolderLabel")->text();
        };
        const QString name = Q(k4::text::kDataFolderName);
        QCOMPARE(shown(Documents()), "\"~/Documents/" + name + "\"");
        QCOMPARE(shown("/srv/docs"), "\"/srv/docs/" + name + "\"");
    }

    // Qt reads a filter's patterns as a space-separated list in parentheses.
    void saveSystemDialogSavesCsvOrXls()
    {
        QStringList filters;
        k4apptest::WhenModal<QFileDialog>([&](QFileDialog* files) {
            if (files->acceptMode() == QFileDialog::AcceptSave)
                filters = files->nameFilters();
            files->reject();
        });
        QCOMPARE(SaveFileDialog::DefaultBrowser(nullptr), QString());
        QCOMPARE(filters.size(), 1);
        QCOMPARE(filters[0].section('(', 1).chopped(1).split(' '), (QStringList{"*.csv", "*.xls"}));
    }
};

} // namespace

std::unique_ptr<QObject> DialogTests()
{
    return std::make_unique<DialogTest>();
}

#include "dialogs_test.moc"
