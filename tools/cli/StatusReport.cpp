#include "StatusReport.h"

#include "description/QVTDevice.h"
#include "MessageFormat.h"
#include "operation/DriveDocument.h"
#include "operation/LimitsReader.h"
#include "operation/MotionViewModel.h"
#include "operation/StatusLampPages.h"
#include "operation/StatusViewModel.h"

namespace {

void Line(std::string& out, const std::string& label, const std::string& value)
{
    out += CMessageFormat::Utf8(value.empty() ? label : label + " " + value);
    out += '\n';
}

} // namespace

std::string CStatusReport::Status(const ovro::IDriveDocument& doc)
{
    const std::optional<ovro::MotionViewTexts> motion = ovro::CMotionViewModel::Refresh(doc);
    const std::optional<ovro::StatusViewTexts> status = ovro::CStatusViewModel::Refresh(doc);
    const ovro::CQVTDevice* device = doc.Device();
    if (!motion || !status || device == nullptr)
        return std::string();
    std::string out;
    Line(out, "Mode of Operation:", status->modeCaption);
    Line(out, "Actual Position:", motion->position);
    Line(out, "Actual Velocity:", motion->velocity);
    if (motion->shaftSpeed)
        Line(out, "Output-Shaft Speed:", *motion->shaftSpeed);
    Line(out, "Drive referenced?", motion->referencedBit + " " + motion->referenced);
    Line(out, "Drive Temperature:", motion->temperature);
    Line(out, "Actual Motor Current:", motion->current);
    if (motion->torque)
        Line(out, "Output-Shaft Torque:", *motion->torque);
    Line(out, "DC-Link Voltage:", motion->voltage);
    Line(out, "Statusword:", motion->status.statusword);
    Line(out, "Device state:", motion->status.state);
    Line(out, "Error code:", motion->status.errorCode + " " + motion->status.errorText);

    for (int i = 0; i < ovro::CStatusLampPages::kCount; ++i) {
        const ovro::LampPage& page = ovro::CStatusLampPages::Page(i);
        const std::uint16_t bits = page.Bits(device->actual);
        std::string lit;
        for (int lamp = 0; lamp < 16; ++lamp) {
            if ((bits & (0x8000u >> lamp)) == 0)
                continue;
            lit += (lit.empty() ? "" : ", ");
            lit += page.bitTexts[static_cast<std::size_t>(lamp)];
        }
        Line(out, std::string(page.title) + " lamps:", lit);
    }

    const ovro::LogbookTexts logbook = ovro::CStatusViewModel::Logbook(device->actual);
    Line(out, "Power-on time of the drive:", logbook.powerOnSeconds + " " + logbook.powerOnTime);
    Line(out, "Turn-on time of the drive:", logbook.turnOnSeconds + " " + logbook.turnOnTime);
    Line(out, "Number of positioning operations:", logbook.positionings);
    if (doc.ErrorHistoryValid()) {
        for (int entry = 0; entry < ovro::CStatusViewModel::kHistoryEntries; ++entry) {
            const ovro::ErrorListRow row = ovro::CStatusViewModel::RowOf(*device, entry);
            if (!row.emergency.empty())
                Line(out, "Error List " + std::to_string(row.row) + ":", row.emergency + " " + row.meaning);
        }
    }
    return out;
}

std::string CStatusReport::Limits(const ovro::IDriveDocument& doc)
{
    const ovro::MotionProfileLimitsTexts m = ovro::CLimitsReader::ReadMotionProfileLimits(doc.Node());
    const ovro::SoftwarePositionLimitsTexts s = ovro::CLimitsReader::ReadSoftwarePositionLimits(doc.Node());
    std::string out;
    Line(out, "Max. Profile Velocity:", m.maxVelocity);
    Line(out, "Max. Acceleration:", m.maxAcceleration);
    Line(out, "Max. Deceleration:", m.maxDeceleration);
    Line(out, "Motor Rated Current:", m.ratedCurrent);
    Line(out, "Position Limits:", s.positionLower + " to " + s.positionUpper);
    Line(out, "Position Drive Limits:", s.driveLower + " to " + s.driveUpper);
    Line(out, "Position Safety Limits:", s.safetyLower + " to " + s.safetyUpper);
    return out;
}
