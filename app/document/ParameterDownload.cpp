#include "document/ParameterDownload.h"

#include "canopen/CANopenNode.h"
#include "description/QVTDevice.h"
#include "document/ParameterTransfer.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

namespace ovro {

CParameterDownload::Outcome CParameterDownload::Run(CQVTDevice& device, CCANopenNode& node, IProgress& progress)
{
    Outcome outcome;
    std::uint8_t lastMode = 0;
    for (CQVTSection& section : device.sections) {
        for (CQVTParameter& parameter : section.parameters) {
            if (!parameter.IsTransferable() || !parameter.changed)
                continue;
            ++outcome.attempted;
            progress.AddText(FormatMessage(kMsgParameterStep, parameter.toolTip.c_str()), 1);
            if (parameter.accessible != lastMode) {
                lastMode = parameter.accessible;
                // Whether the drive takes the mode shows in the write itself.
                node.WriteU8(CANopen::Object::ModesOfOperation, 0, lastMode);
            }
            std::uint32_t abort = 0;
            const CParameterTransfer::Result result = CParameterTransfer::Write(parameter, node, &abort);
            if (result == CParameterTransfer::Done) {
                progress.AddText(MessageText(kMsgStepOk), 0);
                continue;
            }
            progress.AddText(MessageText(kMsgStepError), 0);
            if (result == CParameterTransfer::Failed) {
                outcome.stopped = true;
                return outcome;
            }
            progress.AddText(
                FormatMessage(kMsgSdoAborted, static_cast<unsigned long>(abort), CCANopenNode::AbortText(abort)), 0);
            if (result == CParameterTransfer::Refused)
                outcome.failed = true;
        }
    }
    return outcome;
}

}  // namespace ovro
