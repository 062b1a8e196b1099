// The oscilloscope window on the offscreen platform: the tabs and their
// messages, the lamp, the plot's commands, the "Recorded Data" window with
// "Clipboard", and a recording shown again from an offline document.
#include "canopen/CANopenMaster.h"
#include "description/Commissioning.h"
#include "description/QVTDevice.h"
#include "document/CommissioningFile.h"
#include "document/ConnectDeviceChooser.h"
#include "document/QVTDoc.h"
#include "scope/OscilloscopeData.h"
#include "scope/views/CiPlotX.h"
#include "scope/views/DlgRecordedData.h"
#include "scope/views/PlotFrame.h"
#include "scope/views/PlotView.h"
#include "scope/views/RecordingPage.h"
#include "scope/views/ScopeWindowHost.h"
#include "scope/views/TriggerPage.h"
#include "settings/MemorySettingsStore.h"
#include "ui/CommandIds.h"

#include "ScriptedUserInterface.h"
#include "TempDir.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

using RS = RecordingSettings;

std::vector<std::string> Messages(const ScriptedUserInterface& ui)
{
    std::vector<std::string> texts;
    for (const auto& m : ui.messages)
        texts.push_back(m.text);
    return texts;
}

class ScopeWindow : public ::testing::Test {
protected:
    COscilloscopeData data;
    CCANopenMaster master;  // not initialised: 20 kBit/s, no board master
    ScriptedUserInterface ui;
    MemorySettingsStore store;
    std::unique_ptr<CPlotFrame> frame;

    CPlotFrame& Frame(ovro::CQVTDoc* doc = nullptr)
    {
        frame = std::make_unique<CPlotFrame>(doc, data, master, ui, store);
        frame->setAttribute(Qt::WA_DeleteOnClose, false);
        frame->show();
        return *frame;
    }
};

TEST_F(ScopeWindow, LeavingTheTriggerTabChecksTheShownFields)
{
    data.settings.SetChannels({RS::kPosition});
    data.settings.timeBase = 5;
    CPlotFrame& f = Frame();
    f.Tabs()->setCurrentIndex(CPlotFrame::kTriggerTab);
    EXPECT_TRUE(ui.messages.empty()) << "the Recording tab was fine";
    CTriggerPage& page = *f.TriggerPage();
    ASSERT_EQ(page.Triggers()->count(), 4);  // No trigger, position, inputs, statusword
    page.Triggers()->setCurrentIndex(1);
    emit page.Triggers()->activated(1);
    page.Kinds()->setCurrentIndex(1);
    emit page.Kinds()->activated(1);  // rising edge
    EXPECT_EQ(data.settings.trigger, RS::kPosition);
    EXPECT_EQ(data.settings.slope, RS::kRisingEdge);
    EXPECT_FALSE(page.LevelEdit()->isHidden());
    EXPECT_TRUE(page.MinimumEdit()->parentWidget()->isHidden());
    EXPECT_TRUE(page.MaskEdit()->isHidden());
    page.LevelEdit()->setText("1e3");
    emit page.LevelEdit()->textEdited("1e3");
    page.DelayEdit()->setText("20");
    emit page.DelayEdit()->textEdited("20");
    f.Tabs()->setCurrentIndex(CPlotFrame::kRecordingTab);
    EXPECT_EQ(Messages(ui), (std::vector<std::string>{"Illegal value for slope level entered!"}));
    EXPECT_EQ(f.Tabs()->currentIndex(), CPlotFrame::kRecordingTab) << "the user is not kept on the tab";
    EXPECT_EQ(data.settings.level, "1e3") << "kept as typed";
}

TEST_F(ScopeWindow, LeavingTheRecordingTabChecksTheTimeBase)
{
    data.settings.SetChannels({RS::kPosition, RS::kCurrent});
    data.settings.timeBase = 0;  // 1 ms; 20 kBit/s cannot carry it
    CPlotFrame& f = Frame();
    CRecordingPage& page = *f.RecordingPage();
    EXPECT_EQ(page.Channels()->count(), 2);
    EXPECT_EQ(page.TimeBases()->itemText(0), "25ms") << "two groups at 20 kBit/s";
    EXPECT_EQ(page.TimeBases()->currentIndex(), -1);
    f.Tabs()->setCurrentIndex(CPlotFrame::kTriggerTab);
    EXPECT_EQ(Messages(ui), (std::vector<std::string>{"Illegal value for time base entered!"}));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
}

TEST_F(ScopeWindow, ChannelsAreChosenAndRemovedInTheRecordingTab)
{
    CPlotFrame& f = Frame();
    CRecordingPage& page = *f.RecordingPage();
    ASSERT_EQ(page.Available()->count(), 5);
    EXPECT_EQ(page.Available()->itemText(0), "<select a signal>");
    emit page.Available()->activated(3);  // Actual Current
    emit page.Available()->activated(1);  // Actual Position
    EXPECT_EQ(data.settings.Channels(), (std::vector<int>{RS::kCurrent, RS::kPosition}));
    ASSERT_EQ(page.Channels()->count(), 2);
    EXPECT_EQ(page.Channels()->item(0)->text(), "Actual Current");
    EXPECT_EQ(page.Available()->count(), 3);
    emit page.Channels()->itemDoubleClicked(page.Channels()->item(0));
    EXPECT_EQ(data.settings.Channels(), (std::vector<int>{RS::kPosition}));
    EXPECT_EQ(f.TriggerPage()->Triggers()->count(), 4) << "the trigger list follows the channels";
}

