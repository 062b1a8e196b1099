// The document window: the section tree, the splitter with the table, the
// toolbar, the placement and the question before closing.
#include "ViewTestSupport.h"

#include <QAction>
#include <QKeyEvent>
#include <QMdiArea>
#include <QSignalSpy>
#include <QSplitter>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>

#include <filesystem>
#include <fstream>

#include "description/QVTDevice.h"
#include "document/ChildFramePlacement.h"
#include "document/ParameterTable.h"
#include "document/views/ChildFrame.h"
#include "document/views/LeftView.h"
#include "document/views/QVTView.h"
#include "settings/MemorySettingsStore.h"
#include "settings/WindowPlacement.h"
#include "ui/MessageTexts.h"

namespace viewtest {
namespace {

class ChildFrameTest : public OfflineDocTest {
protected:
    MemorySettingsStore settings_;
};

TEST_F(ChildFrameTest, TreeListsTheSectionsUnderTheDeviceName)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    CLeftView tree(&doc);
    QSignalSpy chosen(&tree, &CLeftView::sectionSelected);
    tree.OnInitialUpdate();
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree.topLevelItem(0);
    EXPECT_EQ(root->text(0), "Axis 1");
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(tree.currentItem(), root);
    EXPECT_EQ(tree.SelectedSection(), CLeftView::kRoot);
    const auto& sections = doc.Device()->sections;
    ASSERT_EQ(root->childCount(), static_cast<int>(sections.size()));
    for (int i = 0; i < root->childCount(); ++i)
        EXPECT_EQ(root->child(i)->text(0), QString::fromStdString(sections[static_cast<std::size_t>(i)].name));
    EXPECT_EQ(chosen.count(), 0);  // filling tells no one

    tree.setCurrentItem(root->child(3));
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toInt(), 3);
    tree.SelectSection(CLeftView::kRoot);
    EXPECT_EQ(tree.SelectedSection(), CLeftView::kRoot);
    EXPECT_EQ(chosen.count(), 1);

    // The root follows the device's name; the same device keeps the tree.
    doc.Device()->name = "Renamed";
    EXPECT_FALSE(tree.OnUpdate(2));
    EXPECT_EQ(tree.topLevelItem(0)->text(0), "Renamed");
}

TEST_F(ChildFrameTest, EnterTogglesTheExpansion)
{
    ovro::CQVTDoc& doc = OpenOffline(1);
    CLeftView tree(&doc);
    tree.show();
    tree.OnInitialUpdate();
    QTreeWidgetItem* root = tree.topLevelItem(0);
    ASSERT_TRUE(root->isExpanded());
    QTest::keyClick(&tree, Qt::Key_Return);
    EXPECT_FALSE(root->isExpanded());
    QTest::keyClick(&tree, Qt::Key_Enter);
    EXPECT_TRUE(root->isExpanded());
}

TEST_F(ChildFrameTest, TreeHelpLooksUpTheSectionName)
{
    std::filesystem::create_directories(bus_.dir() + "/Help");
    std::ofstream(bus_.dir() + "/Help/K315_CAN.ini")
        << "[Type]\nBookmark=K315.pdf#device\n[Homing]\nBookmark=K315.pdf#homing\n";
    ovro::CQVTDoc& doc = OpenOffline(2);
    CLeftView tree(&doc);
    tree.SetProgramDirectory(QString::fromStdString(bus_.dir()));
    std::vector<std::string> destinations;
    tree.SetHelpOpener([&destinations](const ovro::CContextHelp::Target& t) {
        destinations.push_back(t.destination);
        return true;
    });
    tree.OnInitialUpdate();
    EXPECT_TRUE(tree.OnContextHelp());
    int homing = -1;
    for (std::size_t i = 0; i < doc.Device()->sections.size(); ++i) {
        if (doc.Device()->sections[i].name == "Homing")
            homing = static_cast<int>(i);
    }
    ASSERT_GE(homing, 0);
    tree.SelectSection(homing);
    EXPECT_TRUE(tree.OnContextHelp());
    tree.SelectSection(0);
    EXPECT_FALSE(tree.OnContextHelp());
    EXPECT_EQ(destinations, (std::vector<std::string>{"device", "homing"}));
}

