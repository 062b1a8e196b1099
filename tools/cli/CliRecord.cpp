// CliRecord.cpp - "record" and "export".
#include "CliRecord.h"

#include "FixedConnectChooser.h"
#include "RecordOptions.h"

#include "description/Commissioning.h"
#include "description/QVTDevice.h"
#include "document/CommissioningFile.h"
#include "document/DocumentWindows.h"
#include "document/QVTDoc.h"
#include "scope/OscilloscopeData.h"
#include "scope/Recording.h"
#include "scope/RecordingExport.h"
#include "scope/RecordingTab.h"
#include "scope/RecordingTable.h"
#include "scope/TriggerTab.h"
#include "ui/MessageTexts.h"
#include "ui/MessageIds.h"

#include <csignal>
#include <thread>

namespace {

const char kNoTrigger[] = "ERROR:\tthe trigger condition was not met within %lu ms!\n\n\tNothing recorded.";
const char kNoRecording[] = "ERROR:\tthe document '%s' holds no recording!";
const char kRecorded[] = "%ld samples (%ld before the trigger), %u ms apart, written to %s\n";

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int)
{
    interrupted = 1;
}

// The document keeps the recording when it is saved.
class RecordingWindows : public ovro::IDocumentWindows {
public:
    explicit RecordingWindows(const COscilloscopeData& data) : data_(data) {}
    bool AppendRecording(std::string& text) override { return data_.AppendRecording(text); }

private:
    const COscilloscopeData& data_;
};

std::string Written(const CRecordingTable& table, const SampleRing& ring, const RecordingSettings& settings,
                    const std::string& path)
{
    return StringPrintf(kRecorded, static_cast<long>(table.RowCount()), static_cast<long>(ring.TriggerOffset()),
                        static_cast<unsigned>(settings.TimeBaseMilliseconds()), path.c_str());
}

} // namespace

int CCliRecord::Record()
{
    RecordOptions options;
    std::string error;
    if (!CRecordOptions::Parse(session_.Options().arguments, options, error))
        return session_.UsageError(error);
    if (!session_.LoadDescription())
        return CCliSession::kFailure;
    if (const int status = session_.OpenInterface(); status != CCliSession::kSuccess)
        return status;

    COscilloscopeData data;
    RecordingWindows windows(data);
    ovro::ConnectDeviceChoice choice;
    choice.result = ovro::ConnectDeviceChoice::Connect;
    choice.nodeId = session_.NodeId();
    choice.baudRate = session_.BaudRate();
    CFixedConnectChooser chooser(choice);
    ovro::DocumentEnvironment env = session_.Environment(&chooser);
    env.windows = &windows;
    ovro::CQVTDoc doc(env);
    CTerminalUserInterface& ui = session_.Ui();
    if (!doc.OnNewDocument() || ui.FailureShown())
        return session_.Result(false);
    doc.OnOscilloscope();  // the model check of the command
    if (ui.FailureShown()) {
        doc.OnCloseDocument();
        return session_.Result(false);
    }

    // The settings as the window's tabs would take them.
    CRecordOptions::Apply(options, data.settings);
    CRecordingTab(data.settings, session_.Master().BaudRate()).Leave(ui);
    CTriggerTab(data.settings).Leave(ui);
    if (ui.FailureShown()) {
        doc.OnCloseDocument();
        return session_.Result(false);
    }

    CRecording recording(data.settings, data.collector, session_.Master(), ui);
    recording.SetDocument(&doc);
    recording.Open();
    CRecordMovement movement;
    if (movement_)
        movement.SetStarter(movement_);
    else if (options.moveTo)
        movement.SetStarter(CRecordMovement::ProfilePosition(*options.moveTo, options.moveVelocity));

    interrupted = 0;
    auto* previous = std::signal(SIGINT, OnInterrupt);
    bool ok = recording.Start();
    using Clock = std::chrono::steady_clock;
    const Clock::time_point started = Clock::now();
    std::optional<Clock::time_point> triggered;
    int collecting = 0;
    while (ok && !interrupted && recording.IsRecording()) {
        const Clock::time_point next = Clock::now() + CRecording::kTickPeriod;
        const bool skipping = recording.SkipTicks() > 0;
        recording.OnTimer();
        if (!skipping && ++collecting == 1 && !movement.StartOnce(doc, ui))
            ok = false;
        const SampleRing& ring = data.ring;
        if (data.collector.Triggered() && !triggered)
            triggered = Clock::now();
        if (triggered) {
            const bool enough = options.samples && ring.Count() >= static_cast<std::int32_t>(*options.samples);
            const bool long_ = options.durationMs && Clock::now() - *triggered >=
                                                         std::chrono::milliseconds(*options.durationMs);
            if (enough || long_ || ring.Count() >= SampleRing::kCapacity)
                break;
        } else if (Clock::now() - started >= std::chrono::milliseconds(options.timeoutMs)) {
            ui.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation,
                           StringPrintf(kNoTrigger, static_cast<unsigned long>(options.timeoutMs)));
            ok = false;
        }
        std::this_thread::sleep_until(next);
    }
    std::signal(SIGINT, previous);
    if (recording.IsRecording())
        recording.Stop();
    recording.Close();
    ok = ok && data.collector.Triggered();

    if (ok) {
        const CRecordingTable table(data.settings, data.ring, recording.RatedCurrent());
        if (CRecordingExport::Write(options.output, table)) {
            session_.Out() << Written(table, data.ring, data.settings, options.output);
        } else {
            ui.ShowMessage(MessageSeverity::Error, MessageIcon::Stop,
                           FormatMessage(kMsgCantWriteExport, options.output.c_str()));
            ok = false;
        }
    }
    if (ok && options.document)
        ok = doc.OnSaveDocument(*options.document);
    doc.OnCloseDocument();
    return session_.Result(ok);
}

int CCliRecord::Export()
{
    const std::string& path = session_.Options().arguments[0];
    const std::string& output = session_.Options().arguments[1];
    if (!session_.LoadDescription())
        return CCliSession::kFailure;
    CTerminalUserInterface& ui = session_.Ui();
    ovro::CCommissioning& description = session_.Description();
    if (!ovro::CCommissioningFile::Read(description, path, ovro::CCommissioning::ModelNone, true) ||
        description.GetCurrentDevice() == nullptr) {
        ui.ShowMessage(MessageSeverity::Error, MessageIcon::Stop, FormatMessage(kMsgCantReadFile, path.c_str()));
        return CCliSession::kFailure;
    }
    const ovro::CQVTDevice& device = *description.GetCurrentDevice();
    COscilloscopeData data;
    if (device.actual.recording == 0 || !data.LoadRecording(path)) {
        ui.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation, StringPrintf(kNoRecording, path.c_str()));
        return CCliSession::kFailure;
    }
    const CRecordingTable table(data.settings, data.ring, CRecording::RatedCurrentOf(&device));
    if (!CRecordingExport::Write(output, table)) {
        ui.ShowMessage(MessageSeverity::Error, MessageIcon::Stop,
                       FormatMessage(kMsgCantWriteExport, output.c_str()));
        return CCliSession::kFailure;
    }
    session_.Out() << Written(table, data.ring, data.settings, output);
    return session_.Result(true);
}
