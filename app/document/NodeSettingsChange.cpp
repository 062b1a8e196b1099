#include "document/NodeSettingsChange.h"

#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "description/Commissioning.h"
#include "document/DocMessage.h"
#include "ui/MessageIds.h"
#include "ui/MessageTexts.h"

namespace ovro {

CCANopenNode* CNodeSettingsChange::Run(CCANopenMaster& master, IUserInterface& ui, IProgress& progress,
                                       CCANopenNode*& node, std::uint8_t newNodeId, std::uint8_t newBaudRate)
{
    CDocMessage::Show(ui, MessageIcon::Exclamation, MessageText(kMsgOnlyOneNode));
    progress.AddText(MessageText(kMsgChangingNodeSettings), 0);
    if (node != nullptr && master.DisconnectNode(node))
        node = nullptr;
    CCANopenNode* configured = master.ConfigureNode(newNodeId, newBaudRate);
    progress.AddText(MessageText(configured != nullptr ? kMsgStepOk : kMsgStepError), 0);
    return configured;
}

std::string CNodeSettingsChange::FailureText(const CCANopenMaster& master, const CCommissioning& commissioning,
                                             std::uint8_t oldNodeId)
{
    const std::string error = commissioning.GetErrorText(master.LastError());
    return FormatMessage(kMsgNodeLost, static_cast<int>(oldNodeId), error.c_str());
}

}  // namespace ovro
