#include "OperationCommands.h"

#include <chrono>
#include <thread>

#include "canopen/CANopenNode.h"
#include "canopen/CANopenTypes.h"
#include "description/QVTDevice.h"
#include "document/QVTDoc.h"
#include "document/StatusPoll.h"
#include "FixedConnectChooser.h"
#include "operation/DocumentDrive.h"
#include "operation/FaultReset.h"
#include "operation/HomingMode.h"
#include "operation/JogButtonState.h"
#include "operation/ManualMode.h"
#include "operation/OperationObjects.h"
#include "operation/PositionMode.h"
#include "operation/VelocityMode.h"
#include "OperationTexts.h"
#include "StatusReport.h"
#include "ui/MessageTexts.h"
#include "ui/MessageIds.h"

namespace {

using Clock = std::chrono::steady_clock;
using Motion = OperationOptions::Motion;

constexpr std::chrono::milliseconds kPollTick(55); // the document's status poll
constexpr std::chrono::milliseconds kWaitStep(20); // statusword reads while waiting for the target

} // namespace

void COperationCommands::Fail(const std::string& text)
{
    session_.Ui().ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation, text);
}

int COperationCommands::Run()
{
    if (!session_.LoadDescription())
        return CCliSession::kFailure;
    if (const int status = session_.OpenInterface(); status != CCliSession::kSuccess)
        return status;
    ovro::ConnectDeviceChoice choice;
    choice.result = ovro::ConnectDeviceChoice::Connect;
    choice.nodeId = session_.NodeId();
    choice.baudRate = session_.BaudRate();
    CFixedConnectChooser chooser(choice);
    ovro::CQVTDoc doc(session_.Environment(&chooser));
    if (!doc.OnNewDocument() || session_.Ui().FailureShown())
        return session_.Result(false);
    ovro::CDocumentDrive drive(doc, session_.Description());
    const std::string& command = session_.Options().command;
    int status = CCliSession::kSuccess;
    if (command == "motion") {
        status = Motion(doc, drive);
    } else if (command == "reset-fault") {
        status = ResetFault(drive);
    } else if (command == "status") {
        status = Status(doc, drive);
    } else if (command == "limits") {
        session_.Out() << CStatusReport::Limits(drive);
        status = session_.Result(true);
    }
    // The drive stays as the command left it; only the connection goes.
    doc.OnCloseDocument();
    return status;
}

int COperationCommands::Motion(ovro::CQVTDoc&, ovro::IDriveDocument& drive)
{
    switch (session_.Options().operation.motion) {
    case Motion::Position: return Position(drive);
    case Motion::Velocity: return Velocity(drive);
    case Motion::Homing: return Homing(drive);
    case Motion::Jog: return Jog(drive);
    case Motion::Manual: return Manual(drive);
    case Motion::Stop: {
        ovro::CPositionMode page(drive, session_.Ui());
        page.Stop();
        return session_.Result(true);
    }
    case Motion::Halt: {
        ovro::CVelocityMode page(drive, session_.Ui());
        page.Stop();
        return session_.Result(true);
    }
    case Motion::None: break;
    }
    return session_.UsageError("no motion mode given");
}

int COperationCommands::Position(ovro::IDriveDocument& drive)
{
    const OperationOptions& o = session_.Options().operation;
    ovro::CPositionMode page(drive, session_.Ui());
    page.Open();
    ovro::CPositionMode::Fields& f = page.Values();
    f.targetPosition = o.target;
    f.relative = o.relative;
    if (o.profile) {
        f.userProfile = true;
        f.profileNumber = *o.profile;
        f.profileSelection = *o.profile - 1;
    } else if (o.velocity || o.acceleration || o.deceleration || o.maxCurrent) {
        f.userProfile = false;
    }
    f.velocity = o.velocity.value_or(f.velocity);
    f.acceleration = o.acceleration.value_or(f.acceleration);
    f.deceleration = o.deceleration.value_or(f.deceleration);
    f.maxCurrent = o.maxCurrent.value_or(f.maxCurrent);
    bool ok = page.Start();
    if (ok && o.waitMs)
        ok = WaitForTarget(drive, *o.waitMs, kMsgPositionReadStatusword);
    return session_.Result(ok);
}

int COperationCommands::Velocity(ovro::IDriveDocument& drive)
{
    const OperationOptions& o = session_.Options().operation;
    if (!ovro::CVelocityMode::HasPage(drive.Model())) {
        session_.Ui().ShowMessage(MessageSeverity::Sorry, MessageIcon::Stop,
                                  FormatMessage(kMsgK315Only, static_cast<int>(session_.NodeId())));
        return CCliSession::kFailure;
    }
    ovro::CVelocityMode page(drive, session_.Ui());
    page.Open();
    ovro::CVelocityMode::Fields& f = page.Values();
    f.targetVelocity = o.target;
    f.acceleration = o.acceleration.value_or(f.acceleration);
    f.deceleration = o.deceleration.value_or(f.deceleration);
    f.maxCurrent = o.maxCurrent.value_or(f.maxCurrent);
    return session_.Result(page.Start());
}

