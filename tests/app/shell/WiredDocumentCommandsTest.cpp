// Ovro-QVT end to end, the document's further commands: the toolbar under
// the wait cursor, Print Setup, the XML folder and the help, the Edit menu,
// a saved document opened from the command line, and the question before a
// changed document closes - against ovro-drive-sim (K315, node 127,
// 20 kBit/s) on a private bus.
#include "WireTest.h"
#include "shell/DlgInterface.h"
#include "shell/DlgOptionSheet.h"
#include "shell/DlgOptionXmlPage.h"
#include "shell/DlgSearchNode.h"
#include "shell/DlgSearchNodeResults.h"
#include "ui/CommandIds.h"

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
    const std::pair<int, int> at = FindParameter(*doc->Device(), 0x6083);
    const int section = at.first;
    const int row = at.second;
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
