// Ovro-QVT end to end: the main frame with its document host, the Connect
// Device and Search Node dialogs, the parameter window and the status bar,
// against ovro-drive-sim (K315, node 127, 20 kBit/s) on a private bus.
#include "WireTest.h"
#include "shell/DlgInterface.h"
#include "shell/DlgOptionSheet.h"
#include "shell/DlgOptionXmlPage.h"
#include "shell/DlgSearchNode.h"
#include "shell/DlgSearchNodeResults.h"
#include "ui/CommandIds.h"
#include "download/HexFile.h"
#include "download/views/ProgressBox.h"
#include "operation/views/DriveWindows.h"

#include "canopen/CANopenNode.h"
#include "description/QVTDevice.h"
#include "document/ParameterTable.h"
#include "document/ParameterValue.h"
#include "document/QVTDoc.h"
#include "document/views/ChildFrame.h"
#include "document/views/LeftView.h"
#include "document/views/QVTView.h"
#include "ui/MessageTexts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>

#include <deque>
#include <filesystem>
#include <functional>

using namespace CommandId;

namespace {

TEST_F(WireTest, MenusFollowTheDocumentOfflineAndOnline)
{
    // Without a document: Connect and Open, nothing of a document.
    EXPECT_FALSE(frame_->HasDocumentMenus());
    EXPECT_TRUE(Enabled(kConnect));
    EXPECT_TRUE(Enabled(kOpen));
    EXPECT_TRUE(Enabled(kExit));
    EXPECT_FALSE(Enabled(kDisconnect));
    EXPECT_FALSE(Enabled(kUpload));
    EXPECT_EQ(frame_->ConnectionText(), QStringLiteral("Ovro-QVT"));
    EXPECT_EQ(frame_->ConnectionText(), QString::fromLatin1(MessageText(59143)));

    ovro::CQVTDoc* doc = ConnectThroughDialog();
    ASSERT_NE(doc, nullptr);
    for (const auto& m : ui_.messages)
        ADD_FAILURE() << m.text;
    ASSERT_TRUE(doc->IsOnline());
    EXPECT_EQ(doc->Model(), 2);
    EXPECT_TRUE(frame_->HasDocumentMenus());
    EXPECT_EQ(frame_->MdiArea()->subWindowList().size(), 1);
    EXPECT_TRUE(frame_->ConnectionText().startsWith(QStringLiteral("Connected: CAN,#127,20kBit/s,")))
        << frame_->ConnectionText().toStdString();
    // Online: no second Connect, no Close, no Exit.
    for (unsigned c : {kConnect, kClose, kExit})
        EXPECT_FALSE(Enabled(c)) << c;
    for (unsigned c : {kDisconnect, kUpload, kDownload, kStore, kReset, kRestore, kSaveAs, kParameterWindow,
                       kDeviceManual, kCanopenManual, kPrint, kMotionControl, kDeviceStatus, kFirmwareUpdate})
        EXPECT_TRUE(Enabled(c)) << c;
    // The oscilloscope is left out here (the scope wiring test has it).
    for (unsigned c : {kOscilloscope, kExport})
        EXPECT_FALSE(Enabled(c)) << c;
    EXPECT_TRUE(Enabled(kPrintSetup));

    frame_->Action(kDisconnect)->trigger();
    EXPECT_FALSE(doc->IsOnline());
    EXPECT_EQ(app_->Master().GetNode(127), nullptr);
    EXPECT_TRUE(frame_->ConnectionText().startsWith(QStringLiteral("Offline: CAN,#127,20kBit/s,")));
    for (unsigned c : {kConnect, kClose, kExit, kSaveAs})
        EXPECT_TRUE(Enabled(c)) << c;
    EXPECT_FALSE(Enabled(kDisconnect));

    // Connect again from the open document: the dialog allows the download flags.
    bool configurable = false;
    OnModal<CDlgConnectDevice>([&configurable](CDlgConnectDevice* dialog) {
        configurable = dialog->ConfigurationGroup()->isEnabled() && !dialog->OfflineButton()->isEnabled();
        dialog->ConnectButton()->click();
    });
    frame_->Action(kConnect)->trigger();
    EXPECT_TRUE(configurable);
    EXPECT_TRUE(doc->IsOnline());
    EXPECT_FALSE(Enabled(kConnect));
}

TEST_F(WireTest, FirmwareUpdateWithTheShippedFilesShowsTheNewVersion)
{
    // The SLL-File page offers the loader beside the program, which scans well.
    EXPECT_EQ(app_->Options().sllFileName, programDir_ + "/sll/sll.H86");
    EXPECT_EQ(ScanFile(app_->LoaderFile()), 2048);
    ovro::CQVTDoc* doc = ConnectThroughDialog();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->IsOnline());
    EXPECT_TRUE(frame_->ConnectionText().endsWith(QStringLiteral(",v2.140"))) << frame_->ConnectionText().toStdString();
    const std::string app = dir_.filePath(QStringLiteral("K315_v2200.h86")).toStdString();
    for (const char* ext : {".h86", ".sfv"})
        std::filesystem::copy_file(std::string(OVRO_DATA_DIR) + "/firmware/K315_v2200" + ext,
                                   dir_.filePath(QStringLiteral("K315_v2200")).toStdString() + ext);
    ui_.files = {app};
    // The drive windows open before: the update closes them first.
    frame_->Action(kMotionControl)->trigger();
    frame_->Action(kDeviceStatus)->trigger();
    ASSERT_NE(host_->DriveWindows().MotionControl(), nullptr);
    ASSERT_NE(host_->DriveWindows().DeviceStatus(), nullptr);
    // The progress box while it runs: the main frame is disabled behind it.
    std::vector<std::string> steps;
    bool frameDisabled = true;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<CProgressBox*>(w); box != nullptr && box->isVisible()) {
                const std::string step = box->StepLabel()->text().toStdString();
                if (steps.empty() || steps.back() != step)
                    steps.push_back(step);
                frameDisabled = frameDisabled && !frame_->isEnabled();
            }
        }
    });
    bool driveWindowsClosed = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!steps.empty())
            driveWindowsClosed = host_->DriveWindows().MotionControl() == nullptr &&
                                 host_->DriveWindows().DeviceStatus() == nullptr;
    });
    watch.start(0);
    frame_->Action(kFirmwareUpdate)->trigger();
    watch.stop();
    EXPECT_TRUE(driveWindowsClosed) << "closed while the download runs";
    EXPECT_EQ(host_->DriveWindows().MotionControl(), nullptr);
    EXPECT_EQ(host_->DriveWindows().DeviceStatus(), nullptr);
    EXPECT_FALSE(frame_->Action(kMotionControl)->isChecked());
    ASSERT_EQ(ui_.messages.size(), 1u) << ui_.messages.front().text;
    EXPECT_EQ(ui_.messages[0].severity, MessageSeverity::Success) << ui_.messages[0].text;
    EXPECT_NE(std::find(steps.begin(), steps.end(), "Load Intel-Hex-File into FLASH"), steps.end());
    EXPECT_TRUE(frameDisabled);
    EXPECT_TRUE(frame_->isEnabled());
    EXPECT_TRUE(frame_->ConnectionText().endsWith(QStringLiteral(",v2.200"))) << frame_->ConnectionText().toStdString();
    EXPECT_EQ(store_->ReadString("Download", "AppFileName", ""), app);
    EXPECT_EQ(app_->Settings().appFileName, app);
    EXPECT_TRUE(std::filesystem::exists(dir_.filePath(QStringLiteral("K315_v2200.log")).toStdString()));
}