int COperationCommands::Homing(ovro::IDriveDocument& drive)
{
    const OperationOptions& o = session_.Options().operation;
    if (o.assign && o.method != ovro::CHomingMode::kPositionAssignment)
        return session_.UsageError("motion homing: --assign goes with method -1 only");
    ovro::CHomingMode page(drive, session_.Ui());
    page.Open();
    int entry = -1;
    std::string known;
    for (std::size_t i = 0; i < page.Methods().size(); ++i) {
        known += (known.empty() ? "" : ", ") + std::to_string(page.Methods()[i].method);
        if (page.Methods()[i].method == o.method && entry < 0)
            entry = static_cast<int>(i);
    }
    if (entry < 0)
        return session_.UsageError("motion homing: method " + std::to_string(o.method) +
                                   " is not in the homing list (" + known + ")");
    if (!page.ListEnabled() && o.method != page.SelectedMethod()) {
        Fail(StringPrintf(OperationTexts::kHomingListDisabled, static_cast<unsigned>(session_.NodeId()),
                          static_cast<int>(page.SelectedMethod())));
        return CCliSession::kFailure;
    }
    page.Values().selection = entry;
    if (o.assign)
        page.Values().assignPosition = *o.assign;
    bool ok = page.Start();
    if (ok && o.waitMs)
        ok = WaitForTarget(drive, *o.waitMs, kMsgHomingReadStatusword);
    return session_.Result(ok);
}

int COperationCommands::Jog(ovro::IDriveDocument& drive)
{
    const OperationOptions& o = session_.Options().operation;
    ovro::CManualMode page(drive, session_.Ui());
    page.Open();
    // The buttons work only with the box set: a user ticks it first. Setting
    // it sends nothing; the jog start switches the mode.
    if (!page.JogEnabled())
        page.SetSimulated(true);
    ovro::CJogButtonState button(o.jogNegative ? ovro::CJogButtonState::Direction::Negative
                                               : ovro::CJogButtonState::Direction::Positive);
    const bool started = button.Press(&page, drive.Node() != nullptr);
    if (started)
        std::this_thread::sleep_for(std::chrono::milliseconds(o.jogMs));
    button.Release(&page);
    return session_.Result(started);
}

int COperationCommands::Manual(ovro::IDriveDocument& drive)
{
    const bool on = session_.Options().operation.manualOn;
    ovro::CManualMode page(drive, session_.Ui());
    page.Open();
    page.SetSimulated(on);
    return session_.Result(page.Simulated() == on);
}

int COperationCommands::ResetFault(ovro::IDriveDocument& drive)
{
    if (ovro::CFaultReset::Run(drive))
        return session_.Result(true);
    const ovro::ActualValues& a = drive.Device()->actual;
    Fail(StringPrintf(OperationTexts::kFaultRemains, static_cast<unsigned>(session_.NodeId()),
                      static_cast<unsigned>(a.statusword), static_cast<unsigned long>(a.statusRegister)));
    return CCliSession::kFailure;
}

int COperationCommands::Status(ovro::CQVTDoc& doc, ovro::IDriveDocument& drive)
{
    const OperationOptions& o = session_.Options().operation;
    PollCycle(doc);
    const std::uint32_t blocks = o.count ? *o.count : (o.watch ? 0 : 1);
    const std::chrono::milliseconds interval(o.intervalMs);
    for (std::uint32_t printed = 0;;) {
        session_.Out() << CStatusReport::Status(drive);
        session_.Out().flush();
        if (blocks != 0 && ++printed >= blocks)
            break;
        session_.Out() << '\n';
        // The poll runs on while the block waits, as in the program.
        const Clock::time_point next = Clock::now() + interval;
        do {
            doc.OnPollTimer();
            std::this_thread::sleep_until(std::min(next, Clock::now() + kPollTick));
        } while (Clock::now() < next);
    }
    return session_.Result(true);
}

void COperationCommands::PollCycle(ovro::CQVTDoc& doc)
{
    const int batch = ovro::CStatusPoll::BatchSize(session_.Master().BaudRate(), 2);
    const int ticks = doc.PollState().pollPause + (ovro::CStatusPoll::kCycleLength + batch - 1) / batch;
    for (int i = 0; i < ticks; ++i)
        doc.OnPollTimer();
}

bool COperationCommands::WaitForTarget(ovro::IDriveDocument& drive, std::uint32_t ms,
                                       unsigned readStatuswordMessage)
{
    CCANopenNode* node = drive.Node();
    if (node == nullptr)
        return false;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    std::uint16_t statusword = 0;
    for (;;) {
        if (!node->ReadU16(CANopen::Object::Statusword, 0, statusword)) {
            Fail(FormatMessage(readStatuswordMessage, node->ErrorText().c_str()));
            return false;
        }
        if ((statusword & OperationObject::kStatuswordTargetReached) != 0)
            return true;
        if (Clock::now() >= end)
            break;
        std::this_thread::sleep_for(kWaitStep);
    }
    Fail(StringPrintf(OperationTexts::kTargetNotReached, static_cast<unsigned long>(ms),
                      static_cast<unsigned>(session_.NodeId()), static_cast<unsigned>(statusword)));
    return false;
}