TEST_F(ScopeWindow, TheLampShowsTheRecordingsState)
{
    CPlotFrame& f = Frame();
    const struct {
        RecordingState state;
        QColor color;
    } rows[] = {{RecordingState::Idle, QColor(0, 190, 0)},
                {RecordingState::WaitTrigger, QColor(255, 230, 0)},
                {RecordingState::Recording, QColor(255, 140, 0)},
                {RecordingState::Triggered, QColor(230, 0, 0)}};
    for (const auto& row : rows) {
        data.collector.SetLamp(row.state);
        f.UpdateState();
        EXPECT_EQ(f.LampState(), row.state);
        EXPECT_EQ(CPlotFrame::LampColor(row.state), row.color);
        EXPECT_EQ(f.Lamp()->pixmap().toImage().pixelColor(9, 9), row.color);
    }
    EXPECT_FALSE(f.Action(CommandId::kStartRecording)->isEnabled()) << "no document";
    EXPECT_FALSE(f.Action(CommandId::kStopRecording)->isEnabled());
    EXPECT_TRUE(f.Action(CommandId::kExport)->isEnabled());
    EXPECT_EQ(f.Action(CommandId::kZoomIn)->text(), "Zoom +");
    EXPECT_TRUE(f.Action(CommandId::kCursor)->isCheckable());
}

TEST_F(ScopeWindow, PlotZoomsAndTheCursorShowsTheValues)
{
    CPlotFrame& f = Frame();
    CiPlotX& plot = *f.View()->Plot();
    plot.SetChannels({"Actual Position [inc]", "Actual Current [mA]"}, "Time");
    plot.SetTimeAxis(-200, 1000);
    for (int t = -200; t <= 800; t += 10) {
        plot.AddPoint(0, t, t * 2.0);
        plot.AddPoint(1, t, 5.0);
    }
    plot.Repaint();
    EXPECT_EQ(plot.PointCount(0), 101);
    f.Action(CommandId::kZoomIn)->trigger();
    EXPECT_DOUBLE_EQ(plot.TimeSpan(), 500.0);
    EXPECT_DOUBLE_EQ(plot.TimeMinimum(), 50.0) << "about the middle of the view";
    f.Action(CommandId::kZoomOut)->trigger();
    f.Action(CommandId::kZoomOut)->trigger();
    EXPECT_DOUBLE_EQ(plot.TimeSpan(), 2000.0);
    f.Action(CommandId::kZoomManual)->trigger();
    EXPECT_TRUE(plot.ManualZoom());
    EXPECT_TRUE(plot.interactions().testFlag(QCP::iRangeDrag));
    f.Action(CommandId::kZoomRectangle)->trigger();
    EXPECT_TRUE(plot.RectangleZoom());
    EXPECT_FALSE(plot.ManualZoom()) << "one zoom mode at a time";
    EXPECT_FALSE(f.Action(CommandId::kZoomManual)->isChecked());
    EXPECT_EQ(plot.selectionRectMode(), QCP::srmZoom);
    f.Action(CommandId::kCursor)->trigger();
    EXPECT_TRUE(plot.CursorShown());
    EXPECT_EQ(plot.CursorText(100).toStdString(), "Time = 100 ms\nActual Position [inc]: 200\nActual Current [mA]: 5");
    f.Action(CommandId::kCursor)->trigger();
    EXPECT_FALSE(plot.CursorShown());
}

// Three samples, the trigger at the second, 10 ms apart.
void ThreeSamples(COscilloscopeData& data)
{
    data.settings.SetChannels({RS::kPosition, RS::kVelocity});
    data.settings.timeBase = 4;
    data.settings.trigger = RS::kStatusword;
    data.settings.slope = RS::kBinaryAnd;
    data.ring.At(0) = Sample{-5, 10, 0, 0, 0, 0x0237};
    data.ring.At(1) = Sample{12, 3000, 0, 0, 0, 0x1637};
    data.ring.At(2) = Sample{40, 4000, 0, 0, 0, 0x0637};
    data.ring.ResetIndices();
    data.ring.SetT(1);
    data.ring.SetW(3);
}

