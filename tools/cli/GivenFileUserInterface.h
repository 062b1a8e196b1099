// CGivenFileUserInterface: a user interface whose file dialog takes the file
// named on the command line; messages, questions and progress go to the
// terminal's user interface.
#pragma once

#include <string>

#include "ui/UserInterface.h"

class CGivenFileUserInterface : public IUserInterface {
public:
    CGivenFileUserInterface(IUserInterface& ui, std::string path) : ui_(ui), path_(std::move(path)) {}

    void ShowMessage(MessageSeverity severity, MessageIcon icon, const std::string& text) override
    {
        ui_.ShowMessage(severity, icon, text);
    }
    bool AskYesNo(MessageIcon icon, const std::string& text, bool defaultYes) override
    {
        return ui_.AskYesNo(icon, text, defaultYes);
    }
    std::unique_ptr<IProgress> BeginProgress(std::int32_t range) override { return ui_.BeginProgress(range); }
    std::optional<std::string> ChooseFile(const FileRequest& /*request*/) override { return path_; }

private:
    IUserInterface& ui_;
    std::string path_;
};
