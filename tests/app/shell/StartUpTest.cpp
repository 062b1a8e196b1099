#include "StartUpTest.h"

#include "GuiTestSupport.h"
#include "shell/MainFrame.h"
#include "shell/ProgramStart.h"

#include "ui/MessageTexts.h"

#include <QTest>

void StartUpTest::missingDescriptionNoEndsTheProgram()
{
    GuiTestBench bench;
    QTemporaryDir program;
    bench.ui.answers = {false};
    auto frame = StartProgram(bench.App(), bench.ui, program.path().toStdString(), QSize(1280, 1024));
    QVERIFY(!frame);
    QCOMPARE(bench.ui.questions.size(), size_t(1));
    const std::string path = program.path().toStdString() + "/Ovro-QVT.xml";
    QCOMPARE(bench.ui.questions[0].text, FormatMessage(63500, path.c_str()));
}

void StartUpTest::missingDescriptionYesStartsWithoutIt()
{
    GuiTestBench bench;
    QTemporaryDir program;
    bench.ui.answers = {true};
    auto frame = StartProgram(bench.App(), bench.ui, program.path().toStdString(), QSize(1280, 1024));
    QVERIFY(frame);
    QVERIFY(frame->isVisible());
    QVERIFY(!bench.App().DescriptionLoaded());
}

void StartUpTest::noInterfaceStartsQuietly()
{
    GuiTestBench bench;
    auto frame = StartProgram(bench.App(), bench.ui, GuiTestBench::DataDir(), QSize(1024, 768));
    QVERIFY(frame);
    QVERIFY(frame->isVisible());
    QCOMPARE(frame->pos(), QPoint(32, 8));
    QVERIFY(bench.ui.messages.empty());
    QVERIFY(bench.ui.questions.empty());
    QVERIFY(!bench.App().Master().IsInitialised());
}

void StartUpTest::failingInterfaceIsReported()
{
    GuiTestBench bench;
    bench.store->WriteString("Interface", "Vendor", "PEAK-System Technik");
    bench.store->WriteString("Interface", "Board", "PEAK PCAN-USB");
    setenv("OVRO_CAN_CHANNEL", "socketcan:ovro-none0", 1);
    auto frame = StartProgram(bench.App(), bench.ui, GuiTestBench::DataDir(), QSize(800, 600));
    QVERIFY(frame);
    QVERIFY(frame->isMaximized());
    QVERIFY(!bench.App().Master().IsInitialised());
    QCOMPARE(bench.ui.messages.size(), size_t(1));
    QCOMPARE(bench.ui.messages[0].icon, MessageIcon::Stop);
    QVERIFY(bench.ui.messages[0].text.find("Try again. Use command 'Interface.Initialize'.") != std::string::npos);
}

void StartUpTest::configuredInterfaceIsOpened()
{
    GuiTestBench bench;
    bench.store->WriteString("Interface", "Vendor", "PEAK-System Technik");
    bench.store->WriteString("Interface", "Board", "PEAK PCAN-USB");
    auto frame = StartProgram(bench.App(), bench.ui, GuiTestBench::DataDir(), QSize(1280, 1024));
    QVERIFY(frame);
    QVERIFY(bench.App().Master().IsInitialised());
    QCOMPARE(bench.App().Master().BoardType(), 0x00010000u);
    QVERIFY(bench.ui.messages.empty());
}
