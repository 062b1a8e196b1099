#include "operation/HomingMode.h"

#include "canopen/CANopenNode.h"
#include "canopen/CANopenTypes.h"
#include "description/QVTDevice.h"
#include "operation/DriveCommands.h"
#include "operation/DriveDocument.h"
#include "operation/OperationObjects.h"
#include "ui/MessageTexts.h"
#include "ui/MessageIds.h"

namespace ovro {

namespace {
const DriveStepMessages kHomingMessages = {kMsgHomingReadStatusword, kMsgHomingSwitchState,
                                           kMsgHomingNotEnabled,     kMsgHomingReadMode,
                                           kMsgHomingSwitchMode,     kMsgHomingStart};
}

CHomingMode::CHomingMode(IDriveDocument& doc, IUserInterface& ui)
    : CMotionPage(doc, ui, kHomingMessages, kMsgHomingWriteParameter)
{
}

void CHomingMode::Open()
{
    using namespace OperationObject;
    methods_.clear();
    const CQVTDevice* device = Device();
    if (device == nullptr)
        return;
    for (const CQVTEnumerator& e : device->homingMethods)
        methods_.push_back({static_cast<std::int8_t>(e.value), StringPrintf("%i - %s", e.value, e.text.c_str())});
    fields_.selection = 0;

    const MotionMemory::HomingPage& m = device->motion.homing;
    fields_.method = m.homingMethod;
    fields_.assignPosition = m.assignPosition;
    fields_.mode = device->actual.actualMode;
    fields_.homingList = 0;
    if (const CQVTParameter* p = device->FindParameter(DriveData, DriveDataHomingList))
        fields_.homingList = static_cast<std::uint8_t>(p->GetInteger());
    if (ReadsFromDrive(m.readFromDrive)) {
        CCANopenNode& node = *Node();
        fields_.mode = static_cast<std::int8_t>(ReadU8Or(node, CANopen::Object::ModesOfOperationDisplay, 0, 255));
        fields_.homingList = ReadU8Or(node, DriveData, DriveDataHomingList, 0);
        fields_.method = static_cast<std::int8_t>(ReadU8Or(node, HomingMethod, 0, 255));
    }
    // The entry of the current method, searched from the last down to the
    // second; none found: the first.
    for (std::size_t i = methods_.size(); i > 1; --i) {
        if (methods_[i - 1].method == fields_.method) {
            fields_.selection = static_cast<int>(i - 1);
            break;
        }
    }
}

std::int8_t CHomingMode::SelectedMethod() const
{
    if (fields_.selection < 0 || static_cast<std::size_t>(fields_.selection) >= methods_.size())
        return methods_.empty() ? kPositionAssignment : methods_.front().method;
    return methods_[static_cast<std::size_t>(fields_.selection)].method;
}

bool CHomingMode::AssignEnabled() const
{
    return !ListEnabled() || SelectedMethod() == kPositionAssignment;
}

bool CHomingMode::Start()
{
    using namespace OperationObject;
    const CommandScope command(doc_, CommandScope::Kind::Start);
    if (!command.Entered())
        return false;
    CCANopenNode* node = Node();
    if (node == nullptr)
        return false;
    const std::uint8_t m = static_cast<std::uint8_t>(SelectedMethod());
    if (m < 255) {
        if (!Enable(*node) || !SwitchMode(*node, ModeOfOperation::Homing) ||
            !WriteU8(*node, HomingMethod, m, "Homing method"))
            return false;
        ClearErrorHistory(*node);
        if (!StartMotion(*node, Controlword::StartMotion))
            return false;
    } else {
        if (!SwitchMode(*node, ModeOfOperation::Homing) ||
            !WriteU32(*node, PositionAssignment, static_cast<std::uint32_t>(fields_.assignPosition),
                      "Position Assignment Value") ||
            !WriteU8(*node, HomingMethod, m, "Homing method") ||
            !StartMotion(*node, Controlword::StartMotion, kMsgHomingAssign))
            return false;
    }
    if (MotionMemory* memory = Memory()) {
        memory->homing.homingMethod = static_cast<std::int8_t>(m);
        memory->homing.assignPosition = fields_.assignPosition;
        memory->homing.readFromDrive = false;
    }
    return true;
}

void CHomingMode::Stop()
{
    CDriveCommands::QuickStop(doc_);
}

} // namespace ovro
