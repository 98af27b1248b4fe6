// The About box's firmware field: no unit, a unit that answers, and a unit
// whose link the worker holds while the box opens.
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/qt/about_dialog.h"
#include "app/qt/qt_text.h"
#include "common/texts.h"
#include "link/download_shell.h"
#include "session/download_session.h"
#include "tests/app/qt/test_classes.h"
#include "tests/link/fakes.h"

using k4app::AboutDialog;
using k4app::Q;

namespace {

// A session on fake parts with one matching bridge, not started: the test
// decides when the unit counts as connected.
struct FakeUnit {
    k4::test::FakeShell shell;
    k4::test::FakeSerialChannel* channel = nullptr;
    std::unique_ptr<k4::DownloadSession> session;

    FakeUnit()
    {
        auto bridges = std::make_unique<k4::test::FakeBridgeLibrary>();
        bridges->attached.push_back({0x10c4, 0xea60});
        auto serial = std::make_unique<k4::test::FakeSerialChannel>();
        channel = serial.get();
        k4::SessionParts parts;
        parts.bridges = std::move(bridges);
        parts.channel = std::move(serial);
        parts.readConfiguration = false;
        session = std::make_unique<k4::DownloadSession>(shell, std::move(parts));
    }
    void Connect(const std::string& firmware)
    {
        channel->QueueBytes(k4::test::CodeFrame(0, 0, k4::test::Bytes(firmware.begin(), firmware.end())));
        session->Link().AdoptBridge(100);
    }
    AboutDialog::FirmwareRequest Request()
    {
        return [this](auto done) { session->RequestFirmwareVersion(std::move(done)); };
    }
};

// Holds the link's lock on a thread of its own, as the worker does during
// an exchange, until released.
class LinkHolder {
public:
    explicit LinkHolder(std::recursive_mutex& lock)
        : m_thread([this, &lock] {
              std::lock_guard held(lock);
              std::unique_lock wait(m_mutex);
              m_taken = true;
              m_changed.notify_all();
              m_changed.wait(wait, [this] { return m_released; });
          })
    {
        std::unique_lock wait(m_mutex);
        m_changed.wait(wait, [this] { return m_taken; });
    }
    void Release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_released = true;
        }
        m_changed.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }
    ~LinkHolder() { Release(); }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_taken = false;
    bool m_released = false;
    std::thread m_thread;
};

class AboutDialogTest : public QObject {
    Q_OBJECT
private slots:
    void firmwareField_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no unit") << false << ""
                                 << "";
        QTest::newRow("unit") << true << "V2.10"
                              << "V2.10";
        QTest::newRow("long reply cut") << true << "V3.01-beta"
                                        << "V3.01";
    }

    void firmwareField()
    {
        QFETCH(bool, connected);
        QFETCH(QString, reply);
        QFETCH(QString, shown);
        FakeUnit unit;
        if (connected)
            unit.Connect(reply.toStdString());
        AboutDialog about(unit.Request());
        QSignalSpy answered(&about, &AboutDialog::FirmwareAnswered);
        about.show();
        QVERIFY(answered.wait(5000));
        QCOMPARE(about.FirmwareText(), shown);
        QVERIFY(about.findChild<QLineEdit*>()->isReadOnly());
    }

    void captionTextAndResults()
    {
        FakeUnit unit;
        const std::pair<bool, int> ways[] = {{true, int(k4::AboutResult::Ok)}, {false, int(k4::AboutResult::Closed)}};
        for (const auto& [ok, expected] : ways) {
            AboutDialog about(unit.Request());
            QCOMPARE(about.windowTitle(), Q(k4::text::kAboutCaption));
            QTimer::singleShot(0, &about, [&about, ok = ok] {
                if (ok)
                    QTest::keyClick(&about, Qt::Key_Return);
                else
                    QTest::keyClick(&about, Qt::Key_Escape);
            });
            QCOMPARE(about.exec(), expected);
        }
        AboutDialog about(unit.Request());
        const QString text = about.findChild<QLabel*>(QStringLiteral("nameLabel"))->text();
        QCOMPARE(text.section(QLatin1Char('\n'), 0, 0), Q(k4::text::kApplicationName));
        QVERIFY(text.section(QLatin1Char('\n'), 1, 1).startsWith(Q(k4::text::kAboutVersionLine)));
    }

    void opensAtOnceWhileTheWorkerHoldsTheLink()
    {
        FakeUnit unit;
        unit.Connect("V2.10");
        LinkHolder worker(unit.session->Link().m_csLink);
        QElapsedTimer clock;
        clock.start();
        AboutDialog about(unit.Request());
        QSignalSpy answered(&about, &AboutDialog::FirmwareAnswered);
        about.show();
        QVERIFY(clock.elapsed() < 1000);
        // The GUI thread goes on; the answer waits for the exchange to end.
        QVERIFY(!answered.wait(300));
        QCOMPARE(about.FirmwareText(), QString());
        worker.Release();
        QVERIFY(answered.wait(5000));
        QCOMPARE(about.FirmwareText(), QStringLiteral("V2.10"));
    }

    void anAnswerForABoxClosedMeanwhileIsDropped()
    {
        FakeUnit unit;
        unit.Connect("V2.10");
        LinkHolder worker(unit.session->Link().m_csLink);
        auto* about = new AboutDialog(unit.Request());
        QPointer<AboutDialog> gone(about);
        about->show();
        delete about;
        worker.Release();
        // Let the query end and its answer arrive; it must find no box.
        QTest::qWait(300);
        QVERIFY(gone.isNull());
        unit.session.reset(); // joins the query
        QCoreApplication::processEvents();
    }
};

k4apptest::Register<AboutDialogTest> registered;

} // namespace

#include "about_dialog_test.moc"
