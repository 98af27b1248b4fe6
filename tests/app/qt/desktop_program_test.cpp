// The main window around a real session on fake bridges: the worker's
// progress and prompts reach the GUI thread, the prompt's answer and closing
// at any moment reach the session, and F1 opens About. And the built program
// beside another instance: it leaves at once, silently, while a window
// titled exactly like the program's message boxes exists.
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "app/qt/about_dialog.h"
#include "app/qt/desktop_program.h"
#include "app/qt/prompt_dialog.h"
#include "app/qt/qt_text.h"
#include "common/texts.h"
#include "platform/window_titles.h"
#include "tests/app/qt/app_test.h"
#include "tests/link/fakes.h"

using k4app::DesktopProgram;

namespace {

class DesktopProgramTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_home;

    // A session that never finds a unit; after `polls` failed searches it asks.
    std::unique_ptr<DesktopProgram> NoUnit(int polls)
    {
        k4::SessionParts parts;
        parts.bridges = std::make_unique<k4::test::FakeBridgeLibrary>();
        parts.channel = std::make_unique<k4::test::FakeSerialChannel>();
        parts.readConfiguration = false;
        parts.settings.pollIntervalMs = 5;
        parts.settings.failedPollsBeforePrompt = polls;
        const std::string home = m_home.path().toStdString();
        return std::make_unique<DesktopProgram>(std::move(parts), home, home);
    }

private slots:
    void howThePassEnds_data()
    {
        // A key at the main window, 0 its close box; at the Device Not
        // Connected prompt: -1 End() (a stop signal), -2 Exit.
        QTest::addColumn<int>("action");
        QTest::addColumn<k4::PassOutcome>("outcome");
        QTest::newRow("close box") << 0 << k4::PassOutcome::Stopped;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << k4::PassOutcome::Stopped;
        QTest::newRow("Enter") << int(Qt::Key_Return) << k4::PassOutcome::Stopped;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << k4::PassOutcome::Stopped;
        QTest::newRow("stop signal at the prompt") << -1 << k4::PassOutcome::Stopped;
        QTest::newRow("Exit at the prompt") << -2 << k4::PassOutcome::NotConnected;
    }

    void howThePassEnds()
    {
        QFETCH(int, action);
        QFETCH(k4::PassOutcome, outcome);
        const auto program = NoUnit(action < 0 ? 1 : 1000000);
        k4app::MainWindow& window = program->Window();
        QSignalSpy ended(program.get(), &DesktopProgram::Ended);
        bool hiddenAtPrompt = false;
        k4apptest::WhenModal<k4app::PromptDialog>(
            [&](k4app::PromptDialog* prompt) {
                hiddenAtPrompt = !window.isVisible();
                if (action == -1)
                    program->End();
                else
                    prompt->done(int(k4::NotConnectedChoice::Exit));
            },
            program.get());
        program->Start();
        if (action >= 0) {
            QTRY_VERIFY_WITH_TIMEOUT(window.Progress() > 0, 5000);
            if (action == 0)
                window.close();
            else
                QTest::keyClick(&window, Qt::Key(action),
                                action == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        }
        QVERIFY(ended.wait(5000));
        QCOMPARE(program->Session().Outcome(), outcome);
        QCOMPARE(hiddenAtPrompt, action < 0);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!window.isVisible());
    }

    void anotherInstance_data()
    {
        QTest::addColumn<QString>("claimed"); // empty: nothing claimed
        QTest::addColumn<bool>("leaves");
        QTest::newRow("a message box of another instance") << k4app::Q(k4::text::kApplicationName) << true;
        QTest::newRow("another instance's main window") << k4app::Q(k4::text::kWindowCaption) << false;
        QTest::newRow("nothing") << QString() << false;
    }

    void anotherInstance()
    {
        QFETCH(QString, claimed);
        QFETCH(bool, leaves);
        std::optional<k4::WindowTitleClaim> claim;
        if (!claimed.isEmpty())
            claim.emplace(claimed.toStdString());
        // The tests' runtime folder, and no configuration: no unit is looked for.
        QTemporaryDir scratch;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("K4_REPORT_SHOWN", "1");
        for (const char* folder : {"XDG_CONFIG_DIRS", "XDG_CONFIG_HOME", "HOME"})
            env.insert(folder, scratch.path());
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QStringLiteral(K4_DESKTOP_PROGRAM), {});
        QVERIFY(program.waitForStarted(5000));
        QByteArray seen;
        while (!seen.contains("k4-shown") && program.waitForReadyRead(10000))
            seen += program.readAll();
        QCOMPARE(seen.contains("k4-shown"), !leaves);
        // Leaving, it says nothing and shows no window.
        const bool left = program.state() == QProcess::NotRunning && program.exitStatus() == QProcess::NormalExit;
        QCOMPARE(left && program.exitCode() == 0 && seen.isEmpty(), leaves);
        program.kill();
        program.waitForFinished(5000);
    }

    void f1OpensTheAboutBox()
    {
        const auto program = NoUnit(1000000);
        program->Start();
        bool opened = false;
        k4apptest::WhenModal<k4app::AboutDialog>([&](k4app::AboutDialog* about) { opened = true, about->accept(); });
        // A shortcut needs its window active.
        program->Window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&program->Window()));
        QTest::keyClick(&program->Window(), Qt::Key_F1);
        QVERIFY(opened);
    }
};

} // namespace

std::unique_ptr<QObject> DesktopProgramTests()
{
    return std::make_unique<DesktopProgramTest>();
}

#include "desktop_program_test.moc"
