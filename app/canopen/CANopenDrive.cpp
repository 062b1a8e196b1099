// CANopenDrive.cpp - the drive-profile vocabulary and the enable sequence.
#include "canopen/CANopenDrive.h"

#include "canopen/CANopenNode.h"
#include "canopen/CANopenTypes.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"
#include "ui/UserInterface.h"

const DriveStepMessages kManualStepMessages = {kMsgCantReadStatusword,  kMsgCantSwitchState,
                                               kMsgCantEnableOperation, kMsgCantReadOperationMode,
                                               kMsgCantSwitchMode,      kMsgCantStartDrive};

namespace {

const DeviceStateRow kDeviceStates[] = {
    {0x004F, 0x0000, "Not Ready to Switch On"},
    {0x004F, 0x0040, "Switch On Disabled"},
    {0x006F, 0x0021, "Ready to Switch On"},
    {0x006F, 0x0023, "Switched On"},
    {0x006F, 0x0027, "Operation Enabled"},
    {0x006F, 0x0007, "Quick-Stop Active"},
    {0x004F, 0x000F, "Fault Reaction Active"},
    {0x004F, 0x0008, "Fault"},
    {0x0000, 0x0000, "Online"},
};

struct ModeRow {
    std::int8_t code;
    const char* name;
};

const ModeRow kModes[] = {
    {ModeOfOperation::ProfilePosition, "Profile Position Mode"},
    {ModeOfOperation::ProfileVelocity, "Profile Velocity Mode"},
    {ModeOfOperation::Homing, "Homing Mode"},
    {ModeOfOperation::Manual, "Manual Mode"},
    {ModeOfOperation::ManufacturerPosition, "Manufacturer-specific Position Mode"},
    {ModeOfOperation::SimulatedManual, "Simulated Manual Mode"},
    {ModeOfOperation::Configuration, "Configuration Mode"},
};

void ShowError(IUserInterface& ui, const std::string& text)
{
    ui.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation, text);
}

bool ReadStatusword(CCANopenNode& node, std::uint16_t& statusword, IUserInterface& ui,
                    const DriveStepMessages& messages)
{
    if (node.ReadU16(CANopen::Object::Statusword, 0, statusword))
        return true;
    ShowError(ui, FormatMessage(messages.readStatusword, node.ErrorText().c_str()));
    return false;
}

// Writes a controlword on the way to the named state and reads the
// statusword again.
bool Step(CCANopenNode& node, std::uint16_t controlword, const char* state, std::uint16_t& statusword,
          IUserInterface& ui, const DriveStepMessages& messages)
{
    if (!node.WriteU16(CANopen::Object::Controlword, 0, controlword)) {
        ShowError(ui, FormatMessage(messages.switchState, state, node.ErrorText().c_str()));
        return false;
    }
    return ReadStatusword(node, statusword, ui, messages);
}

} // namespace

const DeviceStateRow* DeviceStateTable(std::size_t* count)
{
    if (count)
        *count = sizeof kDeviceStates / sizeof kDeviceStates[0];
    return kDeviceStates;
}

const char* DeviceStateName(std::uint16_t statusword)
{
    for (const DeviceStateRow& row : kDeviceStates)
        if ((statusword & row.mask) == row.value)
            return row.name;
    return kDeviceStates[sizeof kDeviceStates / sizeof kDeviceStates[0] - 1].name;
}

const char* ModeOfOperationName(std::int8_t mode)
{
    for (const ModeRow& row : kModes)
        if (row.code == mode)
            return row.name;
    return nullptr;
}

bool EnableOperation(CCANopenNode& node, IUserInterface& ui, const DriveStepMessages& messages)
{
    using namespace Statusword;
    std::uint16_t statusword = 0;
    if (!ReadStatusword(node, statusword, ui, messages))
        return false;
    if ((statusword & kSwitchOnDisabledMask) == kSwitchOnDisabled &&
        !Step(node, Controlword::Shutdown, "Ready to Switch On", statusword, ui, messages))
        return false;
    if ((statusword & kStateMask) == kReadyToSwitchOn &&
        !Step(node, Controlword::SwitchOn, "Switched On", statusword, ui, messages))
        return false;
    const std::uint16_t state = statusword & kStateMask;
    if ((state == kSwitchedOn || state == kQuickStopActive) &&
        !Step(node, Controlword::EnableOperation, "Operation Enabled", statusword, ui, messages))
        return false;
    if ((statusword & kStateMask) != kOperationEnabled) {
        ShowError(ui, FormatMessage(messages.notEnabled, static_cast<unsigned>(node.NodeId())));
        return false;
    }
    return true;
}

bool SwitchModeOfOperation(CCANopenNode& node, std::int8_t mode, IUserInterface& ui,
                           const DriveStepMessages& messages)
{
    std::uint8_t shown = 0;
    if (!node.ReadU8(CANopen::Object::ModesOfOperationDisplay, 0, shown)) {
        ShowError(ui, FormatMessage(messages.readMode, node.ErrorText().c_str()));
        return false;
    }
    if (static_cast<std::int8_t>(shown) == mode)
        return true;
    if (!node.WriteU8(CANopen::Object::ModesOfOperation, 0, static_cast<std::uint8_t>(mode))) {
        const char* name = ModeOfOperationName(mode);
        ShowError(ui, FormatMessage(messages.switchMode, name != nullptr ? name : "Unknown mode of operation",
                                    node.ErrorText().c_str()));
        return false;
    }
    return true;
}

bool StartDrive(CCANopenNode& node, std::uint16_t controlword, IUserInterface& ui,
                const DriveStepMessages& messages)
{
    return StartDrive(node, controlword, ui, messages.start);
}

bool StartDrive(CCANopenNode& node, std::uint16_t controlword, IUserInterface& ui, unsigned message)
{
    if (node.WriteU16(CANopen::Object::Controlword, 0, controlword))
        return true;
    ShowError(ui, FormatMessage(message, node.ErrorText().c_str()));
    return false;
}
