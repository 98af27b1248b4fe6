// The save dialog on Linux: where typed and browsed names lead, the two
// refusals, and the ways out.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "app/qt/qt_text.h"
#include "app/qt/save_file_dialog.h"
#include "common/texts.h"
#include "link/download_shell.h"
#include "tests/app/qt/dialog_driver.h"
#include "tests/app/qt/test_classes.h"

using k4app::Q;
using k4app::SaveFileDialog;

namespace {

QPushButton* Button(QWidget& dialog, std::string_view text)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == Q(text))
            return button;
    return nullptr;
}

class SaveFileDialogTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_home;
    QString Home() const { return m_home.path(); }
    QString Documents() const { return m_home.path() + "/Documents"; }
    QString DataFolder() const { return Documents() + QLatin1Char('/') + Q(k4::text::kDataFolderName); }

    struct Run {
        int result = -1;
        std::string basePath;
        QStringList messages;
        bool stayedOpen = false; // still open after the last message
    };

    // Types `typed`, presses Save, answers every message box, and cancels
    // when the dialog stays open after a message.
    Run TypeAndSave(const QString& typed, const QString& documents)
    {
        SaveFileDialog dialog(documents.toStdString(), Home().toStdString());
        Run run;
        k4apptest::WhenModal([&](QWidget*) {
            dialog.findChild<QLineEdit*>()->setText(typed);
            QTest::keyClick(dialog.findChild<QLineEdit*>(), Qt::Key_Return); // Save is the default button
        });
        const std::function<void(QMessageBox*)> answer = [&](QMessageBox* box) {
            run.messages << box->text();
            box->accept();
            QTimer::singleShot(50, &dialog, [&] {
                run.stayedOpen = dialog.isVisible();
                dialog.reject();
            });
        };
        k4apptest::WhenModalOf<QMessageBox>(answer, &dialog);
        run.result = dialog.exec();
        run.basePath = dialog.BasePath();
        return run;
    }

