// The prompts' result codes for every way of ending them, their window
// decorations, and the title claims of prompts and message boxes.
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "app/qt/message_box.h"
#include "app/qt/prompt_dialog.h"
#include "app/qt/qt_text.h"
#include "common/texts.h"
#include "link/download_shell.h"
#include "platform/window_titles.h"
#include "tests/app/qt/dialog_driver.h"
#include "tests/app/qt/test_classes.h"

using k4app::Prompt;
using k4app::PromptDialog;
using k4app::Q;

namespace {

enum class Action { FirstButton, SecondButton, Escape, CloseBox };

QPushButton* ButtonWithText(QWidget& dialog, std::string_view text)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->isVisible() && button->text() == Q(text))
            return button;
    return nullptr;
}

class PromptDialogTest : public QObject {
    Q_OBJECT
private slots:
    void resultOfEachWayOut_data()
    {
        QTest::addColumn<int>("prompt");
        QTest::addColumn<QString>("button"); // empty: Esc or close box
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("expected");
        using namespace k4;
        const auto row = [](const char* name, Prompt prompt, std::string_view button, Action action, int expected) {
            QTest::newRow(name) << int(prompt) << Q(button) << int(action) << expected;
        };
        row("not connected: Try Again", Prompt::DeviceNotConnected, text::kTryAgainButton, Action::FirstButton,
            int(NotConnectedChoice::TryAgain));
        row("not connected: Exit", Prompt::DeviceNotConnected, text::kExitButton, Action::SecondButton,
            int(NotConnectedChoice::Exit));
        row("not connected: Esc", Prompt::DeviceNotConnected, {}, Action::Escape, int(NotConnectedChoice::Closed));
        row("not connected: close box", Prompt::DeviceNotConnected, {}, Action::CloseBox,
            int(NotConnectedChoice::Closed));
        row("empty: Exit", Prompt::DeviceEmpty, text::kExitButton, Action::FirstButton, int(DeviceEmptyResult::Exit));
        row("empty: Esc", Prompt::DeviceEmpty, {}, Action::Escape, int(DeviceEmptyResult::Closed));
        row("data found: Download Data", Prompt::DataFound, text::kDownloadDataButton, Action::FirstButton,
            int(DataFoundChoice::Download));
        row("data found: Cancel", Prompt::DataFound, text::kCancelButton, Action::SecondButton,
            int(DataFoundChoice::Cancel));
        row("data found: Esc", Prompt::DataFound, {}, Action::Escape, int(DataFoundChoice::Cancel));
        row("data found: close box", Prompt::DataFound, {}, Action::CloseBox, int(DataFoundChoice::Cancel));
        row("saved: Exit", Prompt::SaveComplete, text::kExitButton, Action::FirstButton, int(SaveCompleteResult::Exit));
        row("saved: Esc", Prompt::SaveComplete, {}, Action::Escape, int(SaveCompleteResult::Closed));
    }

    void resultOfEachWayOut()
    {
        QFETCH(int, prompt);
        QFETCH(QString, button);
        QFETCH(int, action);
        QFETCH(int, expected);
        PromptDialog dialog(static_cast<Prompt>(prompt));
        bool acted = false;
        k4apptest::WhenModal([&](QWidget* shown) {
            acted = shown == &dialog;
            switch (static_cast<Action>(action)) {
            case Action::FirstButton:
            case Action::SecondButton:
                if (QPushButton* target = ButtonWithText(dialog, button.toStdString()))
                    QTest::mouseClick(target, Qt::LeftButton);
                else
                    acted = false, dialog.done(-1);
                break;
            case Action::Escape: QTest::keyClick(&dialog, Qt::Key_Escape); break;
            case Action::CloseBox: dialog.close(); break;
            }
        });
        const int result = dialog.exec();
        QVERIFY(acted);
        QCOMPARE(result, expected);
    }

    void decorations_data()
    {
        QTest::addColumn<int>("prompt");
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("not connected") << int(Prompt::DeviceNotConnected) << true;
        QTest::newRow("empty") << int(Prompt::DeviceEmpty) << false;
        QTest::newRow("data found") << int(Prompt::DataFound) << true;
        QTest::newRow("saved") << int(Prompt::SaveComplete) << false;
    }

    void decorations()
    {
        QFETCH(int, prompt);
        QFETCH(bool, closeBox);
        PromptDialog dialog(static_cast<Prompt>(prompt));
        dialog.show();
        QCOMPARE(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint), closeBox);
        QVERIFY(dialog.windowFlags().testFlag(Qt::CustomizeWindowHint));
        // Enter takes the first button, as in the original dialogs.
        const QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
        QVERIFY(!buttons.isEmpty());
        QVERIFY(buttons.first()->isDefault());
    }

    void aPromptClaimsItsTitleOnlyWhileShown()
    {
        const std::string title(k4::text::kWindowCaption);
        QVERIFY(!k4::WindowTitleExists(title));
        PromptDialog dialog(Prompt::DataFound);
        bool claimedWhileShown = false;
        k4apptest::WhenModal([&](QWidget*) {
            claimedWhileShown = k4::WindowTitleExists(title);
            dialog.reject();
        });
        dialog.exec();
        QVERIFY(claimedWhileShown);
        QVERIFY(!k4::WindowTitleExists(title));
    }

    void aMessageBoxHasOkAndTheProgramsNameAndClaimsIt()
    {
        const std::string name(k4::text::kApplicationName);
        QVERIFY(!k4::WindowTitleExists(name));
        QString caption, text;
        QStringList buttons;
        bool claimed = false;
        k4apptest::WhenModalOf<QMessageBox>([&](QMessageBox* box) {
            caption = box->windowTitle();
            text = box->text();
            for (QAbstractButton* button : box->buttons())
                buttons << button->text().remove(QLatin1Char('&'));
            claimed = k4::WindowTitleExists(name);
            QTest::keyClick(box, Qt::Key_Return);
        });
        k4app::ShowOkMessage(nullptr, k4::text::kTimeoutMessage);
        QCOMPARE(caption, Q(k4::text::kApplicationName));
        QCOMPARE(text, Q(k4::text::kTimeoutMessage));
        QCOMPARE(buttons, QStringList{Q(k4::text::kOkButton)});
        QVERIFY(claimed);
        QVERIFY(!k4::WindowTitleExists(name));
    }
};

k4apptest::Register<PromptDialogTest> registered;

} // namespace

#include "prompt_dialog_test.moc"
