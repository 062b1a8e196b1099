// Ovro-QVT end to end: the main frame with its document host, the Connect
// Device and Search Node dialogs, the parameter window and the status bar,
// against ovro-drive-sim (K315, node 127, 20 kBit/s) on a private bus.
#include "QVTApp.h"
#include "ScriptedUserInterface.h"
#include "shell/DlgConnectDevice.h"
#include "shell/DlgInterface.h"
#include "shell/DlgOptionSheet.h"
#include "shell/DlgOptionXmlPage.h"
#include "shell/DlgSearchNode.h"
#include "shell/DlgSearchNodeResults.h"
#include "shell/DocumentHost.h"
#include "shell/MainFrame.h"
#include "ui/CommandIds.h"

#include "canopen/CANopenNode.h"
#include "description/Commissioning.h"
#include "description/QVTDevice.h"
#include "document/ParameterTable.h"
#include "document/ParameterValue.h"
#include "document/QVTDoc.h"
#include "document/views/ChildFrame.h"
#include "document/views/LeftView.h"
#include "document/views/QVTView.h"
#include "settings/QSettingsStore.h"
#include "ui/MessageTexts.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QMdiArea>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <thread>

using namespace CommandId;
using namespace std::chrono_literals;

namespace {

bool Listening(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

// Runs action once a modal dialog of type T is the active modal widget.
template <typename T>
void OnModal(std::function<void(T*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        T* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (modal == nullptr || !modal->isEnabled())
            return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

// The Connect Device dialog answered with "C&onnect" at node 127, 20 kBit/s.
void ConnectAt127()
{
    OnModal<CDlgConnectDevice>([](CDlgConnectDevice* dialog) {
        dialog->NodeIdField()->setValue(127);
        dialog->BaudRateList()->setCurrentIndex(7);
        dialog->ConnectButton()->click();
    });
}

class WireTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        const std::string directory = dir_.path().toStdString();
        ::setenv("OVRO_CANBUS_DIR", directory.c_str(), 1);
        ::setenv("OVRO_CAN_CHANNEL", "virtual:wire", 1);
        store_ = std::make_unique<QSettingsStore>(dir_.filePath(QStringLiteral("Ovro-QVT.ini")));
        store_->WriteString("Interface", "Vendor", "PEAK-System Technik");
        store_->WriteString("Interface", "Board", "PEAK PCAN-USB");
        store_->WriteString("Interface", "Baudrate", "20");
        store_->WriteInt("Settings", "NodeId", 127);
        if (!StartDrive(directory))
            GTEST_SKIP() << "ovro-drive-sim is not built";

        // The program's folder: the description and the help files.
        programDir_ = dir_.filePath(QStringLiteral("program")).toStdString();
        std::filesystem::create_directories(programDir_ + "/Help");
        std::filesystem::copy_file(std::string(OVRO_DATA_DIR) + "/Ovro-QVT.xml", programDir_ + "/Ovro-QVT.xml");
        app_ = std::make_unique<CQVTApp>(*store_, ui_, description_);
        ASSERT_TRUE(app_->StartUp(programDir_));
        app_->OpenInterface();
        ASSERT_TRUE(ui_.messages.empty()) << ui_.messages.front().text;
        CCommandState::Features features;
        features.document = true;
        features.printing = true;
        features.motion = true;
        features.status = true;
        frame_ = std::make_unique<CMainFrame>(*app_, ui_, features);
        frame_->resize(900, 700);
        frame_->show();
        host_ = std::make_unique<CDocumentHost>(*app_, *frame_, ui_);
    }

    void TearDown() override
    {
        host_.reset();
        frame_.reset();
        if (app_)
            app_->ExitInstance();
        app_.reset();
        StopDrive();
        ::unsetenv("OVRO_CAN_CHANNEL");
        ::unsetenv("OVRO_CANBUS_DIR");
    }

    bool StartDrive(const std::string& directory)
    {
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
        std::string program = (self.parent_path() / "ovro-drive-sim").string();
        if (::access(program.c_str(), X_OK) != 0)
            return false;
        const std::string control = directory + "/drive.ctl";
        std::vector<std::string> args = {program, "--model", "K315", "--node-id", "127", "--bitrate", "20",
                                         "--bus", "wire", "--eeprom", directory + "/drive.eeprom",
                                         "--description", std::string(OVRO_DATA_DIR) + "/Ovro-QVT.xml",
                                         "--control", control};
        pid_ = ::fork();
        if (pid_ == 0) {
            // The drive ends with the test, even when the test dies.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            std::_Exit(127);
        }
        for (int i = 0; i < 300 && pid_ > 0; ++i) {
            if (Listening(control))
                return true;
            std::this_thread::sleep_for(10ms);
        }
        ADD_FAILURE() << "ovro-drive-sim did not start";
        return true;
    }

    void StopDrive()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

    bool Enabled(unsigned command) const { return frame_->Action(command)->isEnabled(); }

    // "&Connect" through the dialog.
    ovro::CQVTDoc* ConnectThroughDialog()
    {
        ConnectAt127();
        frame_->Action(kConnect)->trigger();
        return host_->Document();
    }

    QTemporaryDir dir_;
    std::string programDir_;
    pid_t pid_ = -1;
    std::unique_ptr<QSettingsStore> store_;
    ScriptedUserInterface ui_;
    ovro::CCommissioning description_;
    std::unique_ptr<CQVTApp> app_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<CDocumentHost> host_;
};

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
                       kDeviceManual, kCanopenManual, kPrint, kMotionControl, kDeviceStatus})
        EXPECT_TRUE(Enabled(c)) << c;
    // The oscilloscope and the firmware download are not there yet.
    for (unsigned c : {kOscilloscope, kFirmwareUpdate, kExport})
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
    int section = -1;
    int row = -1;
    const ovro::CQVTDevice& device = *doc->Device();
    for (std::size_t s = 0; s < device.sections.size() && section < 0; ++s)
        for (std::size_t p = 0; p < device.sections[s].parameters.size(); ++p)
            if (device.sections[s].parameters[p].index == 0x6081) {
                section = static_cast<int>(s);
                row = static_cast<int>(p);
            }
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

