// CDocMessage: shows one of the program's message texts, with the severity
// its text starts with ("ERROR:\t", "SORRY:\t", ...).
#pragma once

#include <string>

#include "ui/UserInterface.h"

namespace ovro {

class CDocMessage {
public:
    // The severity word a text starts with; Info for a text without one.
    static MessageSeverity SeverityOf(const std::string& text);
    static void Show(IUserInterface& ui, MessageIcon icon, const std::string& text);
};

}  // namespace ovro
