#include "TerminalProgress.h"

#include "MessageFormat.h"

CTerminalProgress::CTerminalProgress(std::ostream& out, Kind kind, std::string idleText)
    : out_(out), kind_(kind), idleText_(std::move(idleText))
{
}

CTerminalProgress::~CTerminalProgress()
{
    EndLine();
    out_.flush();
}

void CTerminalProgress::EndLine()
{
    if (lineOpen_)
        out_ << '\n';
    lineOpen_ = false;
}

void CTerminalProgress::AddText(const std::string& text, std::int32_t step)
{
    position_ += step;
    if (kind_ == Kind::StatusLine) {
        EndLine();
        const std::string shown = text.empty() ? idleText_ : text;
        out_ << CMessageFormat::Utf8(CMessageFormat::UnixLineBreaks(shown));
        lineOpen_ = !shown.empty() && shown.back() != '\n';
        EndLine();
    } else {
        const std::string shown = CMessageFormat::Utf8(CMessageFormat::UnixLineBreaks(text));
        out_ << shown;
        if (!shown.empty())
            lineOpen_ = shown.back() != '\n';
    }
    out_.flush();
}

void CTerminalProgress::Finish(bool /*success*/)
{
    EndLine();
    finished_ = true;
    out_.flush();
}

bool CTerminalProgress::Finished()
{
    // Nobody waits at the terminal: once finished, the window is gone.
    return finished_;
}