TEST_F(ChildFrameTest, FrameSplitsTreeAndTableAndFollowsTheTree)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    CChildFrame frame(&doc, ui_, settings_);
    frame.setAttribute(Qt::WA_DeleteOnClose, false);
    frame.OnInitialUpdate();
    ASSERT_EQ(frame.Splitter()->count(), 2);
    EXPECT_EQ(frame.Splitter()->widget(0), frame.Tree());
    EXPECT_EQ(frame.Splitter()->widget(1), frame.View());
    for (unsigned command : {CChildFrame::kUpload, CChildFrame::kDownload, CChildFrame::kStore, CChildFrame::kPrint,
                             CChildFrame::kPrintPreview, CChildFrame::kContextHelp})
        EXPECT_NE(frame.Action(command), nullptr) << command;
    EXPECT_EQ(frame.Action(CChildFrame::kPrint)->toolTip(), "Print");
    EXPECT_EQ(frame.Action(CChildFrame::kUpload)->toolTip(), "Upload Parameters");
    EXPECT_EQ(frame.windowTitle(), "offline2.31x");

    QSignalSpy shown(&frame, &CChildFrame::sectionShown);
    frame.Tree()->setCurrentItem(frame.Tree()->topLevelItem(0)->child(2));
    EXPECT_EQ(doc.CurrentSection(), 2);
    EXPECT_EQ(frame.View()->Section(), 2);
    EXPECT_EQ(frame.View()->Grid()->rowCount(),
              static_cast<int>(doc.Device()->sections[2].parameters.size()));
    EXPECT_EQ(shown.count(), 1);
    frame.Tree()->setCurrentItem(frame.Tree()->topLevelItem(0));
    EXPECT_EQ(frame.View()->Section(), ovro::CParameterTable::kHeader);
    EXPECT_EQ(frame.View()->Grid()->rowCount(), 6);
}

TEST_F(ChildFrameTest, DocumentRefreshesReachTheFrameThroughTheList)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    const std::string file = bus_.dir() + "/offline2.31x";
    const ovro::IDocumentObserver* left = nullptr;
    {
        CChildFrame frame(&doc, ui_, settings_);
        frame.setAttribute(Qt::WA_DeleteOnClose, false);
        frame.AttachTo(observers_);
        frame.OnInitialUpdate();
        EXPECT_TRUE(observers_.Contains(&frame));
        left = &frame;
        doc.SetCurrentSection(3);
        ASSERT_TRUE(doc.OnOpenInto(file));
        EXPECT_EQ(frame.View()->Section(), 3);
        EXPECT_EQ(frame.Tree()->SelectedSection(), 3);
        observers_.OnRefresh(ovro::IDocumentObserver::kCommitEdits);
        EXPECT_EQ(frame.View()->Section(), 3);
    }
    EXPECT_FALSE(observers_.Contains(left));
    // The frame has left the list: refreshing reaches no one.
    observers_.OnRefresh(1);
    EXPECT_EQ(doc.CurrentSection(), 3);
}

TEST_F(ChildFrameTest, ADeviceArrivingSelectsTheRootAndShowsTheHeader)
{
    OpenOffline(2);
    // A window opened before its document has a device shows nothing.
    ovro::CQVTDoc doc(Environment());
    CChildFrame frame(&doc, ui_, settings_);
    frame.setAttribute(Qt::WA_DeleteOnClose, false);
    frame.OnInitialUpdate();
    EXPECT_EQ(frame.Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(frame.View()->Grid()->rowCount(), 0);

    ovro::ConnectDeviceChoice offline;
    offline.result = ovro::ConnectDeviceChoice::Offline;
    chooser_.choices.push_back(offline);
    ASSERT_TRUE(doc.OnOpenDocument(bus_.dir() + "/offline2.31x"));
    frame.OnRefresh(3);
    ASSERT_EQ(frame.Tree()->topLevelItemCount(), 1);
    EXPECT_EQ(frame.Tree()->SelectedSection(), CLeftView::kRoot);
    EXPECT_EQ(frame.View()->Section(), ovro::CParameterTable::kHeader);
    EXPECT_EQ(doc.CurrentSection(), ovro::CParameterTable::kHeader);
    EXPECT_EQ(frame.View()->Grid()->rowCount(), 6);
    // Later refreshes of the same device show the section asked for.
    frame.OnRefresh(3);
    EXPECT_EQ(frame.Tree()->SelectedSection(), 3);
    EXPECT_EQ(frame.View()->Section(), 3);
}

TEST_F(ChildFrameTest, ClosingAConnectedDocumentAsksFirst)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    // Offline: closes without a question.
    {
        CChildFrame frame(&doc, ui_, settings_);
        frame.setAttribute(Qt::WA_DeleteOnClose, false);
        QSignalSpy closed(&frame, &CChildFrame::frameClosed);
        frame.OnInitialUpdate();
        frame.show();
        EXPECT_TRUE(frame.close());
        EXPECT_TRUE(ui_.questions.empty());
        EXPECT_EQ(closed.count(), 1);
        WindowPlacement stored;
        EXPECT_TRUE(ReadWindowPlacement(settings_, "ChildFrame", stored));
    }
    // A further guard of the program may keep it open.
    {
        CChildFrame frame(&doc, ui_, settings_);
        frame.setAttribute(Qt::WA_DeleteOnClose, false);
        QSignalSpy closed(&frame, &CChildFrame::frameClosed);
        int asked = 0;
        frame.SetCloseGuard([&asked] {
            ++asked;
            return false;
        });
        frame.show();
        EXPECT_FALSE(frame.close());
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(closed.count(), 0);
    }
}

