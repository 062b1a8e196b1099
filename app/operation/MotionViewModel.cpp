#include "operation/MotionViewModel.h"

#include "description/QVTDevice.h"
#include "operation/DriveDocument.h"
#include "operation/MotorData.h"
#include "operation/OperationObjects.h"
#include "ui/MessageTexts.h"
#include "ui/MessageIds.h"

namespace ovro {

std::optional<MotionViewTexts> CMotionViewModel::Refresh(const IDriveDocument& doc)
{
    const CQVTDevice* device = doc.Device();
    if (!doc.IsReady() || device == nullptr)
        return std::nullopt;
    const CMotorData motor = CMotorData::FromDevice(device);
    const ActualValues& a = device->actual;
    MotionViewTexts t;
    t.position = StringPrintf("%li", static_cast<long>(a.actualPosition));
    t.velocity = StringPrintf("%li", static_cast<long>(a.actualVelocity));
    if (const std::optional<std::int64_t> speed = motor.OutputShaftSpeed(a.actualVelocity))
        t.shaftSpeed = StringPrintf("%lld", static_cast<long long>(*speed));
    const bool referenced = (a.statusRegister & OperationObject::kStatusRegisterReferenced) != 0;
    t.referencedBit = StringPrintf("%u", referenced ? 1u : 0u);
    t.referenced = MessageText(referenced ? kMsgYes : kMsgNo);
    t.temperature = StringPrintf("%i", static_cast<int>(a.actualTemperature));
    t.current = StringPrintf("%.2f", motor.Amperes(a.actualCurrent));
    if (const std::optional<double> torque = motor.OutputShaftTorque(a.actualCurrent))
        t.torque = StringPrintf("%.2f", *torque);
    // Shown in steps of 0.1 V.
    t.voltage = StringPrintf("%.1f", static_cast<double>(a.actualVoltage / 100) * 100 * 0.001);
    t.status = DriveStatusText::Of(doc, kMsgMotionOffline, kMsgMotionNoDevice);
    return t;
}

} // namespace ovro
