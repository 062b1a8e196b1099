#include "document/DocMessage.h"

namespace ovro {

MessageSeverity CDocMessage::SeverityOf(const std::string& text)
{
    if (text.rfind("FATAL ERROR:", 0) == 0)
        return MessageSeverity::FatalError;
    if (text.rfind("ERROR:", 0) == 0)
        return MessageSeverity::Error;
    if (text.rfind("SORRY:", 0) == 0)
        return MessageSeverity::Sorry;
    if (text.find("\nSUCCESS:") != std::string::npos || text.rfind("SUCCESS:", 0) == 0)
        return MessageSeverity::Success;
    return MessageSeverity::Info;
}

void CDocMessage::Show(IUserInterface& ui, MessageIcon icon, const std::string& text)
{
    ui.ShowMessage(SeverityOf(text), icon, text);
}

}  // namespace ovro
