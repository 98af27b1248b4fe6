// The desktop program's main window around a real session on fake bridges:
// progress, prompts on the GUI thread, About from the window, and how the
// program ends.
#include <QAction>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/qt/about_dialog.h"
#include "app/qt/desktop_program.h"
#include "app/qt/prompt_dialog.h"
#include "app/qt/qt_text.h"
#include "common/texts.h"
#include "tests/app/qt/dialog_driver.h"
#include "tests/app/qt/test_classes.h"
#include "tests/link/fakes.h"

using k4app::DesktopProgram;
using k4app::Q;

namespace {

// A session that never finds a unit; after `polls` failed searches it asks.
k4::SessionParts NoUnit(int polls)
{
    k4::SessionParts parts;
    parts.bridges = std::make_unique<k4::test::FakeBridgeLibrary>();
    parts.channel = std::make_unique<k4::test::FakeSerialChannel>();
    parts.readConfiguration = false;
    parts.settings.pollIntervalMs = 5;
    parts.settings.failedPollsBeforePrompt = polls;
    return parts;
}

class DesktopProgramTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;

private slots:
    void mainWindowShowsTheSearch()
    {
        DesktopProgram program(NoUnit(1000000), m_home.path().toStdString(), m_home.path().toStdString());
        program.Start();
        k4app::MainWindow& window = program.Window();
        QVERIFY(window.isVisible());
        auto* bar = window.findChild<QProgressBar*>();
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 10);
        // The worker's progress arrives through the GUI thread.
        QTRY_VERIFY_WITH_TIMEOUT(bar->value() > 0, 5000);
        QStringList items;
        for (QAction* action : window.actions())
            items << action->text();
        QCOMPARE(items, QStringList{Q(k4::text::kAboutMenuItem)});
        QCOMPARE(window.contextMenuPolicy(), Qt::ActionsContextMenu);
    }

    void closingTheWindowStopsThePassAndEndsTheProgram_data()
    {
        QTest::addColumn<int>("key"); // 0: the close box
        QTest::newRow("close box") << 0;
        QTest::newRow("Esc") << int(Qt::Key_Escape);
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    }

    void closingTheWindowStopsThePassAndEndsTheProgram()
    {
        QFETCH(int, key);
        DesktopProgram program(NoUnit(1000000), m_home.path().toStdString(), m_home.path().toStdString());
        QSignalSpy ended(&program, &DesktopProgram::Ended);
        program.Start();
        QTRY_VERIFY_WITH_TIMEOUT(program.Window().Progress() > 0, 5000);
        if (key != 0)
            QTest::keyClick(&program.Window(), Qt::Key(key),
                            key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        else
            program.Window().close();
        QVERIFY(!program.Window().isVisible());
        QVERIFY(ended.wait(5000));
        QCOMPARE(program.Session().Outcome(), k4::PassOutcome::Stopped);
    }

    void exitAtDeviceNotConnectedEndsThePass()
    {
        DesktopProgram program(NoUnit(3), m_home.path().toStdString(), m_home.path().toStdString());
        QSignalSpy ended(&program, &DesktopProgram::Ended);
        bool windowHidden = false;
        int promptsSeen = 0;
        // Try Again once: the search restarts with the window shown again.
        const std::function<void(k4app::PromptDialog*)> answer = [&](k4app::PromptDialog* prompt) {
            windowHidden = !program.Window().isVisible();
            if (++promptsSeen == 1) {
                prompt->done(int(k4::NotConnectedChoice::TryAgain));
                k4apptest::WhenModalOf<k4app::PromptDialog>(answer, &program);
            } else {
                prompt->done(int(k4::NotConnectedChoice::Exit));
            }
        };
        k4apptest::WhenModalOf<k4app::PromptDialog>(answer, &program);
        program.Start();
        QVERIFY(ended.wait(10000));
        QCOMPARE(promptsSeen, 2);
        QVERIFY(windowHidden);
        QCOMPARE(program.Session().Outcome(), k4::PassOutcome::NotConnected);
    }

    void f1OpensTheAboutBox()
    {
        DesktopProgram program(NoUnit(1000000), m_home.path().toStdString(), m_home.path().toStdString());
        program.Start();
        QString caption;
        QString firmware = QStringLiteral("unset");
        k4apptest::WhenModalOf<k4app::AboutDialog>(
            [&](k4app::AboutDialog* about) {
                caption = about->windowTitle();
                QSignalSpy answered(about, &k4app::AboutDialog::FirmwareAnswered);
                answered.wait(2000);
                firmware = about->FirmwareText();
                about->accept();
            },
            &program);
        // A shortcut needs its window active.
        program.Window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&program.Window()));
        QTest::keyClick(&program.Window(), Qt::Key_F1);
        QCOMPARE(caption, Q(k4::text::kAboutCaption));
        QCOMPARE(firmware, QString()); // no unit yet
    }
};

k4apptest::Register<DesktopProgramTest> registered;

} // namespace

#include "desktop_program_test.moc"
