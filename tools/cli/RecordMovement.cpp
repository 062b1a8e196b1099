// RecordMovement.cpp - the movement during a recording.
#include "RecordMovement.h"

#include "canopen/CANopenDrive.h"
#include "canopen/CANopenNode.h"
#include "canopen/CANopenTypes.h"
#include "document/QVTDoc.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"
#include "ui/UserInterface.h"

CRecordMovement::Starter CRecordMovement::ProfilePosition(std::int32_t target, std::optional<std::uint32_t> velocity)
{
    return [target, velocity](ovro::CQVTDoc& doc, IUserInterface& ui) {
        CCANopenNode* node = doc.Node();
        if (node == nullptr)
            return false;
        if (!SwitchModeOfOperation(*node, ModeOfOperation::ProfilePosition, ui) || !EnableOperation(*node, ui))
            return false;
        const auto write = [&](std::uint16_t index, std::uint32_t value) {
            if (node->WriteU32(index, 0, value))
                return true;
            ui.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation,
                           FormatMessage(kMsgCantStartDrive, node->ErrorText().c_str()));
            return false;
        };
        if (velocity && !write(kProfileVelocity, *velocity))
            return false;
        if (!write(kTargetPosition, static_cast<std::uint32_t>(target)))
            return false;
        // A rising edge of the new set-point bit starts the move.
        return StartDrive(*node, Controlword::EnableOperation, ui) && StartDrive(*node, Controlword::StartMotion, ui);
    };
}

bool CRecordMovement::StartOnce(ovro::CQVTDoc& doc, IUserInterface& ui)
{
    if (started_ || !starter_)
        return true;
    started_ = true;
    return starter_(doc, ui);
}