TEST_F(WireTest, TheTableIsFilledAndAnEditStaysYellowUntilTheDownload)
{
    ovro::CQVTDoc* doc = ConnectThroughDialog();
    ASSERT_NE(doc, nullptr);
    CChildFrame* child = host_->ChildFrame();
    ASSERT_NE(child, nullptr);
    CQVTView* view = child->View();
    EXPECT_GT(view->Grid()->rowCount(), 3);
    EXPECT_GT(child->Tree()->topLevelItemCount(), 0);

    // The profile velocity, typed into the table.
    const std::pair<int, int> at = FindParameter(*doc->Device(), 0x6081);
    const int section = at.first;
    const int row = at.second;
    ASSERT_GE(section, 0);
    child->Tree()->SelectSection(section);
    view->OnUpdate(section);
    ASSERT_GT(view->Grid()->rowCount(), row);
    const auto background = [&] {
        return view->Grid()->item(row, ovro::CParameterTable::ColValue)->background().color();
    };
    EXPECT_NE(background(), CQVTView::ChangedColour());
    view->CommitText(row, QStringLiteral("1234"));
    EXPECT_EQ(background(), CQVTView::ChangedColour());

    ui_.answers.clear();
    frame_->Action(kDownload)->trigger();
    for (const auto& m : ui_.messages)
        ADD_FAILURE() << m.text;
    EXPECT_NE(background(), CQVTView::ChangedColour());
    // An upload says in the prompt pane what it read.
    frame_->Action(kUpload)->trigger();
    EXPECT_TRUE(frame_->PromptText().endsWith(QStringLiteral(" parameters read from node #127.")))
        << frame_->PromptText().toStdString();
    std::uint32_t written = 0;
    ASSERT_TRUE(doc->Node()->ReadU32(0x6081, 0, written));
    EXPECT_EQ(written, 1234u);
}

