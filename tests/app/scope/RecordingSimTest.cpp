// Recordings of real movements of the simulated drive on a private virtual
// bus: the PDO set-up, every start failure, the ticks with and without a
// trigger, Stop and closing.
#include "DocTestSupport.h"

#include "canopen/CANopenDrive.h"
#include "description/QVTDevice.h"
#include "document/ParameterValue.h"
#include "scope/OscilloscopeData.h"
#include "scope/Recording.h"
#include "scope/RecordingPlot.h"
#include "scope/RecordingTab.h"

#include <thread>

namespace {

using doctest::DriveOptions;
using ovro::ConnectDeviceChoice;
using RS = RecordingSettings;
using namespace std::chrono_literals;

// A plot that keeps its points.
class PointPlot : public IRecordingPlot {
public:
    struct Point {
        double t;
        double value;
    };
    void SetChannels(const std::vector<std::string>& t, const std::string& time) override
    {
        titles = t;
        timeTitle = time;
        points.assign(t.size(), {});
        ++setUps;
    }
    int ChannelCount() const override { return static_cast<int>(titles.size()); }
    void AddPoint(int channel, double t, double value) override
    {
        points.at(static_cast<std::size_t>(channel)).push_back({t, value});
    }
    void SetTimeAxis(double minimum, double span) override
    {
        timeMin = minimum;
        timeSpan = span;
    }
    double TimeMinimum() const override { return timeMin; }
    double TimeSpan() const override { return timeSpan; }
    void Repaint() override { ++repaints; }

    std::vector<std::string> titles;
    std::string timeTitle;
    std::vector<std::vector<Point>> points;
    double timeMin = 0;
    double timeSpan = 1000;
    int setUps = 0;
    int repaints = 0;
};

class RecordingSim : public doctest::SimBusTest {
protected:
    COscilloscopeData data;
    PointPlot plot;
    std::unique_ptr<CRecording> recording;
    std::vector<std::chrono::milliseconds> waits;

    // A K315 at node 5 and 1000 kBit/s (or another rate), connected and
    // uploaded, and its oscilloscope window opened.
    ovro::CQVTDoc& Connected(int kbit = 1000, std::uint8_t baud = COP_BAUD_1000)
    {
        DriveOptions options;
        options.kbit = kbit;
        AddDrive(options);
        ovro::CQVTDoc& doc = MakeDocument();
        chooser_.Push(ConnectDeviceChoice::Connect, 5, baud);
        EXPECT_TRUE(doc.OnNewDocument());
        recording = std::make_unique<CRecording>(data.settings, data.collector, master_, ui_);
        recording->SetDocument(&doc);
        recording->SetPlot(&plot);
        recording->SetSleep([this](std::chrono::milliseconds ms) { waits.push_back(ms); });
        recording->Open();
        return doc;
    }

    doctest::SimProcess& Drive() { return *drives_.front(); }

    // Timer ticks every 55 ms.
    void Ticks(int count)
    {
        for (int i = 0; i < count; ++i) {
            const auto next = std::chrono::steady_clock::now() + CRecording::kTickPeriod;
            recording->OnTimer();
            std::this_thread::sleep_until(next);
        }
    }

    // Ticks until the condition holds or the limit passes.
    bool TicksUntil(const std::function<bool()>& done, int limit = 100)
    {
        for (int i = 0; i < limit && !done(); ++i)
            Ticks(1);
        return done();
    }

    // A profile-position move to an absolute target, by SDO.
    void MoveTo(ovro::CQVTDoc& doc, std::int32_t target)
    {
        CCANopenNode& node = *doc.Node();
        ASSERT_TRUE(SwitchModeOfOperation(node, ModeOfOperation::ProfilePosition, ui_));
        ASSERT_TRUE(EnableOperation(node, ui_));
        ASSERT_TRUE(node.WriteU32(0x607A, 0, static_cast<std::uint32_t>(target)));
        ASSERT_TRUE(node.WriteU16(CANopen::Object::Controlword, 0, Controlword::EnableOperation));
        ASSERT_TRUE(StartDrive(node, Controlword::StartMotion, ui_));
    }

    std::uint32_t DriveU32(ovro::CQVTDoc& doc, std::uint16_t index, std::uint8_t sub)
    {
        std::uint32_t value = 0;
        EXPECT_TRUE(doc.Node()->ReadU32(index, sub, value)) << std::hex << index;
        return value;
    }

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const auto& m : ui_.messages)
            texts.push_back(m.text);
        return texts;
    }
};