TEST_F(WireTest, TheDocumentToolbarRunsItsCommandsUnderTheWaitCursor)
{
    ovro::CQVTDoc* doc = ConnectThroughDialog();
    ASSERT_NE(doc, nullptr);
    CChildFrame* child = host_->ChildFrame();
    ASSERT_NE(child, nullptr);
    ovro::CQVTParameter* velocity = doc->Device()->FindParameter(0x6081, 0);
    ASSERT_NE(velocity, nullptr);
    ASSERT_TRUE(ovro::CParameterValue::SetValueText(*velocity, "777"));
    velocity->changed = true;
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);

    bool waiting = false;
    int steps = 0;
    ui_.onProgressStep = [&] {
        if (steps++ == 0)
            waiting = QApplication::overrideCursor() != nullptr &&
                      QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    };
    child->Action(CChildFrame::kDownload)->trigger();
    ui_.onProgressStep = nullptr;
    EXPECT_GT(steps, 0);
    EXPECT_TRUE(waiting);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(velocity->changed);
    for (const auto& m : ui_.messages)
        ADD_FAILURE() << m.text;
}

TEST_F(WireTest, PrintSetupSetsUpThePrinterTheDocumentPrintsOn)
{
    ASSERT_TRUE(Enabled(kPrintSetup));  // without a document too
    QPrinter* shown = nullptr;
    OnModal<QPageSetupDialog>([&shown](QPageSetupDialog* dialog) {
        shown = dialog->printer();
        dialog->reject();
    });
    frame_->Action(kPrintSetup)->trigger();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown, frame_->Printer());
    // The document window prints on that printer.
    ASSERT_NE(ConnectThroughDialog(), nullptr);
    EXPECT_EQ(host_->ChildFrame()->View()->Printer(), frame_->Printer());
}

