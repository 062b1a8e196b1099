// Recording.cpp - Start, the ticks, Stop and closing of a recording.
#include "scope/Recording.h"

#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "description/QVTDevice.h"
#include "document/QVTDoc.h"
#include "scope/BoardPdoCallback.h"
#include "scope/PlotFeed.h"
#include "scope/RecordingPdos.h"
#include "scope/RecordingPlot.h"
#include "scope/RecordingSections.h"
#include "settings/NumberParse.h"
#include "ui/MessageTexts.h"
#include "ui/MessageIds.h"
#include "ui/UserInterface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace {

using RS = RecordingSettings;

std::int32_t Magnitude(std::int32_t v)
{
    if (v == INT32_MIN)
        return INT32_MAX;
    return v < 0 ? -v : v;
}

// x mA as per thousand of the rated current r.
std::int32_t PerThousand(std::int32_t x, std::int64_t r)
{
    return static_cast<std::int32_t>(static_cast<std::int64_t>(x) * 1000 / r);
}

} // namespace

CRecording::CRecording(RecordingSettings& settings, CSampleCollector& collector, CCANopenMaster& master,
                       IUserInterface& ui)
    : settings_(settings), collector_(collector), master_(master), ui_(ui)
{
}

CRecording::~CRecording()
{
    CBoardPdoCallback::Detach(&collector_);
}

CCANopenNode* CRecording::OnlineNode() const
{
    if (doc_ == nullptr || doc_->IsOffline())
        return nullptr;
    return doc_->Node();
}

void CRecording::Show(unsigned message, bool sorry)
{
    ui_.ShowMessage(sorry ? MessageSeverity::Sorry : MessageSeverity::Error, MessageIcon::Exclamation,
                    MessageText(message));
}

void CRecording::Sleep(std::chrono::milliseconds ms)
{
    if (sleep_)
        sleep_(ms);
    else
        std::this_thread::sleep_for(ms);
}

double CRecording::RatedCurrentOf(const ovro::CQVTDevice* device)
{
    if (device == nullptr)
        return 0.0;
    const ovro::CQVTParameter* p = device->FindParameter(kRatedCurrentIndex, kRatedCurrentSubIndex);
    return p != nullptr ? static_cast<double>(p->GetInteger()) : 0.0;
}

double CRecording::RatedCurrent() const
{
    return RatedCurrentOf(doc_ != nullptr ? doc_->Device() : nullptr);
}

void CRecording::Open()
{
    boardLibrary_ = master_.IsBoardLibrary();
    if (boardLibrary_)
        CBoardPdoCallback::Register(master_);
}

bool CRecording::CanStart() const
{
    return OnlineNode() != nullptr && !IsRecording();
}

// ---------------------------------------------------------------- Start

bool CRecording::ConfigurePdos(CCANopenNode& node, std::uint16_t timeBase)
{
    using namespace RecordingPdo;
    const std::uint8_t n = node.NodeId();
    for (const Layout& layout : kLayouts) {
        bool needed = false;
        switch (layout.group) {
        case Group::Position: needed = settings_.IsChannel(RS::kPosition); break;
        case Group::VelocityCurrent:
            needed = settings_.IsChannel(RS::kVelocity) || settings_.IsChannel(RS::kCurrent);
            break;
        case Group::DemandedVelocity: needed = settings_.IsChannel(RS::kDemandedVelocity); break;
        case Group::DigitalInputs: needed = settings_.trigger == RS::kDigitalInputs; break;
        case Group::Statusword: needed = true; break;
        }
        const std::uint32_t cobId = static_cast<std::uint32_t>(layout.cobBase) + n;
        bool ok;
        if (needed) {
            PdoCommParam record;
            record.cobId = cobId;
            record.transmissionType = layout.type;
            record.inhibitTime = 0;
            record.eventTimer = layout.timed ? timeBase : 0;
            ok = node.ConfigurePDO(layout.pdo, layout.commIndex, &record, layout.length);
        } else {
            ok = node.WriteU32(layout.commIndex, 1, cobId | kInvalid);
        }
        if (!ok) {
            Show(layout.failureText);
            return false;
        }
        const std::uint8_t pdo = needed ? layout.pdo : 0;
        switch (layout.group) {
        case Group::Position: settings_.signalDefs[RS::kPosition].pdo = pdo; break;
        case Group::VelocityCurrent:
            settings_.signalDefs[RS::kVelocity].pdo = pdo;
            settings_.signalDefs[RS::kCurrent].pdo = pdo;
            break;
        case Group::DemandedVelocity: settings_.signalDefs[RS::kDemandedVelocity].pdo = pdo; break;
        case Group::DigitalInputs: settings_.signalDefs[RS::kDigitalInputs].pdo = pdo; break;
        case Group::Statusword: settings_.signalDefs[RS::kStatusword].pdo = pdo; break;
        }
    }
    return true;
}