TEST_F(RecordingSim, WithoutTriggerSamplesFromTimeZeroAndTheLampIsOrange)
{
    ovro::CQVTDoc& doc = Connected();
    data.settings.SetChannels({RS::kPosition, RS::kVelocity});
    data.settings.timeBase = 3;  // 5 ms
    ASSERT_TRUE(recording->Start()) << (ui_.messages.empty() ? "" : ui_.messages[0].text);
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(recording->Lamp(), RecordingState::Recording);
    EXPECT_EQ(plot.timeMin, 0.0);
    EXPECT_EQ(plot.titles, (std::vector<std::string>{"Actual Position [inc]", "Actual Velocity [inc/s]"}));
    EXPECT_EQ(plot.timeTitle, "Time");
    EXPECT_EQ(doc.PollState().pollPause, 3);
    EXPECT_EQ(recording->SkipTicks(), 3);
    EXPECT_TRUE(Drive().waitForState("nmt", "operational"));
    Ticks(3);
    EXPECT_TRUE(plot.points[0].empty()) << "the first three ticks are skipped";
    MoveTo(doc, 5000);
    ASSERT_TRUE(TicksUntil([&] { return plot.points[0].size() > 100; }));
    EXPECT_EQ(recording->Lamp(), RecordingState::Recording) << "orange without a trigger";
    EXPECT_GE(recording->LastTick().spent, CRecording::kCollectBudget);
    EXPECT_GT(recording->LastTick().pdos, 0);
    const auto& position = plot.points[0];
    EXPECT_EQ(position.front().t, 0.0);
    for (std::size_t i = 1; i < position.size(); ++i)
        ASSERT_EQ(position[i].t - position[i - 1].t, 5.0) << "one sample per time base, no gap, at " << i;
    EXPECT_EQ(plot.points[1].size(), position.size());

    recording->Stop();
    EXPECT_FALSE(recording->IsRecording());
    EXPECT_EQ(recording->Lamp(), RecordingState::Idle);
    EXPECT_EQ(doc.Device()->actual.recording, 1);
    EXPECT_EQ(doc.PollState().pollPause, 1);
    EXPECT_TRUE(Drive().waitForState("nmt", "pre-operational"));
    EXPECT_EQ(plot.points[0].size(), static_cast<std::size_t>(data.ring.Count())) << "rebuilt from the ring";

    // The PDOs as Start configured them.
    EXPECT_EQ(DriveU32(doc, 0x1801, 1), 0x385u);
    EXPECT_EQ(DriveU32(doc, 0x1801, 5) & 0xFFFF, 5u);
    EXPECT_EQ(DriveU32(doc, 0x1821, 1), 0x485u);
    EXPECT_EQ(DriveU32(doc, 0x1821, 2) & 0xFF, 0xFEu);
    EXPECT_EQ(DriveU32(doc, 0x1820, 1), 0x80000505u) << "demanded velocity not needed";
    EXPECT_EQ(DriveU32(doc, 0x1806, 1), 0x80000285u) << "no digital-inputs trigger";
    EXPECT_EQ(DriveU32(doc, 0x1800, 1), 0x185u);
    EXPECT_EQ(DriveU32(doc, 0x1800, 5) & 0xFFFF, 0u);
    EXPECT_EQ(data.settings.signalDefs[RS::kCurrent].pdo, 9);
    EXPECT_EQ(data.settings.signalDefs[RS::kDemandedVelocity].pdo, 0);

    plot.timeMin = -37.6;
    plot.timeSpan = 812.9;
    recording->Close();
    EXPECT_EQ(waits, (std::vector<std::chrono::milliseconds>{333ms}));
    EXPECT_EQ(data.settings.timeMin, -37);
    EXPECT_EQ(data.settings.timeSpan, 812);
    EXPECT_EQ(DriveU32(doc, 0x1801, 1), 0x285u) << "reset communication brought back the drive's PDOs";
}

