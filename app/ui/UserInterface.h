// UserInterface.h - how the program's logic reaches the user: messages,
// yes/no questions, progress logs with Cancel and file selection. The
// windows implement these; tests use scripted implementations.
#pragma once

#include "ui/Progress.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The severity a message text starts with ("ERROR:\t" ...).
enum class MessageSeverity {
    FatalError, // "FATAL ERROR:"
    Error,      // "ERROR:"
    Sorry,      // "SORRY:"
    Info,       // "INFO:"
    Success,    // "SUCCESS:" (after a line break)
};

enum class MessageIcon {
    Information,
    Exclamation, // failures of drive operations
    Question,    // confirmations
    Stop,        // lost connections, failed file writes, start-up failures
    None,        // a plain box
};

// What a file chooser asks for.
struct FileRequest {
    enum class Kind { Open, Save, Folder } kind = Kind::Open;
    std::string title;
    std::string filter;      // "Ovro-QVT Files (*.31x)" style, ";;" between entries
    std::string defaultName; // proposed file name or start folder
};

class IUserInterface {
public:
    virtual ~IUserInterface() = default;
    // A message box with one OK button. Texts are Latin-1.
    virtual void ShowMessage(MessageSeverity severity, MessageIcon icon, const std::string& text) = 0;
    // A Yes/No question; true when the user answers Yes.
    virtual bool AskYesNo(MessageIcon icon, const std::string& text, bool defaultYes) = 0;
    // Opens a progress log over range steps; null when it cannot be shown.
    // The log disappears when the object is destroyed.
    virtual std::unique_ptr<IProgress> BeginProgress(std::int32_t range) = 0;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<std::string> ChooseFile(const FileRequest& request) = 0;
};