bool CRecording::SetUpTrigger(CTrigger& trigger, std::uint16_t timeBase) const
{
    trigger = CTrigger();
    const int signal = settings_.trigger;
    const int kind = signal == RS::kNoTrigger ? RS::kNoTrigger : settings_.slope;
    if (kind == RS::kNoTrigger || kind >= RS::kKindCount)
        return kind == RS::kNoTrigger;
    // A channel signal that is not recorded would never change.
    if (signal < 0 || signal >= RS::kSignalCount || (signal < RS::kChannelSignals && !settings_.IsChannel(signal)))
        return false;
    trigger.signal = signal;
    trigger.kind = kind;
    const auto parse = [](const std::string& text, std::int32_t& out) { return ParseS32(text.c_str(), out); };
    std::int32_t a = 0, b = 0;
    switch (kind) {
    case RS::kRisingEdge:
    case RS::kFallingEdge:
    case RS::kAnyEdge:
        if (!parse(settings_.level, trigger.level))
            return false;
        break;
    case RS::kInWindow:
    case RS::kOutWindow:
        if (!parse(settings_.minimum, trigger.minimum) || !parse(settings_.maximum, trigger.maximum))
            return false;
        break;
    default:
        if (!parse(settings_.mask, a) || !parse(settings_.value, b))
            return false;
        trigger.mask = static_cast<std::uint32_t>(a);
        trigger.value = static_cast<std::uint32_t>(b);
        break;
    }
    std::int32_t delay = 0;
    // A negative delay would keep no sample at all and never trigger.
    if (!parse(settings_.delay, delay) || delay > kMaxDelay || delay < 0)
        return false;
    trigger.delaySamples = delay / timeBase;
    const std::int64_t rated = static_cast<std::int64_t>(std::llround(RatedCurrent()));
    if (signal == RS::kCurrent && rated != 0) {
        trigger.level = PerThousand(trigger.level, rated);
        trigger.minimum = PerThousand(trigger.minimum, rated);
        trigger.maximum = PerThousand(trigger.maximum, rated);
        trigger.mask = static_cast<std::uint32_t>(PerThousand(static_cast<std::int32_t>(trigger.mask), rated));
        trigger.value = static_cast<std::uint32_t>(PerThousand(static_cast<std::int32_t>(trigger.value), rated));
    }
    return true;
}

Sample CRecording::FirstSample() const
{
    Sample first;
    if (doc_ == nullptr || doc_->Device() == nullptr)
        return first;
    const ovro::ActualValues& a = doc_->Device()->actual;
    first.position = a.actualPosition;
    first.velocity = Magnitude(a.actualVelocity);
    first.current = a.actualCurrent;
    first.demandedVelocity = first.velocity;
    first.digitalInputs = a.digitalInputs;
    first.statusword = a.statusword;
    return first;
}

bool CRecording::Start()
{
    // Not while another command of the document runs; while this one writes
    // and shows its messages, nothing takes the document's node.
    if (doc_ != nullptr && doc_->IsBusy())
        return false;
    CCANopenNode* node = OnlineNode();
    if (node == nullptr) {
        recording_.store(false, std::memory_order_release);
        return false;
    }
    const ovro::CQVTDoc::BusyScope busy(*doc_);
    node->EnterPreOperational();
    if (settings_.channelCount == 0) {
        Show(kMsgNoSignalSelected, true);
        return false;
    }
    const std::uint16_t dt = settings_.TimeBaseMilliseconds();
    const bool withTrigger = settings_.trigger != RS::kNoTrigger && settings_.slope != RS::kNoTrigger;
    if (plot_ != nullptr) {
        const double span = plot_->TimeSpan();
        plot_->SetTimeAxis(withTrigger ? -0.2 * span : 0.0, span);
        CPlotFeed::SetUpChannels(*plot_, settings_);
    }
    if (!ConfigurePdos(*node, dt))
        return false;
    CTrigger trigger;
    if (!SetUpTrigger(trigger, dt)) {
        ui_.ShowMessage(MessageSeverity::Error, MessageIcon::None, MessageText(kMsgTriggerError));
        return false;
    }
    DropQueuedPdos(*node);
    const std::uint8_t timeMaster = settings_.signalDefs[static_cast<std::size_t>(settings_.channel[0])].pdo;
    collector_.Arm(trigger, timeMaster, FirstSample());
    collector_.SetLamp(trigger.kind == RS::kNoTrigger ? RecordingState::Recording : RecordingState::WaitTrigger);
    if (boardLibrary_)
        CBoardPdoCallback::Attach(&collector_, node->NodeId(), &recording_);
    const bool started = node->StartNode();
    recording_.store(started, std::memory_order_release);
    if (!started)
        collector_.SetLamp(RecordingState::Idle);
    skip_ = kSkipTicksAtStart;
    doc_->SetPollPause(kPollPauseAtStart);
    return started;
}