TEST_F(RecordingSim, RisingEdgeAt100OnThePosition)
{
    ovro::CQVTDoc& doc = Connected();
    data.settings.SetChannels({RS::kPosition});
    data.settings.timeBase = 3;  // 5 ms
    data.settings.trigger = RS::kPosition;
    data.settings.slope = RS::kRisingEdge;
    data.settings.level = "100";
    data.settings.delay = "40";  // 8 samples
    plot.timeSpan = 500;
    ASSERT_TRUE(recording->Start());
    EXPECT_EQ(recording->Lamp(), RecordingState::WaitTrigger);
    EXPECT_EQ(plot.timeMin, -100.0) << "a fifth of the span before the trigger";
    EXPECT_EQ(data.collector.Trigger().delaySamples, 8);
    Ticks(8);
    EXPECT_FALSE(data.collector.Triggered());
    EXPECT_TRUE(plot.points[0].empty()) << "nothing plotted before the trigger";
    MoveTo(doc, 20000);
    ASSERT_TRUE(TicksUntil([&] { return plot.points[0].size() > 40; }));
    EXPECT_EQ(recording->Lamp(), RecordingState::Triggered);
    const auto& points = plot.points[0];
    std::size_t zero = points.size();
    for (std::size_t i = 0; i < points.size(); ++i)
        if (points[i].t == 0.0)
            zero = i;
    ASSERT_LT(zero, points.size());
    ASSERT_GT(zero, 0u) << "samples at negative times";
    EXPECT_LE(zero, 8u + 2u);
    EXPECT_GE(points[zero].value, 100.0);
    EXPECT_LT(points[zero - 1].value, 100.0);
    EXPECT_EQ(points.front().t, -5.0 * static_cast<double>(zero));
    recording->Stop();
    EXPECT_EQ(data.ring.TriggerOffset(), static_cast<std::int32_t>(zero));
}

TEST_F(RecordingSim, ACurrentLevelInMilliampereIsComparedPerThousand)
{
    ovro::CQVTDoc& doc = Connected();
    ovro::CQVTParameter* rated = doc.Device()->FindParameter(0x6410, 3);
    ASSERT_NE(rated, nullptr);
    ASSERT_TRUE(ovro::CParameterValue::SetValueText(*rated, "2000"));
    data.settings.SetChannels({RS::kCurrent, RS::kPosition});
    data.settings.timeBase = 4;
    data.settings.trigger = RS::kCurrent;
    data.settings.slope = RS::kRisingEdge;
    data.settings.level = "500";
    data.settings.delay = "0";
    ASSERT_TRUE(recording->Start());
    EXPECT_EQ(data.collector.Trigger().level, 250);
    EXPECT_EQ(data.collector.TimeMaster(), 9) << "the first channel's PDO ends a sample";
    Ticks(5);  // samples of the drive at rest first
    EXPECT_FALSE(data.collector.Triggered());
    MoveTo(doc, 30000);
    // The drive's current rises while it accelerates.
    ASSERT_TRUE(TicksUntil([&] { return data.collector.Triggered(); }, 40));
    EXPECT_GE(data.ring.At(data.ring.T()).current, 250);
    EXPECT_LT(data.ring.At(data.ring.T() - 1).current, 250);
    // Shown in mA.
    Ticks(2);
    ASSERT_FALSE(plot.points[0].empty());
    EXPECT_NEAR(plot.points[0][0].value, data.ring.At(data.ring.S()).current * 2.0, 1e-9);
    recording->Stop();
}

TEST_F(RecordingSim, At125KBitPositionAndVelocityStartAt5Ms)
{
    ovro::CQVTDoc& doc = Connected(125, COP_BAUD_125);
    ASSERT_EQ(master_.BaudRate(), COP_BAUD_125);
    data.settings.SetChannels({RS::kPosition, RS::kVelocity});
    CRecordingTab tab(data.settings, master_.BaudRate());
    const std::vector<CRecordingTab::Entry> offered = tab.TimeBases();
    ASSERT_FALSE(offered.empty());
    EXPECT_EQ(offered.front().text, "5ms");
    EXPECT_EQ(offered.front().value, 3);
    data.settings.timeBase = offered.front().value;
    ASSERT_TRUE(recording->Start());
    MoveTo(doc, 3000);
    ASSERT_TRUE(TicksUntil([&] { return data.ring.Count() > 60; }));
    recording->Stop();
    for (std::int32_t i = 1; i < data.ring.Count(); ++i)
        ASSERT_LE(data.ring.At(i - 1).position, data.ring.At(i).position) << "in order, at " << i;
}

TEST_F(RecordingSim, ADelayAbove10000MsIsAnError)
{
    Connected();
    data.settings.SetChannels({RS::kPosition});
    data.settings.trigger = RS::kPosition;
    data.settings.slope = RS::kAnyEdge;
    data.settings.level = "0";
    data.settings.delay = "10001";
    EXPECT_FALSE(recording->Start());
    ASSERT_EQ(Messages(), (std::vector<std::string>{"ERROR"}));
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::None);
    EXPECT_FALSE(recording->IsRecording());
    EXPECT_EQ(Drive().state("nmt"), "pre-operational");
    ui_.messages.clear();
    data.settings.delay = "10000";
    EXPECT_TRUE(recording->Start());
    EXPECT_TRUE(ui_.messages.empty());
    recording->Stop();
}

