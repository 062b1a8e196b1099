// The progress box in a download against the simulated K315: it shows the
// download's texts while it runs and takes Cancel between pages.
#include "DownloadTestSupport.h"

#include "download/Download.h"
#include "download/views/ProgressBox.h"
#include "download/views/ProgressBoxView.h"
#include "settings/MemorySettingsStore.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace dltest {
namespace {

class ProgressBoxSim : public DownloadSimTest {
protected:
    CProgressBox* OpenBox() const
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<CProgressBox*>(w); box != nullptr && box->isVisible())
                return box;
        }
        return nullptr;
    }

    MemorySettingsStore store_;
    QMainWindow owner_;
};

TEST_F(ProgressBoxSim, TheBoxShowsTheDownloadAndTheSuccessFollows)
{
    owner_.show();
    CProgressBoxView boxes(store_, &owner_);
    std::vector<std::string> seen;
    // What the box shows while the download runs, looked at by a timer.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (CProgressBox* box = OpenBox()) {
            seen.push_back(box->StepLabel()->text().toStdString());
            EXPECT_FALSE(owner_.isEnabled());
        }
    });
    watch.start(0);
    CDownload download(ui_, boxes, StandingClock);
    ASSERT_TRUE(download.Download(loader_.path, app_.path, 128, node_));
    watch.stop();
    EXPECT_NE(std::find(seen.begin(), seen.end(), "Load Intel-Hex-File into FLASH"), seen.end());
    EXPECT_EQ(OpenBox(), nullptr) << "closed at the end";
    EXPECT_TRUE(owner_.isEnabled());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].severity, MessageSeverity::Success);
    EXPECT_EQ(ReadFile(download.LogPath()), ExpectedLog::Success(kDate, download.LogPath(), loader_, app_, kNode).text);
}

TEST_F(ProgressBoxSim, CancelPressedWhileThePagesGoIsTakenAfterThePage)
{
    CProgressBoxView boxes(store_, nullptr);
    ui_.answers = {true};
    // Cancel is pressed as soon as the box shows the application's step.
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        CProgressBox* box = OpenBox();
        if (box != nullptr && box->StepLabel()->text() == "Load Intel-Hex-File into FLASH") {
            box->CancelButton()->click();
            press.stop();
        }
    });
    press.start(0);
    CDownload download(ui_, boxes, StandingClock);
    EXPECT_FALSE(download.Download(loader_.path, app_.path, 128, node_));
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0].text, "Do you really want to cancel the download?");
    EXPECT_TRUE(ui_.messages.empty());
    // The press came before the first FLASH page; it was taken after it.
    ExpectedLog log;
    log.Header(kDate, download.LogPath(), loader_, app_, kNode)
        .Line("1. Start First-Level-Loader...OK!\n")
        .Line("2. Load Second-Level-Loader into RAM:\n")
        .Pages(loader_)
        .Line("   File=" + loader_.path + ", 300 byte(s) loaded\n")
        .Line("3. Start Second-Level-Loader...OK!\n")
        .Line("4. Load Intel-Hex-File into FLASH:\n")
        .Pages(app_, 0, 1)
        .Line("+++ Download cancelled by user!!!\n");
    EXPECT_EQ(ReadFile(download.LogPath()), log.text);
    EXPECT_EQ(OpenBox(), nullptr);
}

}  // namespace
}  // namespace dltest
