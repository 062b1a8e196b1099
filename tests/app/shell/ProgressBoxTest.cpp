#include "ProgressBoxTest.h"

#include "GuiTestSupport.h"
#include "shell/DlgProgressBox.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

void ProgressBoxTest::autoCloseBoxFollowsTheSettings()
{
    GuiTestBench bench;
    {
        CDlgProgressBox box(10, *bench.store, nullptr);
        QCOMPARE(box.windowTitle(), QString("Please wait..."));
        QCOMPARE(box.AutoCloseBox()->text(), QString("Close this dialog box after download."));
        QVERIFY(box.AutoCloseBox()->isChecked());
        QTest::mouseClick(box.AutoCloseBox(), Qt::LeftButton);
        QCOMPARE(bench.Read("Settings", "ProgressBox"), std::string("User"));
    }
    {
        CDlgProgressBox box(10, *bench.store, nullptr);
        QVERIFY(!box.AutoCloseBox()->isChecked());
        box.AutoCloseBox()->setChecked(true);
        QCOMPARE(bench.Read("Settings", "ProgressBox"), std::string("Auto"));
    }
}

void ProgressBoxTest::textIsAppendedAndTheBarAdvances()
{
    GuiTestBench bench;
    CDlgProgressBox box(3, *bench.store, nullptr);
    QCOMPARE(box.Bar()->maximum(), 3);
    QCOMPARE(box.Bar()->value(), 0);
    box.AddText("Motor current...", 1);
    box.AddText("OK!\r\n", 0);
    box.AddText("Max. velocity...", 1);
    box.AddText("ERROR!\r\n", 0);
    QCOMPARE(box.Bar()->value(), 2);
    QCOMPARE(box.Log()->toPlainText(), QString("Motor current...OK!\nMax. velocity...ERROR!\n"));
    QVERIFY(!box.FinishButton()->isEnabled());
}

void ProgressBoxTest::successWithAutoCloseFinishesAtOnce()
{
    GuiTestBench bench;
    CDlgProgressBox box(1, *bench.store, nullptr);
    box.Finish(true);
    QVERIFY(box.FinishButton()->isEnabled());
    QVERIFY(box.Finished());
}

void ProgressBoxTest::anErrorWaitsForFinish()
{
    GuiTestBench bench;
    CDlgProgressBox box(1, *bench.store, nullptr);
    box.show();
    box.Finish(false);
    QVERIFY(!box.Finished());
    QVERIFY(!box.Cancelled());
    QTest::mouseClick(box.FinishButton(), Qt::LeftButton);
    QVERIFY(box.Finished());
    QVERIFY(box.Cancelled());

    // unchecked box: even success waits
    box.AutoCloseBox()->setChecked(false);
    CDlgProgressBox user(1, *bench.store, nullptr);
    user.Finish(true);
    QVERIFY(!user.Finished());
}

void ProgressBoxTest::cancelIsTakenOnce()
{
    GuiTestBench bench;
    CDlgProgressBox box(5, *bench.store, nullptr);
    box.show();
    QTest::mouseClick(box.CancelButton(), Qt::LeftButton);
    QVERIFY(box.Cancelled());
    QVERIFY(!box.Cancelled());
    QVERIFY(!box.Finished());
    // the close box cancels as well, without closing
    box.close();
    QVERIFY(box.Cancelled());
    QVERIFY(box.isVisible());
}

void ProgressBoxTest::ownerIsDisabledWhileTheWindowExists()
{
    GuiTestBench bench;
    QWidget owner;
    owner.show();
    {
        CDlgProgressBox box(5, *bench.store, &owner);
        QVERIFY(!owner.isEnabled());
        QVERIFY(box.isEnabled());
        QVERIFY(box.CancelButton()->isEnabled());
    }
    QVERIFY(owner.isEnabled());

    owner.setEnabled(false);
    {
        CDlgProgressBox box(5, *bench.store, &owner);
    }
    QVERIFY(!owner.isEnabled());
}

void ProgressBoxTest::buttonsWorkWhileTheCallerPolls()
{
    GuiTestBench bench;
    bench.store->WriteString("Settings", "ProgressBox", "User");
    CDlgProgressBox box(1, *bench.store, nullptr);
    box.show();
    box.AddText("+++ Finished: no error occurred!", 1);
    box.Finish(true);
    QTimer::singleShot(50, box.FinishButton(), [&box] { box.FinishButton()->click(); });
    QElapsedTimer clock;
    clock.start();
    bool finished = false;
    bool cancelled = false;
    while (clock.elapsed() < 5000 && !finished && !cancelled) {
        cancelled = box.Cancelled();
        if (!cancelled)
            finished = box.Finished();
    }
    QVERIFY(clock.elapsed() < 5000);
    // "&Finish" sets both flags; the one the loop did not take is still set
    if (finished)
        QVERIFY(box.Cancelled());
    else
        QVERIFY(box.Finished());
}
