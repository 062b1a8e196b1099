// CTerminalUserInterface: the program's messages, questions and progress
// log on a terminal. Messages and progress go to the error stream with
// their severity word; a question is answered Yes by --yes, asked on the
// terminal when there is one, else answered No. It remembers whether a
// failure was shown, which makes the command fail.
#pragma once

#include <istream>
#include <ostream>

#include "ui/UserInterface.h"

class CTerminalUserInterface : public IUserInterface {
public:
    enum class Answer {
        Yes,  // --yes
        Ask,  // read the answer from the input (a terminal)
        No,   // nobody to ask
    };

    CTerminalUserInterface(std::ostream& err, std::istream& in, Answer answer);

    void ShowMessage(MessageSeverity severity, MessageIcon icon, const std::string& text) override;
    bool AskYesNo(MessageIcon icon, const std::string& text, bool defaultYes) override;
    std::unique_ptr<IProgress> BeginProgress(std::int32_t range) override;
    std::optional<std::string> ChooseFile(const FileRequest& request) override;

    // An ERROR, FATAL ERROR or SORRY message was shown.
    bool FailureShown() const { return failureShown_; }
    // A question was answered No.
    bool Declined() const { return declined_; }

    static bool IsFailure(MessageSeverity severity);

private:
    std::ostream& err_;
    std::istream& in_;
    Answer answer_;
    bool failureShown_ = false;
    bool declined_ = false;
};