// PDOs that arrived after the last tick of an earlier recording would
// become the first samples of this one.
void CRecording::DropQueuedPdos(CCANopenNode& node)
{
    std::uint8_t data[8];
    std::uint8_t pdo = 0, length = 0;
    for (int i = 0; i < kMaxDroppedPdos && node.ReadPDO(&pdo, data, &length); ++i) {
    }
    node.ClearLastError();
}

// ---------------------------------------------------------------- ticks

void CRecording::Collect(CCANopenNode& node)
{
    TickReport report;
    const Clock::time_point begin = Clock::now();
    const Clock::time_point end = begin + kCollectBudget;
    std::uint8_t data[8];
    do {
        std::uint8_t pdo = 0, length = 0;
        ++report.attempts;
        if (node.ReadPDO(&pdo, data, &length)) {
            collector_.Collect(pdo, data, length);
            ++report.pdos;
        } else if (idleWait_.count() > 0) {
            // Nothing there yet: the next PDO is a fraction of a time base
            // away, and the drive's simulator may want the processor.
            std::this_thread::sleep_until(std::min(end, Clock::now() + idleWait_));
        }
        node.ClearLastError();
    } while (Clock::now() < end);
    report.spent = Clock::now() - begin;
    lastTick_ = report;
}

void CRecording::OnTimer()
{
    if (!IsRecording() || doc_ == nullptr)
        return;
    if (doc_->IsOffline()) {
        recording_.store(false, std::memory_order_release);
        return;
    }
    CCANopenNode* node = doc_->Node();
    if (!doc_->PollState().transferIdle || node == nullptr || doc_->Device() == nullptr ||
        settings_.channelCount == 0)
        return;
    if (skip_ > 0) {
        --skip_;
        return;
    }
    const double rated = RatedCurrent();
    if (!boardLibrary_)
        Collect(*node);
    if (!collector_.Triggered())
        return;
    if (plot_ != nullptr) {
        CPlotFeed::AddNewSamples(*plot_, settings_, Ring(), rated);
        plot_->Repaint();
    }
    if (collector_.Trigger().kind != RS::kNoTrigger)
        collector_.SetLamp(RecordingState::Triggered);
}

// ---------------------------------------------------------------- Stop, close

void CRecording::Stop()
{
    if (doc_ != nullptr && doc_->Device() != nullptr)
        doc_->Device()->actual.recording = 1;
    CCANopenNode* node = OnlineNode();
    if (node == nullptr)
        return;
    // A stop is never refused; it runs inside whatever else runs.
    const ovro::CQVTDoc::BusyScope busy(*doc_);
    if (node->EnterPreOperational())
        recording_.store(false, std::memory_order_release);
    collector_.SetLamp(RecordingState::Idle);
    if (plot_ != nullptr) {
        const double minimum = plot_->TimeMinimum();
        const double span = plot_->TimeSpan();
        CPlotFeed::Rebuild(*plot_, settings_, Ring(), RatedCurrent());
        plot_->SetTimeAxis(minimum, span);
        plot_->Repaint();
    }
    doc_->SetPollPause(kPollPauseAtStop);
}

void CRecording::Close()
{
    recording_.store(false, std::memory_order_release);
    CBoardPdoCallback::Detach(&collector_);
    if (CCANopenNode* node = OnlineNode()) {
        // The drive takes back its own PDO configuration.
        node->ResetCommunication();
        Sleep(kCloseWait);
    }
    if (plot_ != nullptr) {
        settings_.timeMin = static_cast<std::int32_t>(std::trunc(plot_->TimeMinimum()));
        settings_.timeSpan = static_cast<std::int32_t>(std::trunc(plot_->TimeSpan()));
    }
}

bool CRecording::Load(const std::string& path, const std::function<void(std::int32_t done)>& progress)
{
    if (!CRecordingSections::Load(path, settings_, Ring()))
        return false;
    if (plot_ != nullptr) {
        plot_->SetTimeAxis(settings_.timeMin, settings_.timeSpan);
        Rebuild(progress);
    }
    return true;
}

void CRecording::Rebuild(const std::function<void(std::int32_t done)>& progress)
{
    if (plot_ == nullptr)
        return;
    const double minimum = plot_->TimeMinimum();
    const double span = plot_->TimeSpan();
    CPlotFeed::Rebuild(*plot_, settings_, Ring(), RatedCurrent(), progress);
    plot_->SetTimeAxis(minimum, span);
    plot_->Repaint();
}