TEST_F(RecordingSim, ARefusedPdoWriteShowsItsTextAndStartsNoNode)
{
    Connected();
    Drive().control("abort 0x1801 1 0x06090030");
    data.settings.SetChannels({RS::kPosition});
    EXPECT_FALSE(recording->Start());
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Error, can\xB4t configure PDO2!"}));
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_FALSE(recording->IsRecording());
    EXPECT_EQ(Drive().state("nmt"), "pre-operational");

    ui_.messages.clear();
    Drive().control("abort clear");
    Drive().control("abort 0x1800 1 0x06090030");
    data.settings.SetChannels({RS::kVelocity});
    EXPECT_FALSE(recording->Start());
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Error, can\xB4t configure PDO1!"}));
}

TEST_F(RecordingSim, NoStartWhileAnotherCommandRunsAndNothingTakesTheNodeFromAStart)
{
    ovro::CQVTDoc& doc = Connected();
    data.settings.SetChannels({RS::kPosition});
    const std::uint32_t ownPdo2 = DriveU32(doc, 0x1801, 1);
    {
        // A download's progress box lets the Start button through.
        const ovro::CQVTDoc::BusyScope download(doc);
        EXPECT_FALSE(recording->Start());
        EXPECT_TRUE(ui_.messages.empty());
        EXPECT_FALSE(recording->IsRecording());
        EXPECT_EQ(DriveU32(doc, 0x1801, 1), ownPdo2) << "no PDO configured";
        EXPECT_EQ(Drive().state("nmt"), "pre-operational");
    }

    // While a Start shows its failure, the document keeps its node.
    Drive().control("abort 0x1801 1 0x06090030");
    struct {
        int messages = 0;
        bool busy = false;
        bool disconnected = true;
        bool mayClose = true;
    } inside;
    ui_.onMessage = [&](const ScriptedUi::Message&) {
        ++inside.messages;
        inside.busy = doc.IsBusy();
        inside.disconnected = doc.OnDisconnect();
        inside.mayClose = doc.CanCloseFrame();
    };
    EXPECT_FALSE(recording->Start());
    ui_.onMessage = nullptr;
    EXPECT_EQ(inside.messages, 1);
    EXPECT_TRUE(inside.busy);
    EXPECT_FALSE(inside.disconnected);
    EXPECT_FALSE(inside.mayClose);
    EXPECT_TRUE(ui_.questions.empty());
    EXPECT_TRUE(doc.IsOnline());
    EXPECT_FALSE(doc.IsBusy());

    // A Stop is never refused.
    Drive().control("abort clear");
    ui_.messages.clear();
    ASSERT_TRUE(recording->Start()) << (ui_.messages.empty() ? "" : ui_.messages[0].text);
    EXPECT_TRUE(Drive().waitForState("nmt", "operational"));
    {
        const ovro::CQVTDoc::BusyScope download(doc);
        recording->Stop();
        EXPECT_FALSE(recording->IsRecording());
    }
    EXPECT_TRUE(Drive().waitForState("nmt", "pre-operational"));
    EXPECT_FALSE(doc.IsBusy());
}

TEST_F(RecordingSim, NoSignalAnOfflineDocumentAndTicksThatMustWait)
{
    ovro::CQVTDoc& doc = Connected();
    data.settings.SetChannels({});
    EXPECT_FALSE(recording->Start());
    EXPECT_EQ(Messages(), (std::vector<std::string>{"SORRY, no signal selected!"}));
    EXPECT_EQ(ui_.messages[0].severity, MessageSeverity::Sorry);

    data.settings.SetChannels({RS::kPosition});
    ASSERT_TRUE(recording->Start());
    doc.PollState().transferIdle = false;  // a download runs
    Ticks(5);
    EXPECT_EQ(recording->SkipTicks(), 3) << "not even the skip counter moves";
    doc.PollState().transferIdle = true;
    doc.OnDisconnect();
    recording->OnTimer();
    EXPECT_FALSE(recording->IsRecording()) << "offline ends the recording";
    ui_.messages.clear();
    EXPECT_FALSE(recording->Start());
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_FALSE(recording->CanStart());
    recording->Close();
    EXPECT_TRUE(waits.empty()) << "no node, no reset and no wait";
}

}  // namespace
