#include "TerminalDownloadProgress.h"

#include <atomic>
#include <csignal>

#include "MessageFormat.h"

namespace {
std::atomic<bool> g_cancelPressed{false};

void OnInterrupt(int)
{
    g_cancelPressed = true;
}

// Latin-1 texts as the terminal shows them.
std::string Readable(const std::string& text)
{
    return CMessageFormat::Utf8(text);
}
}  // namespace

CTerminalDownloadProgress::CTerminalDownloadProgress(std::ostream& out) : out_(out)
{
    g_cancelPressed = false;
    previousHandler_ = std::signal(SIGINT, OnInterrupt);
}

CTerminalDownloadProgress::~CTerminalDownloadProgress()
{
    std::signal(SIGINT, previousHandler_ == SIG_ERR ? SIG_DFL : previousHandler_);
    out_.flush();
}

void CTerminalDownloadProgress::PressCancel()
{
    g_cancelPressed = true;
}

void CTerminalDownloadProgress::SetStep(const std::string& text)
{
    out_ << Readable(text) << '\n';
}

void CTerminalDownloadProgress::SetFile(const std::string& text)
{
    if (!text.empty())
        out_ << "  " << text << '\n';
}

void CTerminalDownloadProgress::SetNode(const std::string& text)
{
    out_ << "  " << Readable(text) << '\n';
}

void CTerminalDownloadProgress::SetPosition(std::int32_t /*position*/)
{
    moved_ = true;
}

void CTerminalDownloadProgress::ProcessMessages()
{
    // A progress update: the bar moved and its texts are new.
    if (moved_ && !caption_.empty()) {
        out_ << "  " << Readable(caption_) << ", " << Readable(time_) << ", " << Readable(rate_) << '\n';
        moved_ = false;
    }
    out_.flush();
}

bool CTerminalDownloadProgress::TakeCancel()
{
    return g_cancelPressed.exchange(false);
}
