// Runs every test class of the desktop program in one QApplication.
#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/app/qt/app_test.h"

int main(int argc, char** argv)
{
    // Title claims go to a folder of our own, so that a desktop program
    // running beside the tests neither sees them nor answers for them.
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    int failed = 0;
    for (const auto make : {&DialogTests, &DesktopProgramTests})
        failed += QTest::qExec(make().get(), argc, argv);
    return failed == 0 ? 0 : 1;
}
