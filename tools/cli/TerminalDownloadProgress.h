// CTerminalDownloadProgress: the firmware download's progress box on a
// terminal. Each step, file and node text is a line of its own, and every
// progress update one line with the caption, time and rate texts. Ctrl+C
// (SIGINT) presses Cancel while the box is open; the download then asks
// its question.
#pragma once

#include "download/DownloadProgress.h"

#include <ostream>
#include <string>

class CTerminalDownloadProgress : public IDownloadProgress {
public:
    explicit CTerminalDownloadProgress(std::ostream& out);
    ~CTerminalDownloadProgress() override;

    void SetCaption(const std::string& text) override { caption_ = text; }
    void SetStep(const std::string& text) override;
    void SetFile(const std::string& text) override;
    void SetNode(const std::string& text) override;
    void SetTime(const std::string& text) override { time_ = text; }
    void SetRate(const std::string& text) override { rate_ = text; }
    void SetRange(std::int32_t /*total*/) override {}
    void SetPosition(std::int32_t position) override;
    void StartAnimation() override {}
    void StopAnimation() override {}
    void ProcessMessages() override;
    bool TakeCancel() override;
    bool AutoClose() const override { return false; }

    // Presses Cancel, as Ctrl+C does.
    static void PressCancel();

private:
    std::ostream& out_;
    std::string caption_, time_, rate_;
    bool moved_ = false;  // the position changed since the last line
    void (*previousHandler_)(int) = nullptr;
};

class CTerminalDownloadView : public IDownloadView {
public:
    explicit CTerminalDownloadView(std::ostream& out) : out_(out) {}
    std::unique_ptr<IDownloadProgress> OpenProgressBox() override
    {
        return std::make_unique<CTerminalDownloadProgress>(out_);
    }

private:
    std::ostream& out_;
};