TEST_F(WireTest, TheSearchFindsTheDriveAndConnectsToTheChosenOne)
{
    std::vector<std::string> row;
    bool searchDisabledDuringSweep = false;
    OnModal<CDlgConnectDevice>([&](CDlgConnectDevice* dialog) {
        dialog->NodeIdField()->setValue(5);
        OnModal<CDlgSearchNode>([&](CDlgSearchNode* search) {
            search->FirstField()->setValue(127);
            search->LastField()->setValue(126);  // downwards, two ids
            search->BaudRateList()->setCurrentIndex(7);
            OnModal<CDlgSearchNodeResults>([&](CDlgSearchNodeResults* results) {
                searchDisabledDuringSweep = true;
                QTableWidget* grid = results->Grid();
                EXPECT_EQ(grid->rowCount(), 1);
                EXPECT_EQ(grid->columnCount(), 5);
                for (int c = 0; c < grid->columnCount(); ++c)
                    row.push_back(grid->item(0, c)->text().toStdString());
                EXPECT_EQ(grid->horizontalHeaderItem(3)->text(), QStringLiteral("Device ident.-no."));
                EXPECT_EQ(grid->selectedRanges().size(), 1);
                results->OkButton()->click();
            });
            search->SearchButton()->click();
        });
        dialog->SearchButton()->click();
    });
    frame_->Action(kConnect)->trigger();
    EXPECT_TRUE(searchDisabledDuringSweep);
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ(row[0], "#127");
    EXPECT_EQ(row[1], "20kBit/sec");
    EXPECT_FALSE(row[2].empty());
    // The sweep leaves no node behind; the chosen one is connected.
    ovro::CQVTDoc* doc = host_->Document();
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(doc->IsOnline());
    EXPECT_EQ(doc->NodeId(), 127);
    EXPECT_EQ(app_->Master().GetNode(126), nullptr);
}

TEST_F(WireTest, CancellingTheSweepKeepsTheSearchDialogOpen)
{
    bool stayedOpen = false;
    int shownNodeId = 0;
    int shownBaudRate = 0;
    OnModal<CDlgConnectDevice>([&](CDlgConnectDevice* dialog) {
        dialog->NodeIdField()->setValue(9);
        dialog->BaudRateList()->setCurrentIndex(2);
        OnModal<CDlgSearchNode>([&](CDlgSearchNode* search) {
            EXPECT_EQ(search->BaudRateList()->currentIndex(), 2);
            search->BaudRateList()->setCurrentIndex(7);
            search->FirstField()->setValue(1);
            search->LastField()->setValue(127);
            // Cancel at once: the progress window is the search's child.
            QTimer::singleShot(0, search, [search] {
                for (QPushButton* b : search->findChildren<QPushButton*>())
                    if (b->text() == QStringLiteral("&Cancel") && b->window() != search)
                        b->click();
            });
            search->SearchButton()->click();
            stayedOpen = search->isVisible() && search->isEnabled();
            search->reject();
        });
        dialog->SearchButton()->click();
        shownNodeId = dialog->NodeIdField()->value();
        shownBaudRate = dialog->BaudRateList()->currentIndex();
        dialog->reject();
    });
    frame_->Action(kConnect)->trigger();
    EXPECT_TRUE(stayedOpen);
    // The Connect Device dialog shows what the search dialog ended with.
    EXPECT_EQ(shownNodeId, 9);
    EXPECT_EQ(shownBaudRate, 7);
    EXPECT_EQ(host_->Document(), nullptr);
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(WireTest, ClosingAConnectedDocumentOrTheProgramAsksFirst)
{
    ovro::CQVTDoc* doc = ConnectThroughDialog();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->IsOnline());

    // The document window (its close box; the menu's Close is disabled online).
    ui_.answers = {false};
    host_->ChildFrame()->close();
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0].text, MessageText(63665));
    EXPECT_EQ(host_->Document(), doc);

    // The main window.
    ui_.answers = {false};
    EXPECT_FALSE(frame_->close());
    ASSERT_EQ(ui_.questions.size(), 2u);
    EXPECT_EQ(ui_.questions[1].text, MessageText(63667));
    EXPECT_EQ(host_->Document(), doc);
    EXPECT_TRUE(doc->IsOnline());

    ui_.answers = {true};
    EXPECT_TRUE(frame_->close());
    EXPECT_EQ(ui_.questions.size(), 3u);  // asked once
    EXPECT_EQ(host_->Document(), nullptr);
    EXPECT_EQ(app_->Master().GetNode(127), nullptr);
    EXPECT_EQ(frame_->ConnectionText(), QStringLiteral("Ovro-QVT"));
}

