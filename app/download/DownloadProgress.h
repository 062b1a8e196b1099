// DownloadProgress.h - the firmware download's progress box as CDownload
// sees it: the texts and the bar it shows, its animation, Cancel and the
// auto-close check box. The window lives as long as the object; the
// program's CProgressBox shows it, the terminal prints it, tests record it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The texts of a box before the download starts.
namespace DownloadProgressTexts {
inline constexpr const char* kStep = "Program Download";
inline constexpr const char* kFile = "(unkown)";
inline constexpr const char* kNode = "(unkown)";
inline constexpr const char* kTime = "0:00 min  (0 of 0 bytes loaded)";
inline constexpr const char* kRate = "0.0 KB/sec";
}  // namespace DownloadProgressTexts

class IDownloadProgress {
public:
    virtual ~IDownloadProgress() = default;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetStep(const std::string& text) = 0;
    virtual void SetFile(const std::string& text) = 0;
    virtual void SetNode(const std::string& text) = 0;
    virtual void SetTime(const std::string& text) = 0;
    virtual void SetRate(const std::string& text) = 0;
    virtual void SetRange(std::int32_t total) = 0;
    virtual void SetPosition(std::int32_t position) = 0;
    virtual void StartAnimation() = 0;
    virtual void StopAnimation() = 0;
    // Lets the box's pending window messages through (repaints, Cancel).
    virtual void ProcessMessages() = 0;
    // True when Cancel was pressed since the last call; clears the flag.
    virtual bool TakeCancel() = 0;
    // The auto-close check box is checked: no success message.
    virtual bool AutoClose() const = 0;
};

// Opens the progress box of a download, shown at once.
class IDownloadView {
public:
    virtual ~IDownloadView() = default;
    virtual std::unique_ptr<IDownloadProgress> OpenProgressBox() = 0;
};
