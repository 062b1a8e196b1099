// The firmware download's progress box on its own: the texts it starts
// with and shows, the bar, the animation, the check box kept in the
// settings, Cancel, and its owner disabled while it exists.
#include "download/views/PageAnimation.h"
#include "download/views/ProgressBox.h"
#include "download/views/ProgressBoxView.h"

#include "settings/MemorySettingsStore.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace {

std::string Text(const QLabel* label)
{
    return label->text().toLatin1().toStdString();
}

TEST(ProgressBox, StartsWithItsInitialTexts)
{
    MemorySettingsStore store;
    CProgressBox box(store, nullptr);
    EXPECT_TRUE(box.isVisible()) << "shown at once";
    EXPECT_FALSE(box.isModal());
    EXPECT_EQ(Text(box.StepLabel()), "Program Download");
    EXPECT_EQ(Text(box.FileLabel()), "(unkown)");
    EXPECT_EQ(Text(box.NodeLabel()), "(unkown)");
    EXPECT_EQ(Text(box.TimeLabel()), "0:00 min  (0 of 0 bytes loaded)");
    EXPECT_EQ(Text(box.RateLabel()), "0.0 KB/sec");
    EXPECT_EQ(box.AutoCloseBox()->text(), QString("Close this dialog box after download."));
    EXPECT_FALSE(box.Animation()->IsRunning());
}

TEST(ProgressBox, ShowsWhatTheDownloadTellsIt)
{
    MemorySettingsStore store;
    CProgressBox box(store, nullptr);
    box.SetCaption("42.5% of K315.h86 loaded");
    box.SetStep("Load Intel-Hex-File into FLASH");
    box.SetFile("/home/fw/K315.h86");
    box.SetNode("node #5");
    box.SetTime("1:05 min  (850 of 2000 bytes loaded)");
    box.SetRate("0.2 KB/sec");
    box.SetRange(2000);
    box.SetPosition(850);
    EXPECT_EQ(box.windowTitle(), QString("42.5% of K315.h86 loaded"));
    EXPECT_EQ(Text(box.StepLabel()), "Load Intel-Hex-File into FLASH");
    EXPECT_EQ(Text(box.FileLabel()), "/home/fw/K315.h86");
    EXPECT_EQ(Text(box.NodeLabel()), "node #5");
    EXPECT_EQ(Text(box.TimeLabel()), "1:05 min  (850 of 2000 bytes loaded)");
    EXPECT_EQ(Text(box.RateLabel()), "0.2 KB/sec");
    EXPECT_EQ(box.Bar()->maximum(), 2000);
    EXPECT_EQ(box.Bar()->value(), 850);
    box.SetPosition(2500);
    EXPECT_EQ(box.Bar()->value(), 2000) << "never beyond the end";
    box.SetStep("can\xB4t");
    EXPECT_EQ(box.StepLabel()->text(), QString::fromUtf8("can\u00B4t")) << "texts are Latin-1";
}

TEST(ProgressBox, TheAnimationRunsWhileTheDownloadDoes)
{
    MemorySettingsStore store;
    CProgressBox box(store, nullptr);
    box.StartAnimation();
    EXPECT_TRUE(box.Animation()->IsRunning());
    QElapsedTimer clock;
    clock.start();
    while (box.Animation()->Frame() == 0 && clock.elapsed() < 2000)
        box.ProcessMessages();
    EXPECT_NE(box.Animation()->Frame(), 0) << "it moves when messages are let through";
    box.StopAnimation();
    EXPECT_FALSE(box.Animation()->IsRunning());
}

TEST(ProgressBox, TheCheckBoxIsKeptAsAutoOrUser)
{
    struct Row {
        const char* stored;  // nullptr: missing
        bool checked;
    };
    const Row rows[] = {{nullptr, false}, {"User", false}, {"Auto", true}, {"auto", true}, {"yes", false}};
    for (const Row& row : rows) {
        MemorySettingsStore store;
        if (row.stored)
            store.WriteString("Download", "ProgressBox", row.stored);
        CProgressBox box(store, nullptr);
        EXPECT_EQ(box.AutoCloseBox()->isChecked(), row.checked) << (row.stored ? row.stored : "missing");
        EXPECT_EQ(box.AutoClose(), row.checked);
    }
    MemorySettingsStore store;
    CProgressBox box(store, nullptr);
    QTest::mouseClick(box.AutoCloseBox(), Qt::LeftButton);
    EXPECT_EQ(store.ReadString("Download", "ProgressBox", "<none>"), "Auto");
    EXPECT_TRUE(box.AutoClose());
    QTest::mouseClick(box.AutoCloseBox(), Qt::LeftButton);
    EXPECT_EQ(store.ReadString("Download", "ProgressBox", "<none>"), "User");
    EXPECT_FALSE(store.Contains("Settings", "ProgressBox")) << "not the key of the other progress window";
}

TEST(ProgressBox, CancelIsTakenOnce)
{
    MemorySettingsStore store;
    CProgressBox box(store, nullptr);
    EXPECT_FALSE(box.TakeCancel());
    QTest::mouseClick(box.CancelButton(), Qt::LeftButton);
    EXPECT_TRUE(box.TakeCancel());
    EXPECT_FALSE(box.TakeCancel()) << "the flag is cleared";
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_TRUE(box.TakeCancel()) << "Escape cancels too";
    EXPECT_TRUE(box.isVisible()) << "the box stays until the download closes it";
}

TEST(ProgressBox, TheOwnerIsDisabledWhileTheBoxExists)
{
    MemorySettingsStore store;
    QMainWindow owner;
    owner.show();
    CProgressBoxView view(store, &owner);
    {
        std::unique_ptr<IDownloadProgress> box = view.OpenProgressBox();
        EXPECT_FALSE(owner.isEnabled());
        auto* dialog = dynamic_cast<CProgressBox*>(box.get());
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isEnabled());
        EXPECT_TRUE(dialog->CancelButton()->isEnabled());
    }
    EXPECT_TRUE(owner.isEnabled());
    owner.setEnabled(false);
    {
        std::unique_ptr<IDownloadProgress> box = view.OpenProgressBox();
    }
    EXPECT_FALSE(owner.isEnabled()) << "an owner disabled before stays so";
}

}  // namespace
