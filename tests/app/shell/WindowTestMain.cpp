// The widget tests run on the offscreen platform with their settings in a
// temporary folder, never in the user's.
#include "InterfaceDialogTest.h"
#include "MainFrameTest.h"
#include "OptionSheetTest.h"
#include "ProgressBoxTest.h"
#include "StartUpTest.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    QApplication application(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());

    int failed = 0;
    {
        MainFrameTest test;
        failed += QTest::qExec(&test, argc, argv);
    }
    {
        InterfaceDialogTest test;
        failed += QTest::qExec(&test, argc, argv);
    }
    {
        OptionSheetTest test;
        failed += QTest::qExec(&test, argc, argv);
    }
    {
        ProgressBoxTest test;
        failed += QTest::qExec(&test, argc, argv);
    }
    {
        StartUpTest test;
        failed += QTest::qExec(&test, argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