TEST_F(ScopeWindow, TheRecordedDataWindowAndItsClipboard)
{
    ThreeSamples(data);
    const CRecordingTable table(data.settings, data.ring, 0.0);
    CDlgRecordedData window(table, ui);
    EXPECT_EQ(window.windowTitle(), "Recorded Data");
    QTableWidget& grid = *window.Grid();
    ASSERT_EQ(grid.rowCount(), 4);
    ASSERT_EQ(grid.columnCount(), 4);
    EXPECT_EQ(grid.item(0, 0)->text(), "Time [ms]");
    EXPECT_EQ(grid.item(0, 2)->text(), "Actual Velocity [inc/s]");
    EXPECT_EQ(grid.item(0, 3)->text(), "Statusword");
    EXPECT_EQ(grid.item(1, 0)->text(), "-10");
    EXPECT_EQ(grid.item(2, 0)->text(), "+0");
    EXPECT_EQ(grid.item(3, 3)->text(), "0x0637");

    window.findChild<QPushButton*>("clipboard")->click();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(QApplication::clipboard()->text(),
              "Time [ms]\tActual Position [inc]\tActual Velocity [inc/s]\tStatusword\r\n-10\t-5\t10\t567\r\n"
              "+0\t12\t3000\t5687\r\n+10\t40\t4000\t1591");
    EXPECT_EQ(window.Progress()->text(), "Copy 3");

    window.SetClipboard([](const std::string&) { return false; });
    window.findChild<QPushButton*>("clipboard")->click();
    ASSERT_EQ(Messages(ui), (std::vector<std::string>{"Clipboard is busy. Unable to copy result to clipboard."}));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::None);
}

TEST_F(ScopeWindow, TableViewAndExportAreOfferedWhenNotRecording)
{
    ThreeSamples(data);
    CPlotFrame& f = Frame();
    int tables = 0;
    std::int32_t rows = 0;
    f.SetTableWindow([&](const CRecordingTable& table) {
        ++tables;
        rows = table.RowCount();
    });
    f.Action(CommandId::kTableView)->trigger();
    EXPECT_EQ(tables, 1);
    EXPECT_EQ(rows, 3);
    TempDir dir;
    ui.files.push_back(dir.Path() + "/scope.txt");
    f.Action(CommandId::kExport)->trigger();
    EXPECT_EQ(store.ReadString("Oscilloscope", "LastFileExt", "?"), ".txt");
    EXPECT_TRUE(ui.messages.empty());
    f.Action(CommandId::kGraphicView)->trigger();
    EXPECT_EQ(f.View()->Plot()->PointCount(0), 3);
}

class NoDialog : public ovro::IConnectDeviceChooser {
public:
    ovro::ConnectDeviceChoice Choose(const ovro::ConnectDeviceRequest&) override
    {
        ovro::ConnectDeviceChoice choice;
        choice.result = ovro::ConnectDeviceChoice::Offline;
        return choice;
    }
};

TEST_F(ScopeWindow, AnOfflineDocumentShowsItsRecordingAgain)
{
    ovro::CCommissioning description;
    ASSERT_TRUE(description.LoadDescription(OVRO_DESCRIPTION_FILE));
    ASSERT_NE(description.SelectDevice(ovro::CCommissioning::ModelK315), nullptr);
    description.GetCurrentDevice()->actual.recording = 1;
    COscilloscopeData saved;
    saved.settings.SetChannels({RS::kVelocity});
    saved.settings.timeBase = 3;
    for (int i = 0; i < 500; ++i)
        saved.ring.At(i).velocity = i;
    saved.ring.SetW(500);
    TempDir dir;
    const std::string path = dir.Path() + "/recorded.31x";
    ASSERT_TRUE(ovro::CCommissioningFile::Write(description, path, true,
                                                [&](std::string& text) { return saved.AppendRecording(text); }));
    description.ResetDevice();

    NoDialog chooser;
    ovro::DocumentEnvironment env;
    env.master = &master;
    env.commissioning = &description;
    env.ui = &ui;
    env.chooser = &chooser;
    ovro::CQVTDoc doc(env);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    ASSERT_TRUE(doc.IsOffline());
    CPlotFrame& f = Frame(&doc);
    f.OnInitialUpdate();
    EXPECT_EQ(data.settings.Channels(), (std::vector<int>{RS::kVelocity}));
    EXPECT_EQ(data.ring.Count(), 500);
    EXPECT_EQ(f.View()->Plot()->PointCount(0), 500);
    EXPECT_EQ(f.RecordingPage()->Channels()->item(0)->text(), "Actual Velocity");
    EXPECT_FALSE(f.Action(CommandId::kStartRecording)->isEnabled()) << "offline";
    f.close();
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ScopeWindow, TheHostKeepsOneWindowAndBringsItForward)
{
    QMdiArea area;
    area.resize(800, 600);
    area.show();
    CScopeWindowHost host(&area, data, master, ui, store);
    std::vector<bool> changes;
    QObject::connect(&host, &CScopeWindowHost::openChanged, [&](bool open) { changes.push_back(open); });
    CPlotFrame* first = host.Open(nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->windowTitle(), "Oscilloscope");
    first->showMinimized();
    EXPECT_EQ(host.Open(nullptr), first) << "no second window";
    EXPECT_FALSE(first->isMinimized()) << "a minimised window is restored";
    EXPECT_EQ(area.subWindowList().size(), 1);
    EXPECT_TRUE(host.Close());
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(host.IsOpen());
    EXPECT_TRUE(host.Close()) << "nothing left to close";

    std::string text;
    data.settings.SetChannels({RS::kPosition});
    EXPECT_TRUE(host.AppendRecording(text));
    EXPECT_EQ(text.substr(0, 13), "[Recording]\r\n");
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