private slots:
    void init()
    {
        QDir(Documents()).removeRecursively();
        QVERIFY(QDir().mkpath(Documents()));
    }

    void typedNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected"); // "DATA/" stands for the default folder
        QTest::newRow("plain name") << "report"
                                    << "DATA/report";
        QTest::newRow("extension dropped") << "report.csv"
                                           << "DATA/report";
        QTest::newRow("any extension dropped") << "report.txt"
                                               << "DATA/report";
        QTest::newRow("single letter") << "r"
                                       << "DATA/r";
        QTest::newRow("sub-folder stays relative") << "sub/report"
                                                   << "DATA/sub/report";
        QTest::newRow("dot in a folder name kept") << "old.data/report"
                                                   << "DATA/old.data/report";
        QTest::newRow("full path") << "/srv/k4/pump.xls"
                                   << "/srv/k4/pump";
        QTest::newRow("full path, dotted folder") << "/srv/k4.old/pump"
                                                  << "/srv/k4.old/pump";
        QTest::newRow("home folder") << "~/pump7"
                                     << "HOME/pump7";
        QTest::newRow("drive letters mean nothing here") << "D:report"
                                                         << "DATA/D:report";
    }

    void typedNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        expected.replace("DATA/", DataFolder() + "/").replace("HOME/", Home() + "/");
        QVERIFY(!QDir(DataFolder()).exists());
        const Run run = TypeAndSave(typed, Documents());
        QCOMPARE(run.messages, QStringList());
        QCOMPARE(run.result, int(k4::SaveFileResult::Save));
        QCOMPARE(QString::fromStdString(run.basePath), expected);
        // Made on every Save, whatever the name.
        QVERIFY(QDir(DataFolder()).exists());
        QVERIFY(!QDir(DataFolder() + "/sub").exists());
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("documentsBlocked");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty name") << "" << false << Q(k4::text::kEnterFileNameMessage);
        QTest::newRow("data folder cannot be made") << "report" << true << Q(k4::text::kCreateDataFolderMessage);
        QTest::newRow("empty wins over the folder") << "" << true << Q(k4::text::kEnterFileNameMessage);
    }

    void refusals()
    {
        QFETCH(QString, typed);
        QFETCH(bool, documentsBlocked);
        QFETCH(QString, message);
        QString documents = Documents();
        if (documentsBlocked) {
            // A file where the documents folder's parent should be.
            QFile blocker(Home() + "/not-a-folder");
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            documents = blocker.fileName() + "/Documents";
        }
        const Run run = TypeAndSave(typed, documents);
        QCOMPARE(run.messages, QStringList{message});
        QVERIFY(run.stayedOpen);
        QCOMPARE(run.result, int(k4::SaveFileResult::Cancel));
        QCOMPARE(run.basePath, std::string());
    }

    void browsedNamesLoseTheirExtension_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("shown");
        QTest::newRow("xls") << "/out/report.xls"
                             << "/out/report";
        QTest::newRow("other extension") << "/out/report.txt"
                                         << "/out/report";
        QTest::newRow("trailing dot") << "/out/report."
                                      << "/out/report";
        QTest::newRow("no extension") << "/out/report"
                                      << "/out/report";
        QTest::newRow("dotted folder, no extension") << "/out.old/report"
                                                     << "/out.old/report";
        QTest::newRow("cancelled keeps the text") << ""
                                                  << "typed before";
    }

    void browsedNamesLoseTheirExtension()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, shown);
        SaveFileDialog dialog(Documents().toStdString(), Home().toStdString());
        dialog.SetBrowser([&](QWidget*) { return chosen; });
        dialog.show();
        auto* edit = dialog.findChild<QLineEdit*>();
        edit->setText("typed before");
        QTest::mouseClick(Button(dialog, k4::text::kBrowseButton), Qt::LeftButton);
        QCOMPARE(edit->text(), shown);
    }

    void cancelAfterBrowseGivesNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Esc") << true;
    }

    void cancelAfterBrowseGivesNothing()
    {
        QFETCH(bool, escape);
        SaveFileDialog dialog(Documents().toStdString(), Home().toStdString());
        dialog.SetBrowser([](QWidget*) { return QStringLiteral("/out/report.csv"); });
        k4apptest::WhenModal([&](QWidget*) {
            QTest::mouseClick(Button(dialog, k4::text::kBrowseButton), Qt::LeftButton);
            if (escape)
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                QTest::mouseClick(Button(dialog, k4::text::kCancelButton), Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), int(k4::SaveFileResult::Cancel));
        QCOMPARE(dialog.BasePath(), std::string());
        QVERIFY(!QDir(DataFolder()).exists()); // only Save makes it
    }

    void defaultFolderIsShownAsTheUserKnowsIt()
    {
        SaveFileDialog inHome(Documents().toStdString(), Home().toStdString());
        SaveFileDialog elsewhere("/srv/docs", Home().toStdString());
        const auto folderLabel = [](SaveFileDialog& dialog) {
            for (QLabel* label : dialog.findChildren<QLabel*>())
                if (label->text().startsWith(QLatin1Char('"')))
                    return label->text();
            return QString();
        };
        const QString name = Q(k4::text::kDataFolderName);
        QCOMPARE(folderLabel(inHome), "\"~/Documents/" + name + "\"");
        QCOMPARE(folderLabel(elsewhere), "\"/srv/docs/" + name + "\"");
    }

    void systemDialogOffersOneFilterAndAsksBeforeOverwriting()
    {
        QStringList filters;
        bool confirmsOverwrite = false;
        bool saving = false;
        k4apptest::WhenModalOf<QFileDialog>([&](QFileDialog* files) {
            filters = files->nameFilters();
            confirmsOverwrite = !files->testOption(QFileDialog::DontConfirmOverwrite);
            saving = files->acceptMode() == QFileDialog::AcceptSave;
            files->reject();
        });
        QCOMPARE(SaveFileDialog::DefaultBrowser(nullptr), QString());
        QCOMPARE(filters.size(), 1);
        // Qt reads the patterns as a space-separated list in parentheses.
        const QRegularExpressionMatch patterns = QRegularExpression(R"(\(([^)]*)\)$)").match(filters.value(0));
        QVERIFY(patterns.hasMatch());
        QCOMPARE(patterns.captured(1).split(QLatin1Char(' ')), (QStringList{"*.csv", "*.xls"}));
        QVERIFY(filters.value(0).startsWith(Q(k4::text::kSaveFilterName).section(QLatin1String(" ("), 0, 0)));
        QVERIFY(confirmsOverwrite);
        QVERIFY(saving);
    }
};

k4apptest::Register<SaveFileDialogTest> registered;

} // namespace

#include "save_file_dialog_test.moc"