TEST_F(WireTest, NeitherTheProgramNorTheInterfaceClosesUnderARunningDownload)
{
    ovro::CQVTDoc* doc = ConnectThroughDialog();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->IsOnline());
    ovro::CQVTParameter* velocity = doc->Device()->FindParameter(0x6081, 0);
    ASSERT_NE(velocity, nullptr);
    ASSERT_TRUE(ovro::CParameterValue::SetValueText(*velocity, "4321"));
    velocity->changed = true;

    // While the download's progress box lets input through, the user
    // closes the main window (answering Yes) and chooses "&Initialize...".
    bool interfaceDialogShown = false;
    auto* watch = new QTimer(frame_.get());
    watch->setInterval(10);
    QObject::connect(watch, &QTimer::timeout, watch, [&interfaceDialogShown] {
        if (auto* dialog = qobject_cast<CDlgInterface*>(QApplication::activeModalWidget())) {
            interfaceDialogShown = true;
            dialog->reject();
        }
    });
    watch->start();
    bool closedInside = true;
    int steps = 0;
    ui_.onProgressStep = [&] {
        if (steps++ > 0)
            return;
        ui_.answers = {true, true};
        closedInside = frame_->close();
        frame_->Action(kInterfaceInitialize)->trigger();
    };
    frame_->Action(kDownload)->trigger();
    watch->stop();
    ui_.onProgressStep = nullptr;

    EXPECT_GT(steps, 0);
    EXPECT_FALSE(closedInside);
    EXPECT_FALSE(interfaceDialogShown);
    EXPECT_TRUE(ui_.questions.empty());
    for (const auto& m : ui_.messages)
        ADD_FAILURE() << m.text;
    ASSERT_EQ(host_->Document(), doc);
    EXPECT_TRUE(doc->IsOnline());
    EXPECT_EQ(app_->Master().GetNode(127), doc->Node());
    std::uint32_t written = 0;
    ASSERT_TRUE(doc->Node()->ReadU32(0x6081, 0, written));
    EXPECT_EQ(written, 4321u);

    // Afterwards the program closes after its question, as before.
    ui_.answers = {true};
    EXPECT_TRUE(frame_->close());
    EXPECT_EQ(host_->Document(), nullptr);
}

TEST_F(WireTest, InitializeWhileConnectedDisconnectsTheDriveAfterAYes)
{
    ovro::CQVTDoc* doc = ConnectThroughDialog();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->IsOnline());
    const auto chooseUsb = [] {
        OnModal<CDlgInterface>([](CDlgInterface* dialog) {
            dialog->BoardList()->setCurrentIndex(dialog->BoardList()->findText("PEAK PCAN-USB"));
            dialog->accept();
        });
    };

    // No: the drive stays connected and keeps answering.
    chooseUsb();
    ui_.answers = {false};
    frame_->Action(kInterfaceInitialize)->trigger();
    ASSERT_EQ(ui_.questions.size(), 1u);
    EXPECT_EQ(ui_.questions[0].text, MessageText(63666));
    EXPECT_TRUE(doc->IsOnline());
    std::uint32_t deviceType = 0;
    EXPECT_TRUE(doc->Node()->ReadU32(0x1000, 0, deviceType));

    // Yes: disconnected, the interface opened anew; the status bar and the
    // menus say offline, and Connect brings the drive back.
    chooseUsb();
    ui_.answers = {true};
    frame_->Action(kInterfaceInitialize)->trigger();
    EXPECT_EQ(ui_.questions.size(), 2u);
    EXPECT_TRUE(doc->IsOffline());
    EXPECT_EQ(app_->Master().GetNode(127), nullptr);
    EXPECT_TRUE(app_->Master().IsInitialised());
    EXPECT_TRUE(frame_->ConnectionText().startsWith(QStringLiteral("Offline: CAN,#127,")))
        << frame_->ConnectionText().toStdString();
    EXPECT_TRUE(Enabled(kConnect));
    OnModal<CDlgConnectDevice>([](CDlgConnectDevice* dialog) { dialog->ConnectButton()->click(); });
    frame_->Action(kConnect)->trigger();
    ASSERT_TRUE(doc->IsOnline());
    frame_->Action(kUpload)->trigger();
    for (const auto& m : ui_.messages)
        ADD_FAILURE() << m.text;
}

} // namespace