TEST_F(WireTest, ANewXmlFolderReachesTheOpenDocumentsHelpAtOnce)
{
    ovro::CQVTDoc* doc = ConnectThroughDialog();
    ASSERT_NE(doc, nullptr);
    const std::string moved = dir_.filePath(QStringLiteral("moved")).toStdString();
    std::filesystem::create_directories(moved + "/Help");
    {
        QFile index(QString::fromStdString(moved + "/Help/K315_CAN.ini"));
        ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        index.write("[Bookmark]\nType=K315.pdf#type\n");
        QFile manual(QString::fromStdString(moved + "/Help/K315_MAN.ini"));
        ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
        manual.write("[Filename]\nName=K315_Manual.pdf\n");
    }
    // Browse on the XML-File page, then Cancel: the folder holds at once.
    ui_.files = {moved};
    OnModal<CDlgOptionSheet>([](CDlgOptionSheet* sheet) {
        sheet->XmlPage()->BrowseButton()->click();
        sheet->reject();
    });
    frame_->Action(kOptions)->trigger();
    ASSERT_EQ(app_->Settings().ProgramDirectory(), moved);

    CQVTView* view = host_->ChildFrame()->View();
    view->OnUpdate(ovro::CParameterTable::kHeader);
    view->Grid()->setCurrentCell(ovro::CParameterTable::RowType - 1, 0);
    const std::optional<ovro::CContextHelp::Target> target = view->HelpTarget();
    ASSERT_TRUE(target.has_value());
    EXPECT_EQ(target->file, moved + "/Help/K315.pdf");
    const std::optional<ovro::CHelpIndex::Document> manual = doc->DeviceManual();
    ASSERT_TRUE(manual.has_value());
    EXPECT_EQ(manual->file, moved + "/Help/K315_Manual.pdf");
}

TEST_F(WireTest, TheEditMenuActsOnTheSelectedValueWithoutAnEditor)
{
    ovro::CQVTDoc* doc = ConnectThroughDialog();
    ASSERT_NE(doc, nullptr);
    CQVTView* view = host_->ChildFrame()->View();
    int section = -1;
    int row = -1;
    const ovro::CQVTDevice& device = *doc->Device();
    for (std::size_t s = 0; s < device.sections.size() && section < 0; ++s)
        for (std::size_t p = 0; p < device.sections[s].parameters.size(); ++p)
            if (device.sections[s].parameters[p].index == 0x6083) {
                section = static_cast<int>(s);
                row = static_cast<int>(p);
            }
    ASSERT_GE(section, 0);
    host_->ChildFrame()->Tree()->SelectSection(section);
    view->OnUpdate(section);
    QTableWidget* grid = view->Grid();
    grid->setCurrentCell(row, ovro::CParameterTable::ColParameter);
    grid->setFocus();
    const QString before = grid->item(row, ovro::CParameterTable::ColValue)->text();
    ovro::CQVTParameter& p = *doc->Device()->FindParameter(0x6083, 0);

    frame_->Action(kEditCopy)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), before);
    QApplication::clipboard()->setText(QStringLiteral("4321"));
    frame_->Action(kEditPaste)->trigger();
    EXPECT_EQ(grid->item(row, ovro::CParameterTable::ColValue)->text(), QStringLiteral("4321"));
    EXPECT_EQ(p.GetInteger(), 4321);
    EXPECT_TRUE(p.changed);
    EXPECT_EQ(grid->item(row, ovro::CParameterTable::ColValue)->background().color(), CQVTView::ChangedColour());
    frame_->Action(kEditUndo)->trigger();
    EXPECT_EQ(grid->item(row, ovro::CParameterTable::ColValue)->text(), before);
    EXPECT_FALSE(p.changed);
    EXPECT_NE(grid->item(row, ovro::CParameterTable::ColValue)->background().color(), CQVTView::ChangedColour());
}

