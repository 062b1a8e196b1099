#include "TerminalUserInterface.h"

#include <string>

#include "MessageFormat.h"
#include "TerminalProgress.h"

CTerminalUserInterface::CTerminalUserInterface(std::ostream& err, std::istream& in, Answer answer)
    : err_(err), in_(in), answer_(answer)
{
}

bool CTerminalUserInterface::IsFailure(MessageSeverity severity)
{
    return severity == MessageSeverity::FatalError || severity == MessageSeverity::Error ||
           severity == MessageSeverity::Sorry;
}

void CTerminalUserInterface::ShowMessage(MessageSeverity severity, MessageIcon /*icon*/, const std::string& text)
{
    if (IsFailure(severity))
        failureShown_ = true;
    err_ << CMessageFormat::Readable(severity, text);
    err_.flush();
}

bool CTerminalUserInterface::AskYesNo(MessageIcon /*icon*/, const std::string& text, bool defaultYes)
{
    err_ << "QUESTION:\n" << CMessageFormat::Lines(text, "    ");
    bool yes = false;
    switch (answer_) {
    case Answer::Yes:
        err_ << "    -> Yes (--yes)\n";
        yes = true;
        break;
    case Answer::No:
        err_ << "    -> No (no terminal to ask; --yes answers Yes)\n";
        break;
    case Answer::Ask: {
        err_ << (defaultYes ? "    [Y/n] " : "    [y/N] ");
        err_.flush();
        std::string line;
        if (!std::getline(in_, line)) {
            err_ << '\n';
            break;
        }
        const std::size_t begin = line.find_first_not_of(" \t");
        const char first = begin == std::string::npos ? '\0' : line[begin];
        yes = first == '\0' ? defaultYes : (first == 'y' || first == 'Y');
        break;
    }
    }
    err_.flush();
    if (!yes)
        declined_ = true;
    return yes;
}

std::unique_ptr<IProgress> CTerminalUserInterface::BeginProgress(std::int32_t /*range*/)
{
    return std::make_unique<CTerminalProgress>(err_, CTerminalProgress::Kind::Log);
}

std::optional<std::string> CTerminalUserInterface::ChooseFile(const FileRequest& /*request*/)
{
    // Files are named on the command line.
    return std::nullopt;
}
