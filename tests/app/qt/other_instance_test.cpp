// The built program beside another instance: it leaves at once, silently,
// while a window titled exactly like the program's message boxes exists.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "common/texts.h"
#include "platform/window_titles.h"
#include "tests/app/qt/test_classes.h"

namespace {

class OtherInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void startBesideAClaim_data()
    {
        QTest::addColumn<QString>("claimed"); // empty: nothing claimed
        QTest::addColumn<bool>("leaves");
        QTest::newRow("a message box of another instance")
            << QString::fromUtf8(k4::text::kApplicationName.data(), k4::text::kApplicationName.size()) << true;
        QTest::newRow("another instance's main window")
            << QString::fromUtf8(k4::text::kWindowCaption.data(), k4::text::kWindowCaption.size()) << false;
        QTest::newRow("nothing") << QString() << false;
    }

    void startBesideAClaim()
    {
        QFETCH(QString, claimed);
        QFETCH(bool, leaves);
        // The program's environment: the tests' runtime folder, no unit, and
        // a configuration folder with nothing in it.
        QTemporaryDir scratch;
        QVERIFY(QDir(scratch.path()).mkpath("bridges"));
        std::optional<k4::WindowTitleClaim> claim;
        if (!claimed.isEmpty())
            claim.emplace(claimed.toStdString());

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("K4_REPORT_SHOWN", "1");
        env.insert("K4_BRIDGE_DIR", scratch.path() + "/bridges");
        env.insert("XDG_CONFIG_DIRS", scratch.path() + "/config");
        env.insert("XDG_CONFIG_HOME", scratch.path() + "/config");
        env.insert("HOME", scratch.path());
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(K4_DESKTOP_PROGRAM), {});
        QVERIFY(program.waitForStarted(5000));
        if (leaves) {
            QVERIFY(program.waitForFinished(3000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 0);
            QCOMPARE(program.readAllStandardError(), QByteArray()); // never showed its window
            QCOMPARE(program.readAllStandardOutput(), QByteArray());
        } else {
            QByteArray seen;
            QElapsedTimer clock;
            clock.start();
            while (!seen.contains("k4-shown") && clock.elapsed() < 10000 && program.state() == QProcess::Running) {
                program.waitForReadyRead(100);
                seen += program.readAllStandardError();
            }
            QVERIFY2(seen.contains("k4-shown"), seen.constData());
            QCOMPARE(program.state(), QProcess::Running);
            program.kill();
            program.waitForFinished(5000);
        }
    }
};

k4apptest::Register<OtherInstanceTest> registered;

} // namespace

#include "other_instance_test.moc"