TEST_F(ChildFrameTest, ToolbarCommandsRunOneAtATime)
{
    ovro::CQVTDoc& doc = OpenOffline(2);
    CChildFrame frame(&doc, ui_, settings_);
    frame.setAttribute(Qt::WA_DeleteOnClose, false);
    frame.show();
    QSignalSpy done(&frame, &CChildFrame::commandDone);
    // While the command's message box is up, another press and a close
    // of the window come in.
    bool closedInside = true;
    ui_.onMessage = [&] {
        EXPECT_TRUE(frame.IsBusy());
        frame.Action(CChildFrame::kUpload)->trigger();
        closedInside = frame.close();
    };
    frame.Action(CChildFrame::kDownload)->trigger();
    ASSERT_EQ(ui_.messages.size(), 1u);  // offline: the node is not connected
    EXPECT_EQ(ui_.messages[0], FormatMessage(63514, static_cast<int>(doc.NodeId())));
    EXPECT_FALSE(closedInside);
    EXPECT_FALSE(frame.IsBusy());
    ASSERT_EQ(done.count(), 1);
    EXPECT_EQ(done.at(0).at(0).toUInt(), CChildFrame::kDownload);
}

TEST_F(ChildFrameTest, F1AndShiftF1OpenTheHelpOfTheSelectedLine)
{
    std::filesystem::create_directories(bus_.dir() + "/Help");
    std::ofstream(bus_.dir() + "/Help/K315_CAN.ini") << "[Bookmark]\nType=K315.pdf#type\n";
    ovro::CQVTDoc& doc = OpenOffline(2);
    CChildFrame frame(&doc, ui_, settings_);
    frame.setAttribute(Qt::WA_DeleteOnClose, false);
    frame.SetProgramDirectory(QString::fromStdString(bus_.dir()));
    std::vector<std::string> opened;
    frame.SetHelpOpener([&opened](const ovro::CContextHelp::Target& t) {
        opened.push_back(t.destination);
        return true;
    });
    frame.OnInitialUpdate();
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    QTableWidget* grid = frame.View()->Grid();
    grid->setCurrentCell(ovro::CParameterTable::RowType - 1, 0);
    grid->setFocus();
    ASSERT_EQ(frame.Action(CChildFrame::kContextHelp)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    ASSERT_EQ(frame.Action(CChildFrame::kHelp)->shortcut(), QKeySequence(Qt::Key_F1));

    // Shift+F1: the context help at once.
    QTest::keyClick(grid, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(opened, (std::vector<std::string>{"type"}));
    // F1: the plain help command, which opens it every second time.
    QTest::keyClick(grid, Qt::Key_F1);
    EXPECT_EQ(opened.size(), 1u);
    QTest::keyClick(grid, Qt::Key_F1);
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(ChildFrameTest, PlacementDefaultsFollowTheScreen)
{
    EXPECT_TRUE(CChildFramePlacement::Default(640, 480).maximised);
    const ChildFrameGeometry small = CChildFramePlacement::Default(800, 600);
    EXPECT_FALSE(small.maximised);
    EXPECT_EQ(small.width, 640);
    EXPECT_EQ(small.height, 400);
    const ChildFrameGeometry large = CChildFramePlacement::Default(1024, 768);
    EXPECT_FALSE(large.maximised);
    EXPECT_FALSE(large.positioned);
    EXPECT_EQ(large.width, 777);
    EXPECT_EQ(large.height, 444);
    EXPECT_EQ(CChildFramePlacement::Default(801, 600).width, 777);
    EXPECT_EQ(CChildFramePlacement::Restore(settings_, 1024, 768), large);

    ChildFrameGeometry saved;
    saved.maximised = true;
    saved.positioned = true;
    saved.x = 10;
    saved.y = 20;
    saved.width = 500;
    saved.height = 300;
    ASSERT_TRUE(CChildFramePlacement::Save(settings_, saved));
    EXPECT_EQ(CChildFramePlacement::Restore(settings_, 640, 480), saved);
    WindowPlacement record;
    ASSERT_TRUE(ReadWindowPlacement(settings_, "ChildFrame", record));
    EXPECT_EQ(record.showCmd, 3u);
    EXPECT_EQ(record.right, 510);

    // An unusable record gives the default.
    settings_.WriteString("Windows", "ChildFrame", "1,1,0,0,0,0,50,50,10,10");
    EXPECT_EQ(CChildFramePlacement::Restore(settings_, 1024, 768), large);
    settings_.WriteString("Windows", "ChildFrame", "garbage");
    EXPECT_EQ(CChildFramePlacement::Restore(settings_, 640, 480), CChildFramePlacement::Default(640, 480));
}

TEST_F(ChildFrameTest, FrameOpensWhereItsPlacementSays)
{
    ovro::CQVTDoc& doc = OpenOffline(1);
    QMdiArea area;
    area.resize(1200, 900);
    area.show();
    auto open = [&] {
        auto* frame = new CChildFrame(&doc, ui_, settings_);
        area.addSubWindow(frame);
        frame->ShowInitial(QSize(1280, 1024));
        return frame;
    };
    CChildFrame* frame = open();
    EXPECT_FALSE(frame->isMaximized());
    EXPECT_EQ(frame->size(), QSize(777, 444));
    frame->move(30, 40);
    EXPECT_TRUE(frame->close());  // deletes itself

    frame = open();
    EXPECT_EQ(frame->geometry(), QRect(30, 40, 777, 444));
    frame->showMaximized();
    EXPECT_TRUE(frame->close());

    frame = open();
    EXPECT_TRUE(frame->isMaximized());
    // The normal place is kept behind the maximised window.
    WindowPlacement record;
    ASSERT_TRUE(ReadWindowPlacement(settings_, "ChildFrame", record));
    EXPECT_EQ(record.left, 30);
    EXPECT_EQ(record.right, 30 + 777);
    EXPECT_TRUE(frame->close());
}

}  // namespace
}  // namespace viewtest

namespace viewtest {
namespace {

// An observer that counts refreshes and may take another one off the list.
class CountingObserver : public ovro::IDocumentObserver {
public:
    void OnRefresh(int) override
    {
        ++refreshes;
        if (list != nullptr)
            list->Detach(victim);
    }
    void OnPathChanged(const std::string& path, bool) override { paths.push_back(path); }
    int refreshes = 0;
    std::vector<std::string> paths;
    ovro::CDocumentObserverList* list = nullptr;
    ovro::IDocumentObserver* victim = nullptr;
};

TEST(DocumentObserverListTest, AnObserverLeavingDuringARefreshIsNotToldAnyMore)
{
    ovro::CDocumentObserverList list;
    CountingObserver first;
    CountingObserver second;
    list.Attach(&first);
    list.Attach(&second);
    list.Attach(&second);  // once only
    list.Attach(nullptr);
    list.OnPathChanged("a.31x", true);
    EXPECT_EQ(first.paths, std::vector<std::string>{"a.31x"});
    EXPECT_EQ(second.paths, std::vector<std::string>{"a.31x"});

    first.list = &list;
    first.victim = &second;
    list.OnRefresh(1);
    EXPECT_EQ(first.refreshes, 1);
    EXPECT_EQ(second.refreshes, 0);
    EXPECT_FALSE(list.Contains(&second));
}

}  // namespace
}  // namespace viewtest
