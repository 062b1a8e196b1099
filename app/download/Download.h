// CDownload: loads new firmware into an Ovro K315 drive in the five steps
// its loaders expect - start the resident First-Level-Loader, load the
// Second-Level-Loader file into RAM, start it, load the application file
// into FLASH, start the application - all by SDO writes to object 0x2F50
// through the node. A progress box shows step, file, percentage, time and
// rate and offers Cancel; every step and every page sent goes to a log
// file beside the application file.
//
//   CDownload download(ui, view);                // one object per download
//   if (download.Download(settings.LoaderPath(), "fw/K315.h86", 128, node))
//       ...;                                      // the new application runs
//   download.LogPath();                          // "fw/K315.log"
//
// Every failure is reported through the user interface before Download
// returns false; a cancel is not. Checks that fail before the progress box
// opens send nothing; so does a log file that cannot be created. Runs in
// the caller's thread: the box's window messages are let through at every
// progress update, so Cancel takes effect after the page being sent.
#pragma once

#include "download/DownloadLog.h"
#include "download/DownloadProgress.h"
#include "download/HexRecord.h"
#include "download/PageBlock.h"
#include "download/PagePacker.h"
#include "ui/UserInterface.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

class CCANopenNode;

class CDownload {
public:
    // The drive's download object and what is written to it.
    static constexpr std::uint8_t kCommandSubIndex = 1;
    static constexpr std::uint8_t kPageSubIndex = 3;
    static constexpr std::uint32_t kStartFirstLevelLoader = 0x47525046;  // bytes 46 50 52 47, "FPRG"
    static constexpr std::uint32_t kStartApplication = 0x444E4546;       // bytes 46 45 4E 44, "FEND"
    static constexpr std::size_t kStartSecondLevelLength = 7;           // a block header: page 0, no data
    static constexpr long kPageSize = static_cast<long>(PageBlock::kPageSize);

    // The wall clock in whole seconds; null: the system's.
    using Clock = std::function<std::time_t()>;

    CDownload(IUserInterface& ui, IDownloadView& view, Clock clock = Clock());
    CDownload(const CDownload&) = delete;
    CDownload& operator=(const CDownload&) = delete;
    ~CDownload();

    // The whole download; true when the new application runs.
    bool Download(const std::string& loaderPath, const std::string& appPath, long pageSize, CCANopenNode* node);

    // ---- After Download -------------------------------------------------
    const std::string& LogPath() const { return logPath_; }
    long LoaderBytes() const { return loaderBytes_; }
    long ApplicationBytes() const { return appBytes_; }
    // Of the last progress update: seconds since the start, KB/s.
    long Seconds() const { return seconds_; }
    float Rate() const { return rate_; }

    // ---- Rules ------------------------------------------------------------
    // What a progress update shows after loaded of total bytes in seconds.
    struct ProgressTexts {
        std::string caption;
        std::string time;
        std::string rate;
        float kbPerSecond = 0;
    };
    static ProgressTexts ProgressOf(std::uint64_t loaded, std::uint64_t total, long seconds,
                                    const std::string& appName);
    // The file name without its folder.
    static std::string FileName(const std::string& path);

private:
    enum class Outcome { Done, Failed, Cancelled };

    bool Refuse(MessageSeverity severity, const std::string& text);
    bool SendCommand(std::uint32_t command);
    Outcome LoadFile(const std::string& path, bool loaderFile, long count);
    long SendPage(PageBlock& block);
    void SetStep(unsigned stepMessage, const std::string& file);
    void UpdateProgress();
    bool CancelConfirmed();
    bool StepFailed(unsigned message);
    bool Failed(const std::string& text);
    bool Cancelled();
    void Close();

    IUserInterface& ui_;
    IDownloadView& view_;
    Clock clock_;
    CCANopenNode* node_ = nullptr;
    std::unique_ptr<IDownloadProgress> box_;
    CDownloadLog log_;
    HexRecord record_;
    CPagePacker packer_;
    bool cancelled_ = false;
    std::string appName_;
    std::string logPath_;
    long loaderBytes_ = 0;
    long appBytes_ = 0;
    std::uint64_t total_ = 0;
    std::time_t start_ = 0;
    long seconds_ = 0;
    float rate_ = 0;
};
