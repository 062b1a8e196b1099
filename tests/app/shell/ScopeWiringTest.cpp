// The oscilloscope in the program: "&Oscilloscope..." opens one window for
// the connected K315, a recording made there goes into the saved document,
// disconnecting closes the window (and the drive's communication is
// reset), and the document shows its recording again when it is opened
// offline and keeps it when it is opened online and saved again. Against
// ovro-drive-sim (K315, node 5, 1000 kBit/s) on a private bus.
#include "WiredProgramFixture.h"
#include "ui/CommandIds.h"

#include "description/Commissioning.h"
#include "description/QVTDevice.h"
#include "document/ConnectDeviceChooser.h"
#include "document/QVTDoc.h"
#include "scope/views/CiPlotX.h"
#include "scope/views/PlotFrame.h"
#include "scope/views/PlotView.h"
#include "settings/QSettingsStore.h"
#include "FileText.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QTemporaryDir>

#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace CommandId;

using ovro::test::ReadFile;

namespace {

class Chooser : public ovro::IConnectDeviceChooser {
public:
    ovro::ConnectDeviceChoice Choose(const ovro::ConnectDeviceRequest&) override
    {
        ovro::ConnectDeviceChoice c;
        c.result = results.empty() ? ovro::ConnectDeviceChoice::Cancel : results.front();
        if (!results.empty())
            results.pop_front();
        c.nodeId = 5;
        c.baudRate = COP_BAUD_1000;
        return c;
    }
    std::deque<ovro::ConnectDeviceChoice::Result> results;
};

// Lets the window's timers run for a while.
void RunEvents(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Events, and the windows closed meanwhile deleted (there is no event loop
// around the test that would do it).
void Settle()
{
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class ScopeWiring : public WiredProgramFixture {
protected:
    ScopeWiring() : WiredProgramFixture(Wiring{"scope", 5, 1000, {1000, 700}, {.document = true, .oscilloscope = true}})
    {
    }

    void Configure(QSettingsStore& store) override
    {
        store.WriteInt("Recording", "Signals", 1);
        store.WriteInt("Recording", "Signal1", 0);  // position
        store.WriteInt("Recording", "TimeBase", 4);  // 10 ms
    }

    void SetUp() override
    {
        WiredProgramFixture::SetUp();
        if (!host_)
            return;
        // Generous, for a machine under load.
        app_->Master().SetSDOTimeout(1000);
        host_->SetChooser(&chooser_);
        host_->SetSaveQuestion([](const std::string&) { return CDocumentHost::SaveAnswer::No; });
    }

    Chooser chooser_;
};

TEST_F(ScopeWiring, ARecordingGoesWithTheDocumentOnlineAndOffline)
{
    chooser_.results.push_back(ovro::ConnectDeviceChoice::Connect);
    frame_->Action(kConnect)->trigger();
    ovro::CQVTDoc* doc = host_->Document();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->IsOnline()) << (ui_.messages.empty() ? "" : ui_.messages[0].text);
    EXPECT_EQ(app_->Oscilloscope().settings.Channels(), (std::vector<int>{0})) << "read at start-up";

    ASSERT_TRUE(frame_->Action(kOscilloscope)->isEnabled());
    frame_->Action(kOscilloscope)->trigger();
    CScopeWindowHost& scope = host_->Oscilloscope();
    ASSERT_TRUE(scope.IsOpen());
    CPlotFrame* plot = scope.Frame();
    EXPECT_TRUE(frame_->Action(kOscilloscope)->isChecked());
    frame_->Action(kOscilloscope)->trigger();
    EXPECT_EQ(scope.Frame(), plot) << "one window only";
    EXPECT_EQ(frame_->MdiArea()->subWindowList().size(), 2);

    ASSERT_TRUE(plot->Action(kStartRecording)->isEnabled());
    plot->Action(kStartRecording)->trigger();
    EXPECT_TRUE(plot->Recording().IsRecording());
    EXPECT_TRUE(drive_.waitForState("nmt", "operational"));
    RunEvents(800);
    plot->Action(kStopRecording)->trigger();
    const std::int32_t samples = app_->Oscilloscope().ring.Count();
    EXPECT_GT(samples, 20);
    EXPECT_EQ(plot->View()->Plot()->PointCount(0), samples);
    EXPECT_EQ(doc->Device()->actual.recording, 1);

    ASSERT_TRUE(doc->OnSaveDocument(Path("online.31x")));
    const std::string saved = ReadFile(Path("online.31x"));
    EXPECT_NE(saved.find("Recording=1\r\n"), std::string::npos);
    EXPECT_NE(saved.find("PlotCount=" + std::to_string(samples) + "\r\n"), std::string::npos);

    frame_->Action(kDisconnect)->trigger();
    Settle();
    EXPECT_FALSE(frame_->Action(kOscilloscope)->isChecked()) << "the window went with the drive";
    EXPECT_FALSE(scope.IsOpen());
    EXPECT_TRUE(drive_.waitForState("nmt", "pre-operational"));
    frame_->Action(kClose)->trigger();
    Settle();
    ASSERT_EQ(host_->Document(), nullptr);

    // Offline, the document shows its recording again.
    chooser_.results.push_back(ovro::ConnectDeviceChoice::Offline);
    app_->Oscilloscope().ring.ResetIndices();
    ASSERT_TRUE(host_->OpenDocument(Path("online.31x")));
    ASSERT_TRUE(scope.IsOpen());
    EXPECT_EQ(app_->Oscilloscope().ring.Count(), samples);
    EXPECT_EQ(scope.Frame()->View()->Plot()->PointCount(0), samples);
    ASSERT_TRUE(host_->Document()->OnSaveDocument(Path("offline.31x")));
    EXPECT_EQ(ReadFile(Path("offline.31x")).substr(saved.find("[Recording]")), saved.substr(saved.find("[Recording]")));
    frame_->Action(kClose)->trigger();
    Settle();
    EXPECT_FALSE(scope.IsOpen()) << "the window went with the document";

    // Online, no window opens, and the document keeps its recording.
    chooser_.results.push_back(ovro::ConnectDeviceChoice::Connect);
    app_->Oscilloscope().ring.ResetIndices();
    ASSERT_TRUE(host_->OpenDocument(Path("online.31x")));
    ASSERT_TRUE(host_->Document()->IsOnline());
    EXPECT_FALSE(scope.IsOpen()) << "online, the window waits to be asked for";
    ASSERT_TRUE(host_->Document()->OnSaveDocument(Path("again.31x")));
    EXPECT_NE(ReadFile(Path("again.31x")).find("PlotCount=" + std::to_string(samples) + "\r\n"), std::string::npos);
    for (const auto& m : ui_.messages)
        ADD_FAILURE() << m.text;
}

TEST_F(ScopeWiring, TheOscilloscopeDoesNotOpenWhileAnotherCommandRuns)
{
    chooser_.results.push_back(ovro::ConnectDeviceChoice::Connect);
    frame_->Action(kConnect)->trigger();
    ovro::CQVTDoc* doc = host_->Document();
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->IsOnline());
    CScopeWindowHost& scope = host_->Oscilloscope();
    {
        // A download's progress box lets the menu command through.
        const ovro::CQVTDoc::BusyScope download(*doc);
        frame_->Action(kOscilloscope)->trigger();
        EXPECT_FALSE(scope.IsOpen());
    }
    frame_->Action(kOscilloscope)->trigger();
    EXPECT_TRUE(scope.IsOpen());
    EXPECT_FALSE(doc->IsBusy()) << "the window stays; the command is over";
    for (const auto& m : ui_.messages)
        ADD_FAILURE() << m.text;
}

}  // namespace
