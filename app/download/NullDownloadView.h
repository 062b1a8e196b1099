// CNullDownloadView: progress boxes that show nothing, for a download
// without a window (a benchmark, the download's own checks); a box is never
// cancelled, and its auto-close check box is as given. The view counts the
// boxes it opened.
#pragma once

#include "download/DownloadProgress.h"

class CNullDownloadProgress : public IDownloadProgress {
public:
    explicit CNullDownloadProgress(bool autoClose) : autoClose_(autoClose) {}
    void SetCaption(const std::string&) override {}
    void SetStep(const std::string&) override {}
    void SetFile(const std::string&) override {}
    void SetNode(const std::string&) override {}
    void SetTime(const std::string&) override {}
    void SetRate(const std::string&) override {}
    void SetRange(std::int32_t) override {}
    void SetPosition(std::int32_t) override {}
    void StartAnimation() override {}
    void StopAnimation() override {}
    void ProcessMessages() override {}
    bool TakeCancel() override { return false; }
    bool AutoClose() const override { return autoClose_; }

private:
    bool autoClose_;
};

class CNullDownloadView : public IDownloadView {
public:
    explicit CNullDownloadView(bool autoClose) : autoClose_(autoClose) {}
    std::unique_ptr<IDownloadProgress> OpenProgressBox() override
    {
        ++opened_;
        return std::make_unique<CNullDownloadProgress>(autoClose_);
    }
    int Opened() const { return opened_; }

private:
    bool autoClose_;
    int opened_ = 0;
};