TEST_F(WireTest, ASavedDocumentOpensFromTheCommandLine)
{
    ovro::CQVTDoc* doc = ConnectThroughDialog();
    ASSERT_NE(doc, nullptr);
    const std::string path = dir_.filePath(QStringLiteral("axis")).toStdString();
    ui_.files = {path};
    frame_->Action(kSaveAs)->trigger();
    ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(path + ".31x")));
    ASSERT_FALSE(frame_->RecentFiles().empty());
    EXPECT_EQ(frame_->RecentFiles().front(), path + ".31x");
    EXPECT_EQ(store_->ReadString("Recent File List", "File1", ""), path + ".31x");

    frame_->Action(kDisconnect)->trigger();
    frame_->Action(kClose)->trigger();
    QApplication::processEvents();
    ASSERT_EQ(host_->Document(), nullptr);
    EXPECT_FALSE(frame_->HasDocumentMenus());

    const std::optional<std::string> named = CDocumentHost::CommandLineDocument(
        {QStringLiteral("Ovro-QVT"), QStringLiteral("-style"), QString::fromStdString(path + ".31x")});
    ASSERT_TRUE(named);
    OnModal<CDlgConnectDevice>([](CDlgConnectDevice* dialog) {
        EXPECT_TRUE(dialog->OfflineButton()->isEnabled());
        dialog->OfflineButton()->click();
    });
    ASSERT_TRUE(host_->OpenDocument(*named));
    ASSERT_NE(host_->Document(), nullptr);
    EXPECT_TRUE(host_->Document()->IsOffline());
    EXPECT_TRUE(frame_->ConnectionText().startsWith(QStringLiteral("Offline: CAN,#127,")));
    EXPECT_TRUE(Enabled(kConnect));
    EXPECT_NE(host_->ChildFrame(), nullptr);
    EXPECT_EQ(host_->ChildFrame()->windowTitle(), QStringLiteral("axis.31x"));

    // Closed again, the File menu's first recent entry opens it too.
    frame_->Action(kClose)->trigger();
    QApplication::processEvents();
    ASSERT_EQ(host_->Document(), nullptr);
    QAction* recent = frame_->Action(kRecentFile1);
    EXPECT_TRUE(recent->text().startsWith(QStringLiteral("&1 "))) << recent->text().toStdString();
    EXPECT_EQ(recent->statusTip(), QStringLiteral("Open this document"));
    EXPECT_TRUE(recent->isEnabled());
    OnModal<CDlgConnectDevice>([](CDlgConnectDevice* dialog) { dialog->OfflineButton()->click(); });
    recent->trigger();
    ASSERT_NE(host_->Document(), nullptr);
    EXPECT_EQ(host_->Document()->PathName(), path + ".31x");
}

}  // namespace

namespace {

TEST_F(WireTest, TheManualsOfTheConnectedModelOpenInTheViewer)
{
    const auto write = [this](const std::string& name, const std::string& text) {
        QFile file(QString::fromStdString(programDir_ + "/Help/" + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.c_str());
    };
    write("K315_MAN.ini", "[Filename]\nName=K315_Manual.pdf\n");
    write("K315_Manual.pdf", "%PDF-1.4\n");
    // The CANopen manual's index names a file that is not there.
    write("K315_CAN.ini", "[Filename]\nName=missing.pdf\n");
    std::vector<QUrl> opened;
    frame_->SetUrlOpener([&opened](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    ASSERT_NE(ConnectThroughDialog(), nullptr);
    frame_->Action(kDeviceManual)->trigger();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toLocalFile().toStdString(), programDir_ + "/Help/K315_Manual.pdf");
    frame_->Action(kCanopenManual)->trigger();
    EXPECT_EQ(opened.size(), 1u);  // quietly nothing
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(WireTest, AChangedDocumentIsOfferedForSavingBeforeItCloses)
{
    std::vector<std::string> asked;
    std::deque<CDocumentHost::SaveAnswer> answers;
    host_->SetSaveQuestion([&](const std::string& title) {
        asked.push_back(title);
        const CDocumentHost::SaveAnswer answer = answers.empty() ? CDocumentHost::SaveAnswer::Cancel : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    });
    ovro::CQVTDoc* doc = ConnectThroughDialog();
    ASSERT_NE(doc, nullptr);
    const std::string path = dir_.filePath(QStringLiteral("axis.31x")).toStdString();
    ui_.files = {path};
    frame_->Action(kSaveAs)->trigger();
    ASSERT_FALSE(doc->IsModified());

    // The document header's name, typed in.
    CQVTView* view = host_->ChildFrame()->View();
    view->OnUpdate(-1);
    int nameRow = -1;
    for (int r = 0; r < view->Grid()->rowCount(); ++r)
        if (view->Grid()->item(r, 0) != nullptr && view->Grid()->item(r, 0)->text() == QStringLiteral("Name"))
            nameRow = r;
    ASSERT_GE(nameRow, 0);
    view->CommitText(nameRow, QStringLiteral("Axis 7"));
    ASSERT_TRUE(doc->IsModified());

    // Exit: the drive question, then the save question; Cancel keeps all.
    ui_.answers = {true};
    EXPECT_FALSE(frame_->close());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "axis.31x");
    EXPECT_EQ(host_->Document(), doc);
    EXPECT_TRUE(doc->IsOnline());

    // Yes writes the file it came from, then the program closes.
    answers = {CDocumentHost::SaveAnswer::Yes};
    ui_.answers = {true};
    EXPECT_TRUE(frame_->close());
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(host_->Document(), nullptr);
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Axis 7"));
}

}  // namespace
